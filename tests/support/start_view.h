// Puts the camera, the held keys and the flags back to their start-up values
// and rebuilds the projection, so each GL test begins from the program's start view.
#pragma once

#include "app/projection.h"
#include "app/state.h"

inline void restoreStartView()
{
    eyeX = -10.0f; eyeY = 85.0f; eyeZ = 266.0f;
    lookX = 0.0f; lookY = 0.0f; lookZ = -1.0f;
    angle = 0.0f;
    cameraType = 1;
    fovy = 45.0f;
    walkDelta = pitchDelta = flyDelta = 0;
    yawDelta = 0.0f;
    wireframe = false;
    billboard = true;
    reshape(1000, 500);
}
