#include "bench/world_count.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/state.h"
#include "app/world.h"

void countedBuildWorld();

static RebuildCount counted;

int countedRand()
{
    counted.draws++;
    return rand();
}

float countedLogf(float x)
{
    counted.logarithms++;
    return logf(x);
}

template <class T> static WorldGrid gridOf(T &grid) { return {(float *)&grid, sizeof grid / sizeof(float)}; }

const WorldGrid worldGrids[8] = {gridOf(terrain),          gridOf(terrainTexture1), gridOf(terrainTexture2),
                                 gridOf(terrainTexture4),  gridOf(terrainTexture8), gridOf(terrainTexture16),
                                 gridOf(finalTerrainTexture), gridOf(treeMap)};

// Every grid a rebuild writes, byte for byte.
static std::vector<unsigned char> worldBytes()
{
    std::vector<unsigned char> bytes;
    for (const WorldGrid &grid : worldGrids) {
        const unsigned char *p = (const unsigned char *)grid.values;
        bytes.insert(bytes.end(), p, p + grid.count * sizeof(float));
    }
    return bytes;
}

const char *countRebuild(unsigned seed, RebuildCount &count)
{
    srand(seed);
    buildWorld();
    std::vector<unsigned char> grown = worldBytes();
    int after[2] = {rand(), rand()};

    counted = {0, 0};
    srand(seed);
    countedBuildWorld();
    count = counted;
    if (worldBytes() != grown)
        return "the counted copy grew another world than the program";
    // The draws that follow the counted ones are those that follow the rebuild.
    srand(seed);
    for (long k = 0; k < count.draws; k++)
        rand();
    int next[2] = {rand(), rand()};
    if (memcmp(after, next, sizeof after) != 0)
        return "the counted draws are not the rebuild's";
    return nullptr;
}
