#include "app/camera.h"

#include "app/platform.h"

#include <cmath>

#include "app/state.h"

void walk(float units)
{
    eyeX = eyeX + lookX * units;
    if (cameraType == 1)  // free mode follows the view up and down; level mode keeps the height
        eyeY = eyeY + lookY * units;
    eyeZ = eyeZ + lookZ * units;
}

void fly(float units)
{
    if (cameraType != 1)
        return;
    eyeX += upX * units;
    eyeY += upY * units;
    eyeZ += upZ * units;
}

void pitch(float units)
{
    lookY = (float)((double)lookY + 0.01 * (double)units);
}

void yaw(float angle)
{
    lookX = (float)std::sin((double)angle);
    lookZ = -(float)std::cos((double)angle);
}

void lookFromEye()
{
    gluLookAt(eyeX, eyeY, eyeZ, eyeX + lookX, eyeY + lookY, eyeZ + lookZ, upX, upY, upZ);
}
