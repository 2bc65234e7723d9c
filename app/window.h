// The program's window: GLUT started with an empty command line, an RGBA
// double-buffered window with a depth buffer at (100, 100) of width x height
// pixels, and the light blue clear colour. The tests and the bench open theirs
// with it too, so that they draw into what the program draws into.
#pragma once

void openWindow(const char *title);
