// Windows' C library turns "\n" into "\r\n" and stops at 0x1A in text mode:
// an image must come back byte for byte, so the module has to read and write
// in binary mode there. Built and run on every system, it matters on Windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/tga.h"
#include "tests/support/scratch.h"

namespace {

using TgaOnWindows = Scratch;

TEST_F(TgaOnWindows, BytesThatTextModeChangesSurviveASaveAndALoad)
{
    std::string saved = path("binary.tga");
    const char *name = saved.c_str();
    // Width 10 puts 0x0A into the header too.
    const short width = 10, height = 2;
    const unsigned char pattern[] = {0x0A, 0x0D, 0x1A, 0x00, 0xFF, 0x0D, 0x0A, 0x1A};
    const size_t size = (size_t)width * height * 3;
    unsigned char *pixels = (unsigned char *)malloc(size);
    unsigned char expected[size];
    ASSERT_NE(pixels, nullptr);
    for (size_t k = 0; k < size; k++)
        expected[k] = pixels[k] = pattern[k % sizeof pattern];

    ASSERT_EQ(tgaSave(name, width, height, 24, pixels), tgaStatusOk);
    FILE *file = fopen(name, "rb");
    ASSERT_NE(file, nullptr);
    fseek(file, 0, SEEK_END);
    EXPECT_EQ(ftell(file), (long)(18 + size));
    fclose(file);

    tgaInfo *info = tgaLoad(name);
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(info->status, tgaStatusOk);
    EXPECT_EQ(info->width, width);
    EXPECT_EQ(info->height, height);
    EXPECT_EQ(memcmp(info->imageData, expected, size), 0);
    tgaDestroy(info);
}

}  // namespace
