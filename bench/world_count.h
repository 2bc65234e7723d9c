// What one rebuild of the world takes from the random source and the maths
// library, counted by a copy of the program's own generators (built with
// bench/counted_copy.h in front), so that the rebuild's floor follows them.
#pragma once

#include <cstddef>

struct RebuildCount {
    long draws;       // rand() calls
    long logarithms;  // one per Gaussian, each with its square root
};

// nullptr when the copy grew the program's world of this seed and left the
// random sequence where the program's rebuild leaves it, else what differs.
const char *countRebuild(unsigned seed, RebuildCount &count);

// The grids a rebuild writes, each as its floats: the heightfield, the six
// colour grids and the tree map.
struct WorldGrid {
    float *values;
    size_t count;
};
extern const WorldGrid worldGrids[8];
