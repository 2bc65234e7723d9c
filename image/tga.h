// Uncompressed TGA images: loading, saving, grey conversion, numbered saves
// and screen grabs. Nothing here prints; every outcome is a status value.
#pragma once

#include <cstdio>

// Outcomes, in a loaded record's `status` or as the result of a save.
const int tgaStatusOk = 0;
const int tgaStatusUnsupportedType = -1;  // image type other than 1, 2, 3 (RLE, type 0, ...)
const int tgaStatusNoMemory = -2;         // a buffer could not be allocated, or a save got none
const int tgaStatusColourMapped = -3;     // image type 1
const int tgaStatusReadError = -4;        // stream error, or the file ends inside header or pixels
const int tgaStatusOpenFailed = -5;       // the file cannot be opened (read or write)
const int tgaStatusWriteError = -6;       // a write or the close failed; the partial file is gone
const int tgaStatusBadSize = -7;          // negative width or height, or more than 2^31 - 1 bytes

// Sizes are signed 16-bit as in the record: a file size field above 32767
// reads as negative and is refused with tgaStatusBadSize, before any buffer.

// A loaded image. The pixel buffer holds width x height pixels of
// pixelDepth / 8 bytes each (integer division, so depth 15 reads 1 byte),
// rows in file order and no gap between them. In pixels of 3 or more bytes the
// first three are red, green, blue; other bytes are as in the file.
//
// A record whose status is not tgaStatusOk holds no pixel buffer (imageData
// is null). Header fields are set as far as the file supplied them; fields it
// did not supply, and all of them after tgaStatusOpenFailed, are 0.
struct tgaInfo {
    int status;
    unsigned char imageType;
    unsigned char pixelDepth;
    short width;
    short height;
    unsigned char *imageData;
};

// Reads a whole file. Returns null only when the record itself cannot be
// allocated; otherwise the caller owns the record and frees it with tgaDestroy.
// In a type 2 or 3 file the image ID and, when the colour map type is 1, the
// colour map (entries of (bits + 7) / 8 bytes) are skipped, so the pixels are
// taken from where they really start; other types get their status from the
// 18 header bytes alone. The image descriptor is not interpreted: rows stay in
// file order (bottom row first for the usual bottom-left origin). Nothing
// after the pixel data is read. The buffer is only allocated once the file is
// known to hold all of it; an image of no pixels still gets one (of 1 byte),
// so that tgaStatusOk always comes with a buffer.
tgaInfo *tgaLoad(const char *filename);

// Reads the 18 header bytes into imageType, pixelDepth, width and height
// (one read per field); for type 2 or 3 it then reads past the image ID and
// colour map, leaving the stream at the pixel data. The caller tests
// ferror/feof afterwards: a file that ends before that point is cut short.
void tgaLoadHeader(FILE *file, tgaInfo *info);

// One read of the pixel data into imageData, which must hold the full size;
// colour bytes are then put in red, green, blue order. When the stream ends
// early the bytes it did not supply are set to 0. Does nothing when imageData
// is null or a size is negative.
void tgaLoadImageData(FILE *file, tgaInfo *info);

// Replaces a colour image by 8-bit grey: (0.3 r + 0.59 g) + 0.11 b in double,
// truncated. Depth 8 is left alone whatever the type, and so is any image with
// fewer than 3 bytes per pixel, no buffer, or a negative size. If the new
// buffer cannot be allocated the image stays as it was.
void tgaRGBtoGreyscale(tgaInfo *info);

// Writes an uncompressed file: type 2 for depth 24 and 32, type 3 otherwise;
// no ID, no colour map, descriptor 0 (bottom-left origin, no alpha bits
// declared), no footer. imageData holds red, green, blue colour bytes.
//
// On tgaStatusOk the buffer has been taken over and released: the caller must
// not use or free it again. On any other result the buffer is the caller's,
// with its bytes as they were given. tgaStatusBadSize and tgaStatusNoMemory
// (null imageData) are returned before any file is opened; on
// tgaStatusWriteError a regular file that was being written is removed.
int tgaSave(const char *filename, short width, short height, unsigned char pixelDepth,
            unsigned char *imageData);

// tgaSave under the name "<filename><n>.tga", n being the module's series
// counter (0 at start, any number of digits, back to 0 after 2^31 - 1). Every
// call uses up one number, whatever its result, so a failed save never makes
// the next one reuse it.
// Returns tgaStatusNoMemory when the name cannot be built.
int tgaSaveSeries(const char *filename, short width, short height, unsigned char pixelDepth,
                  unsigned char *imageData);

// Reads the w x h rectangle with lower-left corner (x, y) from the current GL
// read buffer as RGBA and saves it as the next 32-bit series image, whose
// pixels hold blue, green, red, alpha. Needs a current GL context and relies
// on the default pixel-pack settings; the buffer is zeroed first, so a read
// that fails saves black, never stale memory. An empty, negative or too large
// rectangle (w or h above 32767) gives tgaStatusBadSize and a failed
// allocation tgaStatusNoMemory; neither uses up a series number.
int tgaGrabScreenSeries(const char *filename, int x, int y, int w, int h);

// Releases the pixel buffer and the record; null is allowed.
void tgaDestroy(tgaInfo *info);
