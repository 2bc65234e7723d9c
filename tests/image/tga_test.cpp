#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "image/tga.h"
#include "tests/support/scratch.h"

namespace {

Bytes cut(Bytes b, size_t n)
{
    b.resize(n);
    return b;
}

// A record made by hand, its buffer on the heap as the module would make it.
tgaInfo *record(unsigned char type, unsigned char depth, short width, short height, const Bytes &data)
{
    tgaInfo *info = (tgaInfo *)malloc(sizeof(tgaInfo));
    info->status = tgaStatusOk;
    info->imageType = type;
    info->pixelDepth = depth;
    info->width = width;
    info->height = height;
    info->imageData = data.empty() ? nullptr : heapCopy(data);
    return info;
}

using TgaFile = Scratch;

TEST_F(TgaFile, TwoPixelColourImageIsWrittenByteForByteAndReadBack)
{
    std::string file = path("pair.tga");
    ASSERT_EQ(tgaSave(file.c_str(), 2, 1, 24, heapCopy({10, 20, 30, 40, 50, 60})), tgaStatusOk);

    Bytes expected = {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                      0x02, 0x00, 0x01, 0x00, 0x18, 0x00, 30, 20, 10, 60, 50, 40};
    EXPECT_EQ(readFile(file), expected);

    tgaInfo *info = tgaLoad(file.c_str());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->status, tgaStatusOk);
    EXPECT_EQ(info->imageType, 2);
    EXPECT_EQ(info->pixelDepth, 24);
    EXPECT_EQ(info->width, 2);
    EXPECT_EQ(info->height, 1);
    ASSERT_NE(info->imageData, nullptr);
    EXPECT_EQ(pixelsOf(info), (Bytes{10, 20, 30, 40, 50, 60}));
    tgaDestroy(info);
}

TEST_F(TgaFile, EachDepthIsWrittenWithItsTypeAndByteOrderAndReadBack)
{
    struct Case {
        unsigned char depth;
        short width, height;
        int type;
        Bytes given, inFile;
    } cases[] = {
        {8, 3, 1, 3, {1, 2, 3}, {1, 2, 3}},
        {16, 2, 1, 3, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {15, 2, 1, 3, {7, 8}, {7, 8}},
        {24, 1, 2, 2, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}},
        {32, 2, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}, {3, 2, 1, 4, 7, 6, 5, 8}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth));
        std::string file = path("d" + std::to_string(c.depth) + ".tga");
        ASSERT_EQ(tgaSave(file.c_str(), c.width, c.height, c.depth, heapCopy(c.given)), tgaStatusOk);
        EXPECT_EQ(readFile(file), tgaHeader(c.type, c.width, c.height, c.depth) + c.inFile);

        tgaInfo *info = tgaLoad(file.c_str());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->status, tgaStatusOk);
        EXPECT_EQ(info->imageType, c.type);
        EXPECT_EQ(info->pixelDepth, c.depth);
        EXPECT_EQ(info->width, c.width);
        EXPECT_EQ(info->height, c.height);
        ASSERT_NE(info->imageData, nullptr);
        EXPECT_EQ(pixelsOf(info), c.given);
        tgaDestroy(info);
    }
}

