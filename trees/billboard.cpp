#include "trees/billboard.h"

#include "app/platform.h"

#include <cmath>

void normalize(float *v)
{
    float length = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void billboardCylindricalBegin(const float *cam, const float *worldPos)
{
    float facing[3] = {0.0f, 0.0f, 1.0f};  // an unturned sprite faces +z
    float toCam[3] = {cam[0] - worldPos[0], 0.0f, cam[2] - worldPos[2]};
    if (toCam[0] == 0.0f && toCam[2] == 0.0f)
        return;  // camera straight above the base: no horizontal direction to face
    normalize(toCam);

    float axis[3] = {facing[1] * toCam[2] - toCam[1] * facing[2],
                     facing[2] * toCam[0] - toCam[2] * facing[0],
                     facing[0] * toCam[1] - toCam[0] * facing[1]};
    float cosine = facing[0] * toCam[0] + facing[1] * toCam[1] + facing[2] * toCam[2];

    // Near 0 or 180 degrees the axis degenerates; the sprite stays as it is.
    if ((double)cosine < 0.9999 && (double)cosine > -0.9999) {
        float degrees = (float)((double)(acosf(cosine) * 180.0f) / 3.14);
        glRotatef(degrees, axis[0], axis[1], axis[2]);
    }
}
