// The projection, rebuilt on every resize and by the zoom keys.
#pragma once

void reshape(int w1, int h1);
