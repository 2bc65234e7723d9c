// Some fixtures rest on values found in glibc's rand sequence (seeds that
// give chosen draws, a world recorded bit for bit). Another C library's rand
// is another generator, so those fixtures ask the generator itself, by its
// first draws, and skip with the reason where it is not glibc's.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

// glibc's first three draws after srand(1). Leaves the sequence reseeded.
inline bool randIsGlibc()
{
    srand(1);
    int a = rand(), b = rand(), c = rand();
    return a == 1804289383 && b == 846930886 && c == 1681692777;
}

#define SKIP_UNLESS_GLIBC_RAND()                                                                              \
    do {                                                                                                      \
        if (!randIsGlibc())                                                                                   \
            GTEST_SKIP() << "its values come from glibc's rand sequence, and this C library's rand is another " \
                            "generator";                                                                      \
    } while (0)
