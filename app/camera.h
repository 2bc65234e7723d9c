// The four camera motions. The frame applies them; nothing else moves the eye.
#pragma once

void walk(float units);
void fly(float units);
void pitch(float units);
void yaw(float angle);

// Multiplies the view from the current eye, direction and up vector onto the
// current matrix (the frame and every reshape start from it).
void lookFromEye();
