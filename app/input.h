// Keyboard and mouse bindings. Each handler acts on at most one binding and
// then draws one frame itself.
#pragma once

void keyboard(unsigned char key, int x, int y);
void keyboardUp(unsigned char key, int x, int y);
void special(int key, int x, int y);
void specialUp(int key, int x, int y);
void mouse(int button, int state, int x, int y);
