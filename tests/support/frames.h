// What the program put on screen, seen from inside a GL test binary: every
// glutSwapBuffers of the program is counted, and the back buffer is read just
// before it is swapped, while its contents are still defined.
#pragma once

#include <vector>

struct SwappedFrame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;  // bottom row first, 4 bytes a pixel

    const unsigned char *at(int x, int y) const { return &rgba[((size_t)y * (size_t)width + (size_t)x) * 4]; }
};

// Swaps made since the binary started.
long swapCount();

// The frame of the latest swap (empty before the first one).
const SwappedFrame &lastSwappedFrame();
