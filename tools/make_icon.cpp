// Makes the desktop icon from the leafy tree sprite: make_icon TREE.tga ICON.png.
// The icon is the sprite as it stands, top row first as PNG wants it; texels
// cut out by the alpha test become fully transparent black. Prints nothing on
// success; otherwise one line on stderr and exit status 1 (2 for a bad
// command line).
//
// The PNG is written with stored (uncompressed) deflate blocks: no zlib is
// needed, and the same sprite always gives the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/tga.h"

typedef std::vector<unsigned char> Bytes;

static uint32_t crc32(const unsigned char *data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t k = 0; k < size; k++) {
        crc ^= data[k];
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

static uint32_t adler32(const Bytes &data)
{
    uint32_t a = 1, b = 0;
    for (unsigned char byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

static void putBig32(Bytes &out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((unsigned char)(v >> shift));
}

static void putChunk(Bytes &png, const char *type, const Bytes &data)
{
    putBig32(png, (uint32_t)data.size());
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBig32(png, crc32(&png[start], png.size() - start));
}

// A zlib stream of stored blocks, at most 65535 bytes each.
static Bytes storeZlib(const Bytes &raw)
{
    Bytes z = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back((unsigned char)n);
        z.push_back((unsigned char)(n >> 8));
        z.push_back((unsigned char)~n);
        z.push_back((unsigned char)(~n >> 8));
        z.insert(z.end(), raw.begin() + (long)at, raw.begin() + (long)(at + n));
        at += n;
    } while (at < raw.size());
    putBig32(z, adler32(raw));
    return z;
}

// RGBA rows, top first, each after its filter byte 0 (none).
static Bytes pngOf(const tgaInfo *image)
{
    int w = image->width, h = image->height;
    bool topFirst = image->imageDescriptor & 0x20;
    Bytes raw;
    raw.reserve((size_t)h * (1 + 4 * (size_t)w));
    for (int row = 0; row < h; row++) {
        const unsigned char *p = image->imageData + (size_t)(topFirst ? row : h - 1 - row) * 4 * w;
        raw.push_back(0);
        for (int x = 0; x < w; x++, p += 4) {
            bool cut = p[3] == 0;
            for (int c = 0; c < 4; c++)
                raw.push_back(cut ? 0 : p[c]);
        }
    }
    Bytes header;
    putBig32(header, (uint32_t)w);
    putBig32(header, (uint32_t)h);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits a channel, RGBA, no interlace
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storeZlib(raw));
    putChunk(png, "IEND", Bytes());
    return png;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: make_icon TREE.tga ICON.png\n");
        return 2;
    }
    tgaInfo *image = tgaLoad(argv[1]);
    if (!image || image->status != tgaStatusOk || image->imageType != 2 || image->pixelDepth != 32 ||
        image->width <= 0 || image->height <= 0) {
        fprintf(stderr, "make_icon: %s is not a readable 32-bit true-colour TGA image\n", argv[1]);
        tgaDestroy(image);
        return 1;
    }
    Bytes png = pngOf(image);
    tgaDestroy(image);
    FILE *out = fopen(argv[2], "wb");
    bool written = out && fwrite(png.data(), 1, png.size(), out) == png.size();
    if (out && fclose(out) != 0)
        written = false;
    if (!written) {
        fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        if (out)
            remove(argv[2]);
        return 1;
    }
    return 0;
}
