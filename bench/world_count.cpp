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

// Every grid a rebuild writes, byte for byte.
static std::vector<unsigned char> worldBytes()
{
    std::vector<unsigned char> bytes;
    auto add = [&bytes](const void *grid, size_t size) {
        const unsigned char *p = (const unsigned char *)grid;
        bytes.insert(bytes.end(), p, p + size);
    };
    add(terrain, sizeof terrain);
    add(terrainTexture1, sizeof terrainTexture1), add(terrainTexture2, sizeof terrainTexture2);
    add(terrainTexture4, sizeof terrainTexture4), add(terrainTexture8, sizeof terrainTexture8);
    add(terrainTexture16, sizeof terrainTexture16), add(finalTerrainTexture, sizeof finalTerrainTexture);
    add(treeMap, sizeof treeMap);
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
