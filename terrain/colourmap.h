// The terrain colour map: lattice-noise layers masked by height class,
// blended over five octaves into the per-vertex colours of the mesh.
#pragma once

typedef float ColourLayer[257][257][3];

void noise(int lod, ColourLayer &z);
void noiseHelper(int lod, ColourLayer &z);
void turbulence();
