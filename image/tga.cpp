#include "image/tga.h"

#include "app/platform_system.h"
#include "image/tga_series.h"

#include <climits>
#include <cstdlib>
#include <cstring>

// Number of the next series file; shared by every base name.
static int savedImages = 0;

// Pixel bytes for the given sizes, or -1 when a size is negative or the total
// does not fit a signed 32-bit count. 32767 x 32767 x 31 fits a long long.
static long long tgaPixelBytes(short width, short height, unsigned char pixelDepth)
{
    if (width < 0 || height < 0)
        return -1;
    long long size = (long long)width * height * (pixelDepth / 8);
    return size > INT_MAX ? -1 : size;
}

// Red and blue change places in every pixel of 3 or more bytes.
static void tgaSwapRedBlue(unsigned char *data, long long size, int bytesPerPixel)
{
    if (bytesPerPixel < 3)
        return;
    for (long long k = 0; k < size; k += bytesPerPixel) {
        unsigned char t = data[k];
        data[k] = data[k + 2];
        data[k + 2] = t;
    }
}

static void tgaSkip(FILE *file, long count)
{
    unsigned char scrap[512];
    while (count > 0) {
        size_t part = count < (long)sizeof scrap ? (size_t)count : sizeof scrap;
        if (fread(scrap, 1, part, file) != part)
            return;
        count -= (long)part;
    }
}

// What the header says about the bytes between it and the pixel data.
struct tgaLead {
    unsigned idLength, mapType, mapLength, mapEntryBits;
};

// One read per header field; 16-bit fields are little-endian. Bytes the file
// does not supply stay 0.
static unsigned tgaReadField(FILE *file, size_t bytes)
{
    unsigned char b[2] = {0, 0};
    fread(b, 1, bytes, file);
    return b[0] | (unsigned)b[1] << 8;
}

static void tgaReadHeader(FILE *file, tgaInfo *info, tgaLead *lead)
{
    lead->idLength = tgaReadField(file, 1);
    lead->mapType = tgaReadField(file, 1);
    info->imageType = (unsigned char)tgaReadField(file, 1);
    tgaReadField(file, 2);  // first colour map index
    lead->mapLength = tgaReadField(file, 2);
    lead->mapEntryBits = tgaReadField(file, 1);
    tgaReadField(file, 2);  // x origin
    tgaReadField(file, 2);  // y origin
    info->width = (short)tgaReadField(file, 2);
    info->height = (short)tgaReadField(file, 2);
    info->pixelDepth = (unsigned char)tgaReadField(file, 1);
    info->imageDescriptor = (unsigned char)tgaReadField(file, 1);
}

void tgaLoadHeader(FILE *file, tgaInfo *info)
{
    tgaLead lead;
    tgaReadHeader(file, info, &lead);
}

// The single read of the pixels. When the buffer is known to be zeroed the
// part the stream does not supply is left alone, so a short file's claimed
// size costs no memory beyond what it holds.
static void tgaReadPixels(FILE *file, tgaInfo *info, bool zeroed)
{
    long long size = tgaPixelBytes(info->width, info->height, info->pixelDepth);
    if (!info->imageData || size < 0)
        return;
    size_t got = fread(info->imageData, 1, (size_t)size, file);
    if (got < (size_t)size && !zeroed)
        memset(info->imageData + got, 0, (size_t)size - got);
    // Past the last pixel the file began there is nothing but zeros to swap.
    long long used = size;
    int bytesPerPixel = info->pixelDepth / 8;
    if (bytesPerPixel > 0 && (long long)got < size)
        used = ((long long)got + bytesPerPixel - 1) / bytesPerPixel * bytesPerPixel;
    tgaSwapRedBlue(info->imageData, used, bytesPerPixel);
}

void tgaLoadImageData(FILE *file, tgaInfo *info)
{
    tgaReadPixels(file, info, false);
}

static bool tgaCutShort(FILE *file)
{
    return ferror(file) || feof(file);
}

// Everything of a load after the open, on a record with its fields cleared.
static int tgaReadImage(FILE *file, tgaInfo *info)
{
    tgaLead lead;
    tgaReadHeader(file, info, &lead);
    if (tgaCutShort(file))
        return tgaStatusReadError;
    if (info->imageType == 1)
        return tgaStatusColourMapped;
    if (info->imageType != 2 && info->imageType != 3)
        return tgaStatusUnsupportedType;
    long long size = tgaPixelBytes(info->width, info->height, info->pixelDepth);
    if (size < 0)
        return tgaStatusBadSize;

    // The ID and the map come before the pixels; neither is kept.
    long skip = (long)lead.idLength;
    if (lead.mapType == 1)
        skip += (long)lead.mapLength * (long)((lead.mapEntryBits + 7) / 8);
    tgaSkip(file, skip);
    if (tgaCutShort(file))
        return tgaStatusReadError;

    // An empty image still gets a buffer, so that Ok always comes with one.
    info->imageData = (unsigned char *)calloc(size > 0 ? (size_t)size : 1, 1);
    if (!info->imageData)
        return tgaStatusNoMemory;
    tgaReadPixels(file, info, true);
    // A file cut off inside its pixels keeps them, the missing bytes 0.
    return tgaCutShort(file) ? tgaStatusReadError : tgaStatusOk;
}

