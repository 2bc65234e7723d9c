// A frame's GL calls, written down as the program's own frame code makes them
// and played back as they stand. Played back, they are the frame's floor: the
// same calls with the same arguments, without the work that chose them, so a
// change to the frame moves its floor with it.
#pragma once

#include "app/platform.h"

#include <vector>

union TapeWord {
    GLfloat f;
    GLuint u;
};

struct Tape {
    std::vector<unsigned char> calls;
    std::vector<TapeWord> words;    // the calls' arguments, in call order
    std::vector<GLdouble> doubles;  // those passed as doubles
    int spritesInView = 0;          // quads whose foot lands inside the viewport
    bool swapped = false;           // the frame ended with its swap
};

// Draws one frame of the program as it stands, through a copy of its own frame
// code (built with bench/taped_copy.h in front), writing down every call.
// Where picture is given, the frame's back buffer is read into it before the swap.
void recordFrame(Tape &tape, std::vector<unsigned char> *picture);
// Makes the tape's calls again, reading the back buffer into picture likewise.
void playTape(const Tape &tape, std::vector<unsigned char> *picture);

// The copy's own tree-texture set-up: its tree pass draws a kind only where
// this found the image. Run it where initTextures runs, after it.
void tapedInitTextures();
