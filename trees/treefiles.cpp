#include "trees/treefiles.h"

#include "app/platform.h"

#include <cstdio>

const char *findTreeImage(const char *name, char *path, size_t size)
{
    char folder[4096];
    if (pathKind(name) != fileMissing || !programFolder(folder, sizeof folder))
        return name;
    // The installed data folder as seen from the program's folder, "" or
    // ending in '/' (cmake/install.cmake): an install under any prefix, or a
    // package unpacked anywhere, finds its own images.
    int length = snprintf(path, size, "%s/%s%s", folder, VERDALO_DATA_FROM_PROGRAM, name);
    if (length < 0 || (size_t)length >= size || pathKind(path) == fileMissing)
        return name;
    return path;
}
