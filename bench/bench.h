// The parts of `make bench`: the world rebuild, the frame, and the real
// program seen from outside, each figure measured beside its floor.
#pragma once

#include <string>
#include <vector>

// Every figure is taken on the world of this seed (the test fixture's world).
extern const unsigned benchSeed;

double medianOf(std::vector<double> values);

// ---- World rebuild (world_bench.cpp) ----

// Random draws each generator takes for benchSeed, counted by replaying the sequence.
struct WorldDraws {
    long heightfield, colourMap, treeMap;
};
WorldDraws countWorldDraws();
void registerWorldBenchmarks(const WorldDraws &draws);

// ---- Frame (frame_bench.cpp) ----

struct FrameSetup {
    std::string renderer;  // GL_RENDERER and GL_VERSION
    bool treeImages;       // both tree textures loaded, so trees are drawn
    int trees;             // trees in the world
    int treesInView[2];    // trees whose base is on screen: start view, view over trees
    int floorDiffers[2];   // pixels in which the floor's picture differs from the program's
    int arrayDiffers[2];   // the same for the vertex-array frame
};
// Opens the window, loads the tree textures, builds the world and registers the frame benchmarks.
FrameSetup setUpFrames();
void closeFrames();

// ---- The real program (outside.cpp) ----

struct Outside {
    bool ok = false;
    std::string problem;
    int startups = 0;
    double mappedMs = 0, firstFrameMs = 0;  // medians over the starts
    long peakStartKb = 0;                   // peak resident set of a start, to its first frame
    int regenerations = 0;
    long residentAfterKb = 0, peakAfterKb = 0;
};
Outside measureOutside(int startups, int regenerations);
