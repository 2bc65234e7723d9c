// One frame: held-key motion, view, clear, terrain mesh, trees, swap.
#pragma once

void display();
void renderTerrain();
