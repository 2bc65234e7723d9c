// libFuzzer entry for the image loader. Each input is read from memory (a
// stream over its bytes) twice: whole, through the stream load, and in parts,
// through the header and pixel readers, which must agree with it. Beyond the
// sanitizers' own checks: a record holds a buffer exactly when its status
// says so, and an image that loads must save to a real file and load back
// from it through tgaLoad unchanged.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/tga.h"
#include "tests/support/temp_folder.h"

static TempFolder *folder;
static std::string output;
volatile unsigned fuzzSink;

// Claims of more than 64 kB of pixels are cut down to about that before the
// load: under the sanitizer every free of a gigabyte buffer poisons 128 MB of
// shadow, which would leave a few hundred inputs a second. What such claims
// do (a 1.6 GB claim in 22 bytes, refusals of sizes that do not fit) is
// covered by the unit tests; the paths they take here are the same.
static const long long claimLimit = 64 << 10;

static void foldLargeClaim(uint8_t *file, size_t size)
{
    if (size < 18 || (file[2] != 2 && file[2] != 3))
        return;
    long long width = (short)(file[12] | file[13] << 8), height = (short)(file[14] | file[15] << 8);
    long long bytesPerPixel = file[16] / 8;
    long long claim = width * height * bytesPerPixel;
    if (width < 0 || height < 0 || claim <= claimLimit || claim > 0x7fffffff)
        return;
    if (width * bytesPerPixel > claimLimit)
        width = claimLimit / bytesPerPixel;
    height = claimLimit / (width * bytesPerPixel);
    file[12] = (uint8_t)width;
    file[13] = (uint8_t)(width >> 8);
    file[14] = (uint8_t)height;
    file[15] = (uint8_t)(height >> 8);
}

// The round trip's file lies in memory where there is such a folder, so that
// it costs microseconds rather than a disk's milliseconds.
static void makeScratch()
{
    struct stat st;
    static TempFolder made(stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "");
    if (made.dir.empty())
        abort();
    folder = &made;
    output = made.path("out.tga");
}

static size_t pixelBytes(const tgaInfo *info)
{
    return (size_t)info->width * info->height * (info->pixelDepth / 8);
}

static void checkRoundTrip(const tgaInfo *info)
{
    size_t size = pixelBytes(info);
    unsigned char *copy = (unsigned char *)malloc(size ? size : 1);
    memcpy(copy, info->imageData, size);
    if (tgaSave(output.c_str(), info->width, info->height, info->pixelDepth, copy) != tgaStatusOk)
        abort();
    tgaInfo *again = tgaLoad(output.c_str());
    if (!again || again->status != tgaStatusOk || again->width != info->width
        || again->height != info->height || again->pixelDepth != info->pixelDepth
        || memcmp(again->imageData, info->imageData, size) != 0)
        abort();
    tgaDestroy(again);
}

// The header and pixel readers on their own, on a file with neither ID nor
// map, must give what the whole load gave, short files included.
static void checkParts(FILE *stream, const uint8_t *data, size_t size, const tgaInfo *whole)
{
    if (size < 2 || data[0] != 0 || data[1] != 0 || !whole->imageData)
        return;
    rewind(stream);
    tgaInfo parts = {};
    tgaLoadHeader(stream, &parts);
    size_t bytes = pixelBytes(&parts);
    // Large claims only cost time here; the whole load has covered them.
    if (bytes > (size_t)claimLimit)
        return;
    unsigned char *pixels = (unsigned char *)malloc(bytes ? bytes : 1);
    if (!pixels)
        return;
    memset(pixels, 0xa5, bytes);
    parts.imageData = pixels;
    tgaLoadImageData(stream, &parts);
    if (parts.width != whole->width || parts.height != whole->height || parts.pixelDepth != whole->pixelDepth
        || memcmp(pixels, whole->imageData, bytes) != 0)
        abort();
    free(pixels);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *input, size_t size)
{
    if (!folder)
        makeScratch();
    if (size == 0)
        return 0;  // a stream over no bytes cannot be made; the unit tests load an empty file
    uint8_t *file = (uint8_t *)malloc(size);
    if (!file)
        return 0;
    memcpy(file, input, size);
    foldLargeClaim(file, size);
    FILE *stream = fmemopen(file, size, "rb");
    if (!stream)
        abort();

    tgaInfo *info = tgaLoadStream(stream);
    if (!info)
        abort();
    bool kept = info->status == tgaStatusOk || info->status == tgaStatusReadError;
    if (!kept && info->imageData)
        abort();
    if (info->status == tgaStatusOk && !info->imageData)
        abort();
    if (info->imageData) {
        // The first and last bytes: a buffer shorter than its image is caught.
        size_t bytes = pixelBytes(info);
        if (bytes > 0)
            fuzzSink = info->imageData[0] + info->imageData[bytes - 1];
        checkParts(stream, file, size, info);
    }
    fclose(stream);
    free(file);

    if (info->status == tgaStatusOk) {
        checkRoundTrip(info);
        tgaRGBtoGreyscale(info);
        // Every byte of the grey buffer is touched, so a short one is caught.
        unsigned sum = 0;
        for (size_t i = 0; i < pixelBytes(info); i++)
            sum += info->imageData[i];
        fuzzSink = sum;
    }
    tgaDestroy(info);
    return 0;
}