TEST_F(TgaFile, OddAndHostileFilesGetTheirStatus)
{
    struct Case {
        std::string what;
        Bytes file;
        int status;
        int type, depth, width, height;
        std::optional<Bytes> pixels;  // the buffer the record holds, if any
    };
    const std::nullopt_t none = std::nullopt;
    Bytes rgbPair = {30, 20, 10, 60, 50, 40};
    std::vector<Case> cases = {
        {"empty file", {}, tgaStatusReadError, 0, 0, 0, 0, none},
        {"header cut after the width", cut(tgaHeader(2, 3, 2, 24), 14), tgaStatusReadError, 2, 0, 3, 0, none},
        // Cut inside the pixels: the buffer is kept, what the file lacks is 0.
        {"header without pixels", tgaHeader(2, 2, 1, 24), tgaStatusReadError, 2, 24, 2, 1, Bytes(6, 0)},
        {"pixels cut short", tgaHeader(2, 2, 2, 24) + pattern(11), tgaStatusReadError, 2, 24, 2, 2,
         Bytes{15, 8, 1, 36, 29, 22, 57, 50, 43, 0, 71, 64}},
        {"ID of 255 bytes on a short file", tgaHeader(2, 1, 1, 24, 255) + pattern(10), tgaStatusReadError,
         2, 24, 1, 1, none},
        {"colour map longer than the file", tgaHeader(2, 1, 1, 24, 0, 1, 100, 24) + pattern(3),
         tgaStatusReadError, 2, 24, 1, 1, none},
        {"colour-mapped", tgaHeader(1, 1, 1, 8, 0, 1, 2, 24) + pattern(6) + Bytes{1}, tgaStatusColourMapped,
         1, 8, 1, 1, none},
        {"colour-mapped header alone", tgaHeader(1, 128, 128, 8, 30, 1, 256, 8), tgaStatusColourMapped, 1, 8,
         128, 128, none},
        {"RLE header with an ID the file lacks", tgaHeader(10, 2, 2, 24, 40), tgaStatusUnsupportedType, 10, 24,
         2, 2, none},
        {"negative width", tgaHeader(2, 0xffff, 1, 24) + pattern(3), tgaStatusBadSize, 2, 24, -1, 1, none},
        {"negative height", tgaHeader(3, 1, 0x8000, 8) + pattern(1), tgaStatusBadSize, 3, 8, 1, -32768, none},
        {"2^32 bytes of pixels", tgaHeader(2, 32767, 32767, 32) + pattern(4), tgaStatusBadSize, 2, 32, 32767,
         32767, none},
        {"31 bytes per pixel", tgaHeader(3, 32767, 32767, 255) + pattern(31), tgaStatusBadSize, 3, 255, 32767,
         32767, none},
        {"ID bytes before the pixels", tgaHeader(2, 2, 1, 24, 4) + Bytes{'a', 'b', 'c', 'd'} + rgbPair,
         tgaStatusOk, 2, 24, 2, 1, Bytes{10, 20, 30, 40, 50, 60}},
        {"colour map in a true-colour file", tgaHeader(2, 1, 1, 24, 0, 1, 3, 24) + Bytes(9, 0xee) + Bytes{3, 2, 1},
         tgaStatusOk, 2, 24, 1, 1, Bytes{1, 2, 3}},
        {"ID and 15-bit map entries of 2 bytes", tgaHeader(3, 1, 1, 8, 2, 1, 2, 15) + Bytes(2 + 4, 0xee) + Bytes{77},
         tgaStatusOk, 3, 8, 1, 1, Bytes{77}},
        {"map fields without a map", tgaHeader(3, 2, 1, 8, 0, 0, 5, 24) + Bytes{5, 6}, tgaStatusOk, 3, 8, 2, 1,
         Bytes{5, 6}},
        {"depth 15, one byte a pixel", tgaHeader(2, 3, 1, 15) + Bytes{1, 2, 3}, tgaStatusOk, 2, 15, 3, 1,
         Bytes{1, 2, 3}},
        {"depth 16 in a true-colour file", tgaHeader(2, 2, 1, 16) + Bytes{1, 2, 3, 4}, tgaStatusOk, 2, 16, 2, 1,
         Bytes{1, 2, 3, 4}},
        {"depth 40, five bytes a pixel", tgaHeader(2, 1, 1, 40) + Bytes{3, 2, 1, 4, 5}, tgaStatusOk, 2, 40, 1, 1,
         Bytes{1, 2, 3, 4, 5}},
        {"bytes after the pixels", tgaHeader(3, 2, 1, 8) + Bytes{9, 8} + pattern(26), tgaStatusOk, 3, 8, 2, 1,
         Bytes{9, 8}},
        {"no pixels at all", tgaHeader(2, 0, 5, 24), tgaStatusOk, 2, 24, 0, 5, Bytes{}},
    };
    for (int type : {0, 9, 10, 11, 32, 255})
        cases.push_back({"type " + std::to_string(type), tgaHeader(type, 1, 1, 24) + pattern(3),
                         tgaStatusUnsupportedType, type, 24, 1, 1, none});

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = path("case.tga");
        writeFile(file, c.file);
        tgaInfo *info = tgaLoad(file.c_str());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->status, c.status);
        EXPECT_EQ(info->imageType, c.type);
        EXPECT_EQ(info->pixelDepth, c.depth);
        EXPECT_EQ(info->width, c.width);
        EXPECT_EQ(info->height, c.height);
        if (c.pixels) {
            ASSERT_NE(info->imageData, nullptr);
            EXPECT_EQ(pixelsOf(info), *c.pixels);
        } else {
            EXPECT_EQ(info->imageData, nullptr);
        }
        tgaDestroy(info);
    }
}

