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
// A record with tgaStatusOk always holds a buffer (of 1 byte for an image of
// no pixels). So does one with tgaStatusReadError from a file cut off inside
// its pixel data: the bytes the file did not supply are 0. Every other record
// holds none (imageData is null). Header fields are set as far as the file
// supplied them; fields it did not supply, and all of them after
// tgaStatusOpenFailed, are 0.
//
// imageDescriptor is the header's last byte, handed over uninterpreted: bit 5
// set means the file stores its top row first.
struct tgaInfo {
    int status;
    unsigned char imageType;
    unsigned char pixelDepth;
    short width;
    short height;
    unsigned char *imageData;
    unsigned char imageDescriptor;
};

// Reads a whole file. Returns null only when the record itself cannot be
// allocated; otherwise the caller owns the record and frees it with tgaDestroy.
// In a type 2 or 3 file the image ID and, when the colour map type is 1, the
// colour map (entries of (bits + 7) / 8 bytes) are skipped, so the pixels are
// taken from where they really start; other types get their status from the
// 18 header bytes alone. Rows stay in file order (bottom row first for the
// usual bottom-left origin). Nothing after the pixel data is read. Bytes a
// short file does not supply cost no memory: the buffer starts out zeroed.
tgaInfo *tgaLoad(const char *filename);

// tgaLoad on a stream that is already open, from its current position; the
// stream is left open and positioned after what was read.
tgaInfo *tgaLoadStream(FILE *file);

// Reads the 18 header bytes, one read per field, into imageType, pixelDepth,
// width, height and imageDescriptor, and nothing more: the stream is left
// where the image ID (if any) begins. The caller tests ferror/feof afterwards:
// a file that ends inside the header is cut short.
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
// Results, and whose the buffer is afterwards:
//   tgaStatusOk          taken over and released: do not use or free it again.
//   tgaStatusBadSize     negative size, or more than 2^31 - 1 bytes; nothing opened.
//   tgaStatusNoMemory    imageData is null; nothing opened.
//   tgaStatusOpenFailed  the file cannot be opened for writing.
//   tgaStatusWriteError  a write or the close failed; a regular file that was
//                        being written is removed.
// On every result but tgaStatusOk the buffer is still the caller's, its bytes
// as they were given.
int tgaSave(const char *filename, short width, short height, unsigned char pixelDepth,
            unsigned char *imageData);

// tgaSave under the name "<filename><n>.tga", n being the module's series
// counter (0 at start, any number of digits, back to 0 after 2^31 - 1). Every
// call uses up one number, whatever its result, so a failed save never makes
// the next one reuse it. Returns what tgaSave returns, or tgaStatusNoMemory
// when the name cannot be built; the buffer is the caller's unless tgaStatusOk.
int tgaSaveSeries(const char *filename, short width, short height, unsigned char pixelDepth,
                  unsigned char *imageData);

// Reads the w x h rectangle with lower-left corner (x, y) from the current GL
// read buffer as RGBA and saves it as the next 32-bit series image, whose
// pixels hold blue, green, red, alpha. Needs a current GL context and relies
// on the default pixel-pack settings; the buffer is zeroed first, so a read
// that fails saves black, never stale memory. A rectangle of no pixels saves
// a valid empty image. A negative or too large rectangle (w or h above
// 32767) gives tgaStatusBadSize and a failed allocation tgaStatusNoMemory,
// both before any pixel is read. Like tgaSaveSeries, every call uses up one
// series number, whatever its result. The grab owns its buffer throughout.
int tgaGrabScreenSeries(const char *filename, int x, int y, int w, int h);

// Releases the pixel buffer and the record; null is allowed.
void tgaDestroy(tgaInfo *info);
