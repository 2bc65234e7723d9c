// Put in front of copies of the program's world generators by the bench's
// CMake: every draw from the random source and every logarithm they take is
// counted on its way, and the copies' functions take a prefix so that they
// stand beside the program's own.
#pragma once

#include "app/state.h"

#include <cmath>
#include <cstdlib>

int countedRand();
float countedLogf(float x);

#define rand countedRand
#define logf countedLogf

#define buildWorld countedBuildWorld
#define getHeightField countedGetHeightField
#define recursive countedRecursive
#define midpoint countedMidpoint
#define Gaussian countedGaussian
#define noise countedNoise
#define noiseHelper countedNoiseHelper
#define turbulence countedTurbulence
#define generateTreeMap countedGenerateTreeMap
