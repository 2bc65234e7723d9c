#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/state.h"
#include "tests/support/glibc_rand.h"
#include "tests/support/grids.h"
#include "terrain/colourmap.h"

namespace {

const unsigned seed = 20240611;

// Heights on both sides of each class boundary, plus far outliers.
const float below10 = std::nextafter(10.0f, 0.0f);
const float below255 = std::nextafter(255.0f, 0.0f);
const float mixedHeights[] = {-300.0f, 0.0f, below10, 10.0f, 11.5f, 128.0f, below255, 255.0f, 255.5f, 900.0f};

ColourLayer layer, other;
int draws[66049];     // k of each draw, in the order drawn
int stretch[88293];   // the k of one colour map's draws




// Salt and pepper of all three classes, so that neighbours of every class
// pair meet somewhere.
void mixedTerrain()
{
    const int n = sizeof mixedHeights / sizeof mixedHeights[0];
    for (int i = 0; i < 257; i++)
        for (int j = 0; j < 257; j++)
            terrain[i][j] = mixedHeights[(i * 31 + j * 17 + (i * j) % 7) % n];
}

// Reseeds and records the next n values of k = rand() % 256.
void replay(int n)
{
    srand(seed);
    for (int t = 0; t < n; t++)
        draws[t] = rand() % 256;
}

// Reseeds and takes n draws.
void skipTo(unsigned from, int n)
{
    srand(from);
    for (int t = 0; t < n; t++)
        rand();
}

// The rand() that follows the first n draws after seeding.
int drawAfter(int n)
{
    skipTo(seed, n);
    return rand();
}

int latticeDraws(int lod)
{
    int perAxis = 256 / lod + 1;
    return perAxis * perAxis;
}

enum { water, land, snow };

int classOf(float h)
{
    return h < 10.0f ? water : h < 255.0f ? land : snow;
}

// Which channels a class lets through.
bool keeps(int cls, int c)
{
    return cls == snow || (cls == water && c == 2) || (cls == land && c == 1);
}

// Checks every point of a layer that noise(lod) filled from the replayed
// draws: lattice points from their own draw, the rest as the average of the
// neighbours stored in the layer, at the spacing where the point was written.
void expectLayerBuiltFrom(const ColourLayer &z, int lod)
{
    int bad = 0;
    for (int i = 0; i < 257; i++) {
        for (int j = 0; j < 257; j++) {
            int cls = classOf(terrain[i][j]);
            float want[3];
            if (i % lod == 0 && j % lod == 0) {
                float v = (float)draws[(i / lod) * (256 / lod + 1) + j / lod] / 255.0f;
                float white = (float)(0.5 + (double)v);
                for (int c = 0; c < 3; c++)
                    want[c] = cls == snow ? white : v;
            } else {
                int h = lod / 2;
                while (i % h != 0 || j % h != 0)
                    h /= 2;
                bool alongI = i % (2 * h) != 0, alongJ = j % (2 * h) != 0;
                for (int c = 0; c < 3; c++) {
                    if (alongI && alongJ)
                        want[c] = (((z[i][j + h][c] + z[i + h][j][c]) + z[i][j - h][c]) + z[i - h][j][c]) / 4.0f;
                    else if (alongI)
                        want[c] = (z[i - h][j][c] + z[i + h][j][c]) / 2.0f;
                    else
                        want[c] = (z[i][j - h][c] + z[i][j + h][c]) / 2.0f;
                }
            }
            for (int c = 0; c < 3; c++) {
                float w = keeps(cls, c) ? want[c] : 0.0f;
                if (bits(z[i][j][c]) != bits(w) && bad++ < 5)
                    ADD_FAILURE() << "lod " << lod << " [" << i << "][" << j << "][" << c << "] = " << z[i][j][c]
                                  << ", want " << w;
            }
        }
    }
    EXPECT_EQ(bad, 0) << "lod " << lod;
}

const int spacings[] = {1, 2, 4, 8, 16};

// Over a mixed field: one draw per lattice point whatever its class (the
// sequence stands right after them), lattice colours from the draws in row
// order, every other point the class-masked average of its neighbours in
// the order the passes add them, and no point left unwritten.
TEST(Noise, EveryPointFromDrawsOrNeighbours)
{
    mixedTerrain();
    const int want[] = {66049, 16641, 4225, 1089, 289};
    for (int s = 0; s < 5; s++) {
        int lod = spacings[s];
        ASSERT_EQ(latticeDraws(lod), want[s]);
        fillGrid(layer, NAN);
        srand(seed);
        noise(lod, layer);
        int next = rand();
        EXPECT_EQ(next, drawAfter(want[s])) << "lod " << lod;
        replay(want[s]);
        expectLayerBuiltFrom(layer, lod);
    }
}

// The same over fields of one class, where long runs of non-zero values
// make the order of additions show in the last bit.
TEST(Noise, SingleClassFields)
{
    const float fields[] = {-5.0f, 100.0f, 255.0f};
    for (float h : fields) {
        fillTerrain(h);
        for (int lod : spacings) {
            fillGrid(layer, NAN);
            srand(seed);
            noise(lod, layer);
            replay(latticeDraws(lod));
            SCOPED_TRACE(h);
            expectLayerBuiltFrom(layer, lod);
        }
    }
}

// Lattice colours at the class boundaries and at the two ends of k.
TEST(Noise, LatticeColoursByClass)
{
    struct Case {
        float height;
        int k;
        float r, g, b;
    } cases[] = {
        {below10, 0, 0, 0, 0},         {below10, 255, 0, 0, 1},
        {10.0f, 0, 0, 0, 0},           {10.0f, 255, 0, 1, 0},
        {below255, 255, 0, 1, 0},      {255.0f, 0, 0.5f, 0.5f, 0.5f},
        {255.0f, 255, 1.5f, 1.5f, 1.5f}, {-1e6f, 255, 0, 0, 1},
        {1e6f, 255, 1.5f, 1.5f, 1.5f},
    };
    const int n = sizeof cases / sizeof cases[0];
    // Row i takes the height of case i % n; spacing 1 makes every point a
    // lattice point, so each colour comes straight from its draw.
    for (int i = 0; i < 257; i++)
        for (int j = 0; j < 257; j++)
            terrain[i][j] = cases[i % n].height;
    srand(seed);
    noise(1, layer);
    replay(66049);
    for (int c = 0; c < n; c++) {
        SCOPED_TRACE(c);
        int found = 0;
        for (int i = c; i < 257 && !found; i += n)
            for (int j = 0; j < 257 && !found; j++)
                if (draws[i * 257 + j] == cases[c].k) {
                    found = 1;
                    EXPECT_EQ(layer[i][j][0], cases[c].r);
                    EXPECT_EQ(layer[i][j][1], cases[c].g);
                    EXPECT_EQ(layer[i][j][2], cases[c].b);
                }
        ASSERT_TRUE(found) << "no draw with k = " << cases[c].k << " in rows of case " << c;
    }
}

// Neighbours are averaged as stored, their class zeros included.
TEST(Noise, NeighbourZerosAreAveraged)
{
    fillTerrain(0.0f);
    terrain[1][0] = 10.0f;  // land between two water lattice points along i
    // A snow centre whose four neighbours, and their lattice points, are land.
    for (int i = 4; i <= 6; i++)
        for (int j = 4; j <= 6; j++)
            terrain[i][j] = 100.0f;
    terrain[5][5] = 255.0f;
    srand(seed);
    noise(2, layer);

    ASSERT_GT(layer[0][0][2] + layer[2][0][2], 0.0f) << "seed gives no blue to test with";
    EXPECT_EQ(layer[1][0][0], 0.0f);
    EXPECT_EQ(layer[1][0][1], 0.0f);
    EXPECT_EQ(layer[1][0][2], 0.0f);

    float g = (((layer[5][6][1] + layer[6][5][1]) + layer[5][4][1]) + layer[4][5][1]) / 4.0f;
    ASSERT_GT(g, 0.0f) << "seed gives no green to test with";
    EXPECT_EQ(layer[5][5][0], 0.0f);
    EXPECT_EQ(layer[5][5][1], g);
    EXPECT_EQ(layer[5][5][2], 0.0f);
}

// The layer depends on the heights and the random position only.
TEST(Noise, SameSeedSameLayerWhateverItHeld)
{
    mixedTerrain();
    for (int lod : spacings) {
        fillGrid(layer, NAN);
        srand(seed);
        noise(lod, layer);
        fillGrid(other, -12345.0f);
        srand(seed);
        noise(lod, other);
        EXPECT_EQ(std::memcmp(layer, other, sizeof layer), 0) << "lod " << lod;
    }
}

// The blend as it must be: coarsest term first, float arithmetic throughout.
float blend(float t16, float t8, float t4, float t2, float t1)
{
    return t16 / 2.0f + t8 / 4.0f + t4 / 8.0f + t2 / 16.0f + t1 / 32.0f;
}

// turbulence fills the five layers in order from one stretch of the random
// sequence, 88,293 draws in all.
TEST(Turbulence, LayersInOrderFromOneSequence)
{
    mixedTerrain();
    fillGrid(terrainTexture1, NAN);
    srand(seed);
    turbulence();
    int next = rand();
    EXPECT_EQ(next, drawAfter(88293));

    ColourLayer *layers[] = {&terrainTexture1, &terrainTexture2, &terrainTexture4, &terrainTexture8,
                             &terrainTexture16};
    srand(seed);
    for (int s = 0; s < 5; s++) {
        noise(spacings[s], layer);
        EXPECT_EQ(std::memcmp(layer, *layers[s], sizeof layer), 0) << "lod " << spacings[s];
    }
}

// Every channel of the map is the weighted sum of the five layers, bit for
// bit, and keeps the zeros of its class.
TEST(Turbulence, BlendWeightsOrderAndClassZeros)
{
    // A mixed field, then single-class fields where the order of the
    // additions shows.
    const float fields[] = {NAN, -1.0f, 50.0f, 300.0f};
    for (int f = 0; f < 4; f++) {
        if (std::isnan(fields[f]))
            mixedTerrain();
        else
            fillTerrain(fields[f]);
        srand(seed + f);
        turbulence();
        int bad = 0;
        for (int i = 0; i < 257; i++)
            for (int j = 0; j < 257; j++)
                for (int c = 0; c < 3; c++) {
                    float want = blend(terrainTexture16[i][j][c], terrainTexture8[i][j][c], terrainTexture4[i][j][c],
                                       terrainTexture2[i][j][c], terrainTexture1[i][j][c]);
                    float got = finalTerrainTexture[i][j][c];
                    if (!keeps(classOf(terrain[i][j]), c))
                        want = 0.0f;
                    if (bits(got) != bits(want) && bad++ < 5)
                        ADD_FAILURE() << "[" << i << "][" << j << "][" << c << "] = " << got << ", want " << want;
                    if (!(got >= 0.0f && got <= 1.453125f) && bad++ < 5)
                        ADD_FAILURE() << "[" << i << "][" << j << "][" << c << "] = " << got << " out of range";
                }
        EXPECT_EQ(bad, 0) << "field " << f;
    }
}

// A point on all five lattices takes its five draws straight into the
// blend, so the weights show on their own: five full draws give 31/32 of
// the class colour, a full coarsest draw alone gives 1/2. The seeds and skips were found by scanning rand() sequences for a
// point whose five draws are all 255, or 0 in the four fine layers and 255
// in the coarsest; the test checks the draws before it relies on them.
TEST(Turbulence, ExtremeDrawsAtACommonLatticePoint)
{
    SKIP_UNLESS_GLIBC_RAND();
    struct Case {
        unsigned seed;
        int skip, i, j;
        int kFine, kCoarse;  // k in layers 1 to 8, and in layer 16
        float height, r, g, b;
    } cases[] = {
        {1244, 889164, 48, 208, 255, 255, 0.0f, 0, 0, 0.96875f},
        {1244, 889164, 48, 208, 255, 255, 100.0f, 0, 0.96875f, 0},
        {1244, 889164, 48, 208, 255, 255, 255.0f, 1.453125f, 1.453125f, 1.453125f},
        {10907, 155496, 80, 48, 0, 255, 100.0f, 0, 0.5f, 0},
        {10907, 155496, 80, 48, 0, 255, 300.0f, 0.984375f, 0.984375f, 0.984375f},
    };
    const int start[] = {0, 66049, 82690, 86915, 88004};  // first draw of each layer
    for (const Case &t : cases) {
        SCOPED_TRACE(t.height);
        skipTo(t.seed, t.skip);
        for (int n = 0; n < 88293; n++)
            stretch[n] = rand() % 256;
        for (int s = 0; s < 5; s++) {
            int lod = spacings[s];
            int at = start[s] + (t.i / lod) * (256 / lod + 1) + t.j / lod;
            ASSERT_EQ(stretch[at], s < 4 ? t.kFine : t.kCoarse) << "lod " << lod;
        }

        fillTerrain(t.height);
        skipTo(t.seed, t.skip);
        turbulence();
        EXPECT_EQ(finalTerrainTexture[t.i][t.j][0], t.r);
        EXPECT_EQ(finalTerrainTexture[t.i][t.j][1], t.g);
        EXPECT_EQ(finalTerrainTexture[t.i][t.j][2], t.b);
    }
}

}  // namespace
