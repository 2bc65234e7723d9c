#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/state.h"
#include "tests/support/grids.h"
#include "trees/placement.h"

namespace {

const unsigned seed = 777;



// The rand() that follows the first n draws after seeding.
int drawAfter(int n)
{
    srand(seed);
    for (int t = 0; t < n; t++)
        rand();
    return rand();
}


// Replays the draws over the land cells in loop order and checks every inner
// cell against its draw; returns the number of draws a generation takes.
int expectMapFromDraws()
{
    int used = 0, bad = 0;
    for (int i = 1; i <= 254; i++)
        for (int j = 1; j <= 254; j++) {
            float want = 0;
            if (terrain[i][j] >= 10.0f) {
                int r = rand() % 1001;
                used++;
                want = r == 0 ? 1 : r == 1 ? 2 : 0;
            }
            if (treeMap[i][j] != want && bad++ < 5)
                ADD_FAILURE() << "treeMap[" << i << "][" << j << "] = " << treeMap[i][j] << ", want " << want;
        }
    EXPECT_EQ(bad, 0);
    return used;
}

// Water takes no draw, clears what was there and places nothing.
TEST(TreeMap, WaterDrawsNothing)
{
    const float heights[] = {std::nextafter(10.0f, 0.0f), 0.0f, -500.0f};
    for (float h : heights) {
        SCOPED_TRACE(h);
        fillTerrain(h);
        fillTreeMap(1);
        treeCount = 42;
        srand(seed);
        generateTreeMap();
        int next = rand();
        EXPECT_EQ(next, drawAfter(0));
        EXPECT_EQ(treeCount, 42);
        for (int i = 1; i <= 254; i++)
            for (int j = 1; j <= 254; j++)
                ASSERT_EQ(treeMap[i][j], 0) << i << " " << j;
    }
}

// Land from exactly 10 upward, snow included, takes one draw per inner cell;
// r = 0 plants the first kind, r = 1 the second, anything else nothing.
TEST(TreeMap, OneDrawPerLandCell)
{
    const float heights[] = {10.0f, 254.0f, 255.0f, 1e6f};
    for (float h : heights) {
        SCOPED_TRACE(h);
        fillTerrain(h);
        fillTreeMap(7);
        treeCount = 0;
        srand(seed);
        generateTreeMap();
        int next = rand();
        EXPECT_EQ(next, drawAfter(254 * 254));
        srand(seed);
        EXPECT_EQ(expectMapFromDraws(), 254 * 254);
        EXPECT_EQ(treeCount, treesInMap());
    }
    int kinds[3] = {0, 0, 0};
    for (auto &row : treeMap)
        for (float c : row)
            kinds[c == 1 ? 1 : c == 2 ? 2 : 0]++;
    EXPECT_GT(kinds[1], 0) << "seed plants no tree of the first kind";
    EXPECT_GT(kinds[2], 0) << "seed plants no tree of the second kind";
}

// Over a patchwork of land and water only the land cells draw, in row order.
TEST(TreeMap, PatchworkDrawsForLandOnly)
{
    int land = 0;
    for (int i = 0; i < 257; i++)
        for (int j = 0; j < 257; j++) {
            terrain[i][j] = (i / 3 + j / 5) % 2 ? 10.0f : std::nextafter(10.0f, 0.0f);
            land += i >= 1 && i <= 254 && j >= 1 && j <= 254 && terrain[i][j] >= 10.0f;
        }
    treeCount = 0;
    srand(seed);
    generateTreeMap();
    int next = rand();
    EXPECT_EQ(next, drawAfter(land));
    srand(seed);
    EXPECT_EQ(expectMapFromDraws(), land);
}

// The outer ring of cells is never written, however often the map is built
// over land.
TEST(TreeMap, BorderCellsNeverWritten)
{
    fillTerrain(100.0f);
    fillTreeMap(0);
    srand(seed);
    for (int n = 0; n < 30; n++)
        generateTreeMap();
    int inner = treesInMap();
    for (int k = 0; k < 256; k++) {
        EXPECT_EQ(treeMap[0][k], 0);
        EXPECT_EQ(treeMap[255][k], 0);
        EXPECT_EQ(treeMap[k][0], 0);
        EXPECT_EQ(treeMap[k][255], 0);
    }
    EXPECT_GT(inner, 0);

    // A value planted there survives, so nothing writes those cells at all.
    for (int k = 0; k < 256; k++)
        treeMap[0][k] = treeMap[255][k] = treeMap[k][0] = treeMap[k][255] = 5;
    generateTreeMap();
    for (int k = 0; k < 256; k++) {
        EXPECT_EQ(treeMap[0][k], 5);
        EXPECT_EQ(treeMap[255][k], 5);
        EXPECT_EQ(treeMap[k][0], 5);
        EXPECT_EQ(treeMap[k][255], 5);
    }
}

// The counter adds up across calls; the map holds only the latest one.
TEST(TreeMap, CountAccumulatesMapDoesNot)
{
    fillTerrain(50.0f);
    fillTreeMap(0);
    treeCount = 0;
    srand(seed);
    generateTreeMap();
    int first = treeCount;
    EXPECT_EQ(first, treesInMap());
    ASSERT_GT(first, 0);

    generateTreeMap();
    int second = treesInMap();
    EXPECT_EQ(treeCount, first + second);

    // The map is the second call's draws alone, not a mix with the first.
    srand(seed);
    for (int n = 0; n < 254 * 254; n++)
        rand();
    expectMapFromDraws();
}

}  // namespace
