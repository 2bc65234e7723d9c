// libFuzzer entry for the image loader: each input is written to a file and
// loaded. Beyond the sanitizers' own checks, a failed load must hold no
// buffer, and an image that loads must save and load back unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/tga.h"

static std::string folder, input, output;
volatile unsigned fuzzSink;

static void removeScratch()
{
    unlink(input.c_str());
    unlink(output.c_str());
    rmdir(folder.c_str());
}

static void makeScratch()
{
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/verdalo-fuzz-XXXXXX";
    char name[4096];
    snprintf(name, sizeof name, "%s", pattern.c_str());
    if (!mkdtemp(name))
        abort();
    folder = name;
    input = folder + "/in.tga";
    output = folder + "/out.tga";
    atexit(removeScratch);
}

static void checkRoundTrip(const tgaInfo *info)
{
    size_t size = (size_t)info->width * info->height * (info->pixelDepth / 8);
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (folder.empty())
        makeScratch();
    FILE *f = fopen(input.c_str(), "wb");
    if (!f || (size && fwrite(data, 1, size, f) != size) || fclose(f) != 0)
        abort();

    tgaInfo *info = tgaLoad(input.c_str());
    if (!info)
        return 0;
    if (info->status != tgaStatusOk) {
        if (info->imageData)
            abort();
    } else {
        checkRoundTrip(info);
        tgaRGBtoGreyscale(info);
        // Every byte of the grey buffer is touched, so a short one is caught.
        unsigned sum = 0;
        for (long i = 0; i < (long)info->width * info->height * (info->pixelDepth / 8); i++)
            sum += info->imageData[i];
        fuzzSink = sum;
    }
    tgaDestroy(info);
    return 0;
}
