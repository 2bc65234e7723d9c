// The screen grab: the one part of the image module that needs a GL.
#include "image/tga.h"

#include "app/platform.h"

#include <climits>
#include <cstdlib>

#include "image/tga_series.h"

int tgaGrabScreenSeries(const char *filename, int x, int y, int w, int h)
{
    int number = tgaTakeSeriesNumber();
    if (w < 0 || h < 0 || w > SHRT_MAX || h > SHRT_MAX)
        return tgaStatusBadSize;
    long long size = (long long)w * h * 4;
    if (size > INT_MAX)
        return tgaStatusBadSize;

    // Zeroed, so a read that fails saves black rather than stale memory.
    unsigned char *buffer = (unsigned char *)calloc(size > 0 ? (size_t)size : 1, 1);
    if (!buffer)
        return tgaStatusNoMemory;
    if (size > 0)
        glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, buffer);

    int status = tgaSaveNumbered(filename, number, (short)w, (short)h, 32, buffer);
    if (status != tgaStatusOk)
        free(buffer);
    return status;
}
