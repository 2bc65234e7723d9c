// Tree sprites: texture set-up at start-up and the tree pass of every frame.
#pragma once

void initTextures();
void renderTrees(const float cam[3]);
