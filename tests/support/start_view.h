// Puts the camera, the held keys, the flags and the window size back to the
// values the program starts with and rebuilds the projection, so each GL test
// begins from the program's start view. The values are the program's own,
// copied from its globals before any test runs, never written out again here.
#pragma once

#include "app/projection.h"
#include "app/state.h"

struct StartState {
    float eyeX, eyeY, eyeZ, lookX, lookY, lookZ, angle;
    int cameraType;
    float fovy;
    int width, height, walkDelta, pitchDelta, flyDelta;
    float yawDelta;
    bool wireframe, billboard;
};

// The globals are constants until main runs, so this copy sees their start values.
inline const StartState startState = {eyeX,   eyeY,      eyeZ,       lookX,    lookY,    lookZ,
                                      angle,  cameraType, fovy,      width,    height,   walkDelta,
                                      pitchDelta, flyDelta, yawDelta, wireframe, billboard};

inline void restoreStartView()
{
    const StartState &s = startState;
    eyeX = s.eyeX; eyeY = s.eyeY; eyeZ = s.eyeZ;
    lookX = s.lookX; lookY = s.lookY; lookZ = s.lookZ;
    angle = s.angle;
    cameraType = s.cameraType;
    fovy = s.fovy;
    walkDelta = s.walkDelta; pitchDelta = s.pitchDelta; flyDelta = s.flyDelta;
    yawDelta = s.yawDelta;
    wireframe = s.wireframe;
    billboard = s.billboard;
    reshape(s.width, s.height);
}
