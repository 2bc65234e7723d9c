// Where the tree set-up reads each tree image from.
#pragma once

#include <cstddef>

// The working directory's own file when anything at all stands under that
// name there, so a folder's own image, usable or not, is what the set-up
// reads and reports on. Only where nothing does, the copy installed with the
// program (its data folder, found from the program's own folder) when there
// is one. Otherwise the name itself, which the set-up reports as missing.
// Returns name or path, which holds size bytes.
const char *findTreeImage(const char *name, char *path, size_t size);
