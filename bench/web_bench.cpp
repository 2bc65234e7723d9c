// The browser's frame figure: in the page's own GL, one frame of the start
// view timed back to back with its floor (the frame's own GL calls played
// back from its tape), each going first in turn; wall time to glFinish.
// Prints one line that the bench's driver (bench/web_bench.mjs) reads.
#include "app/platform.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/frame.h"
#include "app/projection.h"
#include "app/state.h"
#include "app/window.h"
#include "app/world.h"
#include "bench/frame_floor.h"
#include "trees/sprites.h"

int main()
{
    openWindow("Verdalo bench");
    initTextures();
    tapedInitTextures();
    srand(6);  // the world every figure is taken on
    buildWorld();
    reshape(width, height);
    if (const char *problem = prepareFloor()) {
        printf("verdalo_web_bench: %s\n", problem);
        fflush(stdout);
        return 1;
    }
    applyView(views[0]);

    const int pairs = 15;
    std::vector<double> ratios;
    double frameSum = 0, floorSum = 0;
    display(), glFinish();  // the first frame uploads what later ones reuse
    for (int k = 0; k < pairs; k++) {
        double t[2];
        for (int half = 0; half < 2; half++) {
            int floorNow = (half + k) % 2;
            double t0 = emscripten_get_now();
            if (floorNow)
                floorFrame(views[0]);
            else
                display();
            glFinish();
            t[floorNow] = emscripten_get_now() - t0;
        }
        frameSum += t[0];
        floorSum += t[1];
        ratios.push_back(t[0] / t[1]);
    }
    std::sort(ratios.begin(), ratios.end());
    printf("frame, start view: %.1f ms, floor %.1f ms, ratio %.3f (median of %d pairs), %i trees\n",
           frameSum / pairs, floorSum / pairs, ratios[pairs / 2], pairs, treeCount);
    fflush(stdout);
    return 0;
}
