#include "image/tga.h"
