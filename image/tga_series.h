// Inside the image module: the numbered saves, shared by the series save and
// the screen grab, which lives apart because it needs a GL.
#pragma once

// The next series number, used up whatever becomes of it.
int tgaTakeSeriesNumber();

// tgaSave under "<filename><number>.tga"; tgaStatusNoMemory when the name
// cannot be built.
int tgaSaveNumbered(const char *filename, int number, short width, short height, unsigned char pixelDepth,
                    unsigned char *imageData);