static tgaInfo *tgaNewRecord()
{
    tgaInfo *info = (tgaInfo *)malloc(sizeof(tgaInfo));
    if (!info)
        return nullptr;
    info->status = tgaStatusOk;
    info->imageType = 0;
    info->pixelDepth = 0;
    info->width = 0;
    info->height = 0;
    info->imageData = nullptr;
    info->imageDescriptor = 0;
    return info;
}

tgaInfo *tgaLoadStream(FILE *file)
{
    tgaInfo *info = tgaNewRecord();
    if (info)
        info->status = tgaReadImage(file, info);
    return info;
}

tgaInfo *tgaLoad(const char *filename)
{
    tgaInfo *info = tgaNewRecord();
    if (!info)
        return nullptr;
    FILE *file = fopen(filename, "rb");
    if (!file) {
        info->status = tgaStatusOpenFailed;
        return info;
    }
    info->status = tgaReadImage(file, info);
    fclose(file);
    return info;
}

void tgaRGBtoGreyscale(tgaInfo *info)
{
    if (info->pixelDepth == 8)
        return;
    int bytesPerPixel = info->pixelDepth / 8;
    if (bytesPerPixel < 3 || !info->imageData || info->width < 0 || info->height < 0)
        return;

    long long pixels = (long long)info->width * info->height;
    unsigned char *grey = (unsigned char *)malloc(pixels > 0 ? (size_t)pixels : 1);
    if (!grey)
        return;
    for (long long p = 0; p < pixels; p++) {
        const unsigned char *s = info->imageData + p * bytesPerPixel;
        double g = (0.3 * s[0] + 0.59 * s[1]) + 0.11 * s[2];
        grey[p] = (unsigned char)(unsigned)g;
    }
    free(info->imageData);
    info->imageData = grey;
    info->pixelDepth = 8;
    info->imageType = 3;
}

static void tgaWriteField(FILE *file, unsigned value, size_t bytes)
{
    unsigned char b[2] = {(unsigned char)(value & 0xff), (unsigned char)(value >> 8 & 0xff)};
    fwrite(b, 1, bytes, file);
}

int tgaSave(const char *filename, short width, short height, unsigned char pixelDepth,
            unsigned char *imageData)
{
    long long size = tgaPixelBytes(width, height, pixelDepth);
    if (size < 0)
        return tgaStatusBadSize;
    if (!imageData)
        return tgaStatusNoMemory;

    FILE *file = fopen(filename, "wb");
    if (!file)
        return tgaStatusOpenFailed;

    int bytesPerPixel = pixelDepth / 8;
    tgaWriteField(file, 0, 1);  // ID length
    tgaWriteField(file, 0, 1);  // colour map type
    tgaWriteField(file, pixelDepth == 24 || pixelDepth == 32 ? 2 : 3, 1);
    tgaWriteField(file, 0, 2);  // first colour map index
    tgaWriteField(file, 0, 2);  // colour map length
    tgaWriteField(file, 0, 1);  // colour map entry size
    tgaWriteField(file, 0, 2);  // x origin
    tgaWriteField(file, 0, 2);  // y origin
    tgaWriteField(file, (unsigned short)width, 2);
    tgaWriteField(file, (unsigned short)height, 2);
    tgaWriteField(file, pixelDepth, 1);
    tgaWriteField(file, 0, 1);  // descriptor: bottom-left origin

    tgaSwapRedBlue(imageData, size, bytesPerPixel);
    fwrite(imageData, 1, (size_t)size, file);

    bool regular = streamKind(file) == fileRegular;
    bool failed = ferror(file) != 0;
    if (fclose(file) != 0)
        failed = true;
    if (failed) {
        // No half-written image is left behind; a device such as /dev/full stays.
        if (regular)
            remove(filename);
        tgaSwapRedBlue(imageData, size, bytesPerPixel);
        return tgaStatusWriteError;
    }
    free(imageData);
    return tgaStatusOk;
}

// Every series call uses up the number it is given, whatever becomes of it.
int tgaTakeSeriesNumber()
{
    int number = savedImages;
    savedImages = savedImages == INT_MAX ? 0 : savedImages + 1;
    return number;
}

int tgaSaveNumbered(const char *filename, int number, short width, short height,
                           unsigned char pixelDepth, unsigned char *imageData)
{
    int length = snprintf(nullptr, 0, "%s%d.tga", filename, number);
    if (length < 0)
        return tgaStatusNoMemory;
    char *name = (char *)malloc((size_t)length + 1);
    if (!name)
        return tgaStatusNoMemory;
    snprintf(name, (size_t)length + 1, "%s%d.tga", filename, number);

    int status = tgaSave(name, width, height, pixelDepth, imageData);
    free(name);
    return status;
}

int tgaSaveSeries(const char *filename, short width, short height, unsigned char pixelDepth,
                  unsigned char *imageData)
{
    return tgaSaveNumbered(filename, tgaTakeSeriesNumber(), width, height, pixelDepth, imageData);
}

void tgaDestroy(tgaInfo *info)
{
    if (!info)
        return;
    free(info->imageData);
    free(info);
}
