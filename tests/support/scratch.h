// Each test in a private temporary folder, and the whole-file helpers the
// image, tree, end-to-end and install tests write their files with: one TGA
// header writer for every hand-made image, one for tree images of one colour.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/tga.h"
#include "tests/support/temp_folder.h"

using Bytes = std::vector<unsigned char>;

class Scratch : public ::testing::Test, protected TempFolder {
protected:
    void SetUp() override { ASSERT_FALSE(dir.empty()) << "no temporary folder could be made"; }
};

inline Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The 18 header bytes, 16-bit fields low byte first; descriptor bit 5 says
// the rows are stored top first.
inline Bytes tgaHeader(int type, int width, int height, int depth, int idLength = 0, int mapType = 0,
                       int mapLength = 0, int mapBits = 0, int descriptor = 0)
{
    int fields[18] = {idLength, mapType, type, 0, 0, mapLength & 0xff, mapLength >> 8 & 0xff,
                      mapBits, 0, 0, 0, 0, width & 0xff, width >> 8 & 0xff, height & 0xff,
                      height >> 8 & 0xff, depth, descriptor};
    Bytes h;
    for (int f : fields)
        h.push_back((unsigned char)f);
    return h;
}

inline void writeFile(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) {
        ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    ASSERT_EQ(fclose(f), 0);
}

// A tree image written through the module itself: w x h, opaque, of one
// colour; with halfClear its right half is alpha 0 over white, which the
// alpha test must cut away.
inline void writeImage(const char *name, unsigned char r, unsigned char g, unsigned char b, bool halfClear = false,
                       int w = 8, int h = 8, int depth = 32)
{
    int bytes = depth / 8;
    unsigned char *pixels = (unsigned char *)malloc((size_t)w * h * bytes);
    ASSERT_NE(pixels, nullptr);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned char *p = pixels + ((size_t)y * w + x) * bytes;
            bool clear = halfClear && x >= w / 2;
            p[0] = clear ? 255 : r;
            p[1] = clear ? 255 : g;
            p[2] = clear ? 255 : b;
            if (bytes == 4)
                p[3] = clear ? 0 : 255;
        }
    // A successful save takes the buffer over.
    int status = tgaSave(name, (short)w, (short)h, (unsigned char)depth, pixels);
    if (status != tgaStatusOk)
        free(pixels);
    ASSERT_EQ(status, tgaStatusOk) << name;
}

inline Bytes readFile(const std::string &path)
{
    Bytes bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

inline std::string readText(const std::string &path)
{
    Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// A heap copy, the way the module expects pixel buffers to be handed over.
inline unsigned char *heapCopy(const Bytes &bytes)
{
    unsigned char *p = (unsigned char *)malloc(bytes.size() ? bytes.size() : 1);
    for (size_t i = 0; i < bytes.size(); i++)
        p[i] = bytes[i];
    return p;
}

// Bytes that differ from their neighbours and from their place.
inline Bytes pattern(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; i++)
        b[i] = (unsigned char)(i * 7 + 1);
    return b;
}

inline Bytes pixelsOf(const tgaInfo *info)
{
    size_t size = (size_t)info->width * info->height * (info->pixelDepth / 8);
    return Bytes(info->imageData, info->imageData + size);
}
