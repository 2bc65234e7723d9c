// The frame's floor: the same GL calls as the program's frame for a view,
// from arrays made ready once. The desktop bench and the browser's share it.
#pragma once

#include "app/platform.h"

#include <vector>

struct Sprite {
    GLuint texture;
    float base[3], halfWidth;
    GLfloat turn[16];  // the billboard's rotation for this view
};

struct View {
    float eye[3], look[3];
    GLfloat matrix[16];
    std::vector<int> cellSprite;  // 256 x 256, -1 where nothing is drawn
    std::vector<Sprite> sprites;
    int inView = 0;
};

// The start view, and one high over the south edge looking down across the land.
extern View views[2];

// Gathers the mesh from the world as it stands, and what each view draws.
void prepareFloor();
void floorFrame(const View &v);
void applyView(const View &v);
