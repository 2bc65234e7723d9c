#include "bench/frame_floor.h"

#include "app/state.h"

View views[2] = {{{eyeX, eyeY, eyeZ}, {lookX, lookY, lookZ}, {}},  // the start view
                 // high over the south edge, looking north and down across the land
                 {{128.0f, 70.0f, 280.0f}, {0.0f, -0.35f, -1.0f}, {}}};

void applyView(const View &v)
{
    eyeX = v.eye[0], eyeY = v.eye[1], eyeZ = v.eye[2];
    lookX = v.look[0], lookY = v.look[1], lookZ = v.look[2];
}

const char *prepareFloor()
{
    std::vector<unsigned char> drawn, played;
    for (View &v : views) {
        applyView(v);
        recordFrame(v.tape, &drawn);
        if (!v.tape.swapped)
            return "the frame ended without its swap";
        playTape(v.tape, &played);
        // A call the tape does not know is drawn by the frame but not played back.
        if (played != drawn)
            return "the floor's playback draws another picture than the frame";
    }
    return nullptr;
}

void floorFrame(const View &v) { playTape(v.tape, nullptr); }
