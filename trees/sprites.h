// Tree sprites: their textures, made once at start-up, and the tree pass that
// every frame runs after the terrain mesh.
#pragma once

// Switches depth testing on and loads tree1.tga and tree2.tga from the working
// directory, or the installed copy of one the folder lacks (findTreeImage).
// An image that cannot be used (not a regular file, not 32-bit true colour, a
// size this GL cannot take, an upload the GL refuses) is named on standard
// error and its trees are not drawn; the program runs on. Images
// stored top row first are drawn upright.
void initTextures();

// Draws every tree of treeMap, turned towards cam (x, y, z) while billboarding
// is on. Leaves blending and the alpha test off and texture 0 bound.
void renderTrees(const float cam[3]);