TEST_F(TgaFile, FileThatCannotBeOpenedOrReadGetsItsStatus)
{
    tgaInfo *info = tgaLoad(path("missing.tga").c_str());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->status, tgaStatusOpenFailed);
    EXPECT_EQ(info->imageData, nullptr);
    EXPECT_EQ(info->width, 0);
    tgaDestroy(info);

    tgaDestroy(nullptr);
}

TEST_F(TgaFile, HeaderReaderStopsAtByte18AndShortPixelDataIsZeroFilled)
{
    std::string file = path("short.tga");
    writeFile(file, tgaHeader(2, 2, 1, 24, 3) + Bytes{'x', 'y', 'z'} + Bytes{3, 2, 1, 6});
    FILE *f = fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);

    tgaInfo info = {};
    tgaLoadHeader(f, &info);
    EXPECT_EQ(ftell(f), 18);
    EXPECT_EQ(info.width, 2);
    EXPECT_EQ(info.imageType, 2);
    // The image ID is the caller's to read.
    char id[4] = {};
    ASSERT_EQ(fread(id, 1, 3, f), 3u);
    EXPECT_STREQ(id, "xyz");

    Bytes stale(6, 0xaa);
    info.imageData = stale.data();
    tgaLoadImageData(f, &info);
    EXPECT_TRUE(feof(f));
    // The 2 bytes the file lacks are 0; red and blue are exchanged in both pixels.
    EXPECT_EQ(stale, (Bytes{1, 2, 3, 0, 0, 6}));
    fclose(f);
}

TEST_F(TgaFile, TheDescriptorIsHandedOverAndTopFirstRowsStayInFileOrder)
{
    Bytes top = tgaHeader(2, 1, 2, 24);
    top[17] = 0x28;  // top-left origin, 8 alpha bits
    std::string file = path("top.tga");
    writeFile(file, top + Bytes{3, 2, 1, 6, 5, 4});
    tgaInfo *info = tgaLoad(file.c_str());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->status, tgaStatusOk);
    EXPECT_EQ(info->imageDescriptor, 0x28);
    EXPECT_EQ(pixelsOf(info), (Bytes{1, 2, 3, 4, 5, 6}));
    tgaDestroy(info);
}

