// Cylindrical billboarding: turns a sprite about the vertical axis through its
// base so that it faces the camera and stays upright.
#pragma once

// cam and worldPos are (x, y, z); multiplies the turn onto the current matrix.
void billboardCylindricalBegin(const float *cam, const float *worldPos);
void normalize(float *v);
