// The frame's floor: the program's own frame for a view, its GL calls written
// down once and played back (bench/tape.h). The desktop bench and the
// browser's share it.
#pragma once

#include "bench/tape.h"

struct View {
    float eye[3], look[3];
    Tape tape;
};

// The start view, and one high over the south edge looking down across the land.
extern View views[2];

// Records each view's frame from the world as it stands, and plays it back:
// nullptr when the playback draws the frame's picture, else what went wrong.
const char *prepareFloor();
void floorFrame(const View &v);
void applyView(const View &v);