TEST_F(TgaFile, StreamLoadStartsWhereTheStreamIsAndLeavesItOpen)
{
    Bytes image = tgaHeader(2, 2, 1, 24, 3) + Bytes{'i', 'd', '!'} + Bytes{30, 20, 10, 60, 50, 40};
    std::string file = path("lead.tga");
    writeFile(file, Bytes{'#', '#'} + image + Bytes{'t', 'a', 'i', 'l'});
    FILE *f = fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fseek(f, 2, SEEK_SET), 0);
    tgaInfo *info = tgaLoadStream(f);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->status, tgaStatusOk);
    EXPECT_EQ(pixelsOf(info), (Bytes{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(ftell(f), 2 + (long)image.size());
    EXPECT_EQ(fgetc(f), 't');
    tgaDestroy(info);
    fclose(f);
}

TEST(TgaGrey, ColourPixelsBecomeTruncatedWeightedSums)
{
    Bytes rgb = {255, 255, 255, 200, 100, 50, 128, 128, 128, 1, 1, 1};
    Bytes rgba = {255, 255, 255, 9, 200, 100, 50, 99, 128, 128, 128, 0, 1, 1, 1, 255};
    for (auto [depth, data] : {std::pair<int, Bytes>{24, rgb}, {32, rgba}}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        tgaInfo *info = record(2, (unsigned char)depth, 2, 2, data);
        info->status = tgaStatusReadError;  // to see that it is kept
        tgaRGBtoGreyscale(info);
        EXPECT_EQ(info->pixelDepth, 8);
        EXPECT_EQ(info->imageType, 3);
        EXPECT_EQ(info->width, 2);
        EXPECT_EQ(info->height, 2);
        EXPECT_EQ(info->status, tgaStatusReadError);
        EXPECT_EQ(pixelsOf(info), (Bytes{255, 124, 127, 0}));
        tgaDestroy(info);
    }
}

TEST(TgaGrey, ImagesWithoutThreeColourBytesAreLeftAsTheyAre)
{
    struct Case {
        unsigned char type, depth;
        short width, height;
        Bytes data;
    } cases[] = {
        {2, 8, 3, 1, {10, 20, 30}},  // depth 8 whatever the type
        {3, 16, 2, 1, {1, 2, 3, 4}},
        {3, 15, 3, 1, {1, 2, 3}},
        {2, 24, 4, 4, {}},  // no buffer
        {2, 24, -1, 1, {1, 2, 3}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth));
        tgaInfo *info = record(c.type, c.depth, c.width, c.height, c.data);
        unsigned char *before = info->imageData;
        tgaRGBtoGreyscale(info);
        EXPECT_EQ(info->imageData, before);
        EXPECT_EQ(info->pixelDepth, c.depth);
        EXPECT_EQ(info->imageType, c.type);
        if (before) {
            EXPECT_EQ(Bytes(before, before + c.data.size()), c.data);
        }
        tgaDestroy(info);
    }
}

TEST_F(TgaFile, RefusedSaveLeavesTheBufferAndTheDiskAlone)
{
    struct Case {
        std::string what, file;
        short width, height;
        unsigned char depth;
        bool buffer;
        int status;
    } cases[] = {
        {"folder that does not exist", path("none/x.tga"), 2, 1, 24, true, tgaStatusOpenFailed},
        {"negative width", path("w.tga"), -2, 1, 24, true, tgaStatusBadSize},
        {"negative height", path("h.tga"), 2, -1, 32, true, tgaStatusBadSize},
        {"2^32 bytes", path("big.tga"), 32767, 32767, 32, true, tgaStatusBadSize},
        {"no buffer", path("null.tga"), 2, 1, 24, false, tgaStatusNoMemory},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes given = {10, 20, 30, 40, 50, 60, 70, 80};
        unsigned char *buffer = c.buffer ? heapCopy(given) : nullptr;
        EXPECT_EQ(tgaSave(c.file.c_str(), c.width, c.height, c.depth, buffer), c.status);
        if (buffer) {
            EXPECT_EQ(Bytes(buffer, buffer + given.size()), given);
        }
        free(buffer);  // still ours
        EXPECT_TRUE(filesInDir().empty());
    }
}

TEST_F(TgaFile, SeriesNumbersEveryCallAndKeepsCountingPast999)
{
    // The counter belongs to the module: this is the one test here that moves
    // it, so it starts at 0.
    std::string shot = path("shot");
    ASSERT_EQ(tgaSaveSeries(shot.c_str(), 1, 1, 8, heapCopy({0})), tgaStatusOk);

    unsigned char *kept = heapCopy({1});
    EXPECT_EQ(tgaSaveSeries(path("none/shot").c_str(), 1, 1, 8, kept), tgaStatusOpenFailed);
    EXPECT_EQ(tgaSaveSeries(shot.c_str(), -1, 1, 8, kept), tgaStatusBadSize);
    EXPECT_EQ(tgaSaveSeries(shot.c_str(), 1, 1, 8, nullptr), tgaStatusNoMemory);
    free(kept);

    for (int n = 4; n <= 1001; n++)
        ASSERT_EQ(tgaSaveSeries(shot.c_str(), 1, 1, 8, heapCopy({(unsigned char)n})), tgaStatusOk) << n;

    std::vector<std::string> expected = {"shot0.tga"};
    for (int n = 4; n <= 1001; n++)
        expected.push_back("shot" + std::to_string(n) + ".tga");
    std::vector<std::string> found = filesInDir();
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);

    for (int n : {0, 999, 1000, 1001}) {
        tgaInfo *info = tgaLoad((shot + std::to_string(n) + ".tga").c_str());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->status, tgaStatusOk) << n;
        ASSERT_NE(info->imageData, nullptr);
        EXPECT_EQ(info->imageData[0], (unsigned char)n) << n;
        tgaDestroy(info);
    }
}

}  // namespace
