// The 257 x 257 fractal heightfield, by recursive midpoint displacement.
#pragma once

void getHeightField();
void recursive(int x, int y, int width);
float midpoint(float a, float b, int width);
void Gaussian(float &y1, float &y2);
