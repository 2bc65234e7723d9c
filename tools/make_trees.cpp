// Draws the two tree sprites and writes them with the image module:
// tree1.tga, a broad leafy tree for the 6 x 6 quad, and tree2.tga, a slim
// conifer for the 3 x 6 quad. Usage: make_trees [folder], "." by default.
// Prints nothing when both files are written; otherwise one line on stderr
// and exit status 1 (2 for a bad command line).
//
// The sprites are alpha cut-outs: alpha is 255 on the tree and 0 elsewhere,
// the first row is the foot of the tree, and the outermost rows and columns
// stay empty so that wrapping never drags one edge onto the other. Every
// empty texel takes the colour of the nearest tree texels, so the linear
// minification at a distance blends in no dark or light fringe.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/tga.h"

struct Rgb {
    float r, g, b;
};

// The picture being drawn: RGBA, bottom row first.
static int width, height;
static unsigned char *pixels;

// The generator's own random source, not the C library's rand, so that every
// platform and C library draws the same trees: a 64-bit linear congruential
// step, its top bits taken.
static uint64_t randomState;

static void seedRandom(unsigned seed)
{
    randomState = seed;
}

static float frand()
{
    randomState = randomState * 6364136223846793005ULL + 1442695040888963407ULL;
    return (float)((unsigned)(randomState >> 33) % 1000) / 1000.0f;
}

static float clamp01(float v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

static Rgb mix(Rgb a, Rgb b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

static Rgb scale(Rgb c, float s)
{
    return {c.r * s, c.g * s, c.b * s};
}

static unsigned char channel(float v)
{
    return (unsigned char)(v <= 0 ? 0 : v >= 255 ? 255 : v + 0.5f);
}

// Off-picture points and the empty border are silently skipped.
static void put(int x, int y, Rgb c)
{
    if (x < 1 || y < 0 || x >= width - 1 || y >= height - 1)
        return;
    unsigned char *p = pixels + 4 * (y * width + x);
    p[0] = channel(c.r);
    p[1] = channel(c.g);
    p[2] = channel(c.b);
    p[3] = 255;
}

// Lambert light on a unit sphere seen from the front, lit from the upper left;
// (dx, dy) is the point on the disc in units of its radius.
static float sphereLight(float dx, float dy)
{
    float d2 = dx * dx + dy * dy;
    float nz = d2 < 1 ? std::sqrt(1 - d2) : 0;
    return clamp01(-0.45f * dx + 0.62f * dy + 0.64f * nz);
}

// Bark, lighter on the lit left side, with grooves that wander a little.
static Rgb bark(Rgb base, float across, float x, float y)
{
    float s = 1.12f - 0.42f * (across + 1) / 2;
    float groove = x * 0.55f + 0.35f * std::sin(y * 0.31f);
    if (groove - std::floor(groove) < 0.22f)
        s *= 0.72f;
    return scale(base, s);
}

// A limb from (x0, y0) to (x1, y1), w0 thick at its start and w1 at its end.
static void drawLimb(float x0, float y0, float x1, float y1, float w0, float w1, Rgb base)
{
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    int lox = (int)std::floor(std::fmin(x0, x1) - w0), hix = (int)std::ceil(std::fmax(x0, x1) + w0);
    int loy = (int)std::floor(std::fmin(y0, y1) - w0), hiy = (int)std::ceil(std::fmax(y0, y1) + w0);
    for (int y = loy; y <= hiy; y++)
        for (int x = lox; x <= hix; x++) {
            float px = x + 0.5f - x0, py = y + 0.5f - y0;
            float t = clamp01((px * dx + py * dy) / len2);
            float ox = px - t * dx, oy = py - t * dy;
            float half = (w0 + (w1 - w0) * t) / 2;
            float off = std::sqrt(ox * ox + oy * oy);
            if (off > half)
                continue;
            // Which side of the limb the point lies on decides its shade.
            float side = (ox * dy - oy * dx) < 0 ? -1.0f : 1.0f;
            put(x, y, bark(base, side * off / half, (float)x, (float)y));
        }
}

// Leaf colours from shadow to sunlit, a little yellow so that the crown stands
// apart from the pure green of the land.
static Rgb leafColour(float l)
{
    const Rgb dark = {34, 80, 22}, mid = {92, 160, 46}, light = {178, 226, 96};
    l = clamp01(l);
    return l < 0.5f ? mix(dark, mid, l * 2) : mix(mid, light, (l - 0.5f) * 2);
}

struct Blob {
    float x, y, r, bright;
};

struct Clump {
    float x, y, r, depth;
};

// A total order: qsort differs between C libraries in how it leaves ties.
static int deeperFirst(const void *a, const void *b)
{
    const Clump *p = (const Clump *)a, *q = (const Clump *)b;
    if (p->depth != q->depth)
        return p->depth > q->depth ? -1 : 1;
    if (p->x != q->x)
        return p->x < q->x ? -1 : 1;
    if (p->y != q->y)
        return p->y < q->y ? -1 : 1;
    return p->r < q->r ? -1 : p->r > q->r ? 1 : 0;
}

// One lobe of the crown: a shaded core, then leaf clumps from the rim inwards,
// so the ones facing the viewer cover those around the edge. Clumps stay
// inside the lobe's radius; their bumps make the outline ragged.
static void drawLobe(const Blob &b)
{
    for (int y = (int)(b.y - b.r); y <= (int)(b.y + b.r); y++)
        for (int x = (int)(b.x - b.r); x <= (int)(b.x + b.r); x++) {
            float dx = (x + 0.5f - b.x) / b.r, dy = (y + 0.5f - b.y) / b.r;
            if (dx * dx + dy * dy <= 0.8f * 0.8f)
                put(x, y, leafColour(0.45f * sphereLight(dx, dy) * b.bright));
        }

    Clump clumps[128];
    int count = (int)(b.r * b.r / 7);
    if (count > 128)
        count = 128;
    for (int k = 0; k < count; k++) {
        Clump &c = clumps[k];
        c.r = 3.0f + 3.5f * frand();
        float reach = b.r - c.r;
        do {
            c.x = (frand() * 2 - 1) * reach;
            c.y = (frand() * 2 - 1) * reach;
        } while (c.x * c.x + c.y * c.y > reach * reach);
        c.depth = std::sqrt(c.x * c.x + c.y * c.y) / b.r;
        c.x += b.x;
        c.y += b.y;
    }
    qsort(clumps, (size_t)count, sizeof(Clump), deeperFirst);

    for (int k = 0; k < count; k++) {
        const Clump &c = clumps[k];
        float base = sphereLight((c.x - b.x) / b.r, (c.y - b.y) / b.r) * b.bright;
        float tint = 0.9f + 0.2f * frand();
        for (int y = (int)(c.y - c.r); y <= (int)(c.y + c.r); y++)
            for (int x = (int)(c.x - c.r); x <= (int)(c.x + c.r); x++) {
                float ex = (x + 0.5f - c.x) / c.r, ey = (y + 0.5f - c.y) / c.r;
                if (ex * ex + ey * ey > 1)
                    continue;
                float l = base * (0.5f + 0.6f * sphereLight(ex, ey)) * tint;
                put(x, y, leafColour(l));
            }
    }
}

// 128 x 128: a short trunk with a root flare and two limbs under a wide,
// lumpy crown that is broadest at about three fifths of the height.
static void drawLeafyTree()
{
    const Rgb trunk = {128, 86, 48};
    const float cx = width / 2.0f;
    drawLimb(cx - 1, 44, 34, 72, 6, 3, trunk);
    drawLimb(cx + 1, 50, 94, 70, 6, 3, trunk);
    drawLimb(cx, 56, cx - 6, 92, 5, 3, trunk);
    for (int y = 0; y < 70; y++) {
        float flare = clamp01(1 - y / 8.0f);
        float half = 5.5f - y * 0.02f + 4.5f * flare * flare;
        for (int x = 0; x < width; x++) {
            float across = (x + 0.5f - cx) / half;
            if (across >= -1 && across <= 1)
                put(x, y, bark(trunk, across, (float)x, (float)y));
        }
    }

    // Back to front; the rear lobes sit in the crown's shade.
    static const Blob crown[] = {
        {30, 82, 20, 0.78f}, {98, 84, 20, 0.78f}, {63, 108, 17, 0.8f},
        {19, 78, 15, 0.88f}, {109, 80, 15, 0.88f},
        {45, 101, 21, 0.95f}, {85, 102, 20, 0.95f},
        {64, 84, 26, 1.0f}, {37, 68, 17, 1.0f}, {92, 66, 17, 1.0f}, {60, 62, 13, 1.0f},
    };
    for (const Blob &b : crown)
        drawLobe(b);
}

// 128 high, 64 wide: a narrow trunk under six stacked tiers of branches, each
// with a drooping, toothed lower edge, lit from the left.
static void drawConifer()
{
    const Rgb trunk = {104, 66, 38};
    const Rgb dark = {18, 58, 44}, mid = {46, 118, 80}, light = {112, 184, 128};
    const float cx = width / 2.0f;
    for (int y = 0; y < 40; y++) {
        float flare = clamp01(1 - y / 5.0f);
        float half = 3.0f + 2.5f * flare * flare;
        for (int x = 0; x < width; x++) {
            float across = (x + 0.5f - cx) / half;
            if (across >= -1 && across <= 1)
                put(x, y, bark(trunk, across, (float)x, (float)y));
        }
    }

    static const float tiers[][3] = {
        // base, apex, half width at the base
        {13, 54, 28}, {31, 70, 24.5f}, {48, 86, 21}, {64, 101, 17}, {80, 114, 13}, {95, 126, 9},
    };
    for (const auto &tier : tiers) {
        float base = tier[0], apex = tier[1], wide = tier[2];
        for (int y = (int)base - 4; y < (int)apex; y++)
            for (int x = 0; x < width; x++) {
                float px = x + 0.5f, py = y + 0.5f;
                float off = std::fabs(px - cx);
                // Branch tips hang lower towards the outside, one tooth every 4 texels.
                float tooth = std::fabs(std::fmod(off, 4.0f) - 2.0f);
                float edge = base + 4.0f - 7.0f * off / wide + tooth * 1.5f;
                if (py < edge)
                    continue;
                float h = clamp01((apex - py) / (apex - base));
                float spur = std::fabs(std::fmod(py, 3.0f) - 1.5f);
                float half = wide * std::pow(h, 0.92f) + spur * 0.9f;
                if (off > half)
                    continue;
                // Needles run down and out from the stem.
                float along = (py - edge) * 0.8f + off * 0.5f;
                float streak = along / 3.0f - std::floor(along / 3.0f);
                float across = (px - cx) / (half + 1);
                float l = 0.62f - 0.34f * across;
                l *= 0.7f + 0.45f * clamp01((edge + 12 - py) / 12);
                if (streak < 0.3f)
                    l *= 0.78f;
                l *= 0.94f + 0.12f * frand();
                l = clamp01(l);
                put(x, y, l < 0.5f ? mix(dark, mid, l * 2) : mix(mid, light, (l - 0.5f) * 2));
            }
    }
}

// Gives every empty texel the average colour of the filled texels next to it,
// ring by ring outwards, until all have one; alpha stays 0. A picture with
// nothing drawn stays as it is.
static bool bleedColour()
{
    int count = width * height;
    unsigned char *known = (unsigned char *)malloc((size_t)count * 2);
    if (!known)
        return false;
    unsigned char *next = known + count;
    for (int p = 0; p < count; p++)
        known[p] = pixels[4 * p + 3] == 255;
    for (bool pending = true, grew = true; pending && grew;) {
        pending = grew = false;
        memcpy(next, known, (size_t)count);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                int p = y * width + x;
                if (known[p])
                    continue;
                static const int step[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                int sum[3] = {0, 0, 0}, n = 0;
                for (const auto &s : step) {
                    int nx = x + s[0], ny = y + s[1];
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height || !known[ny * width + nx])
                        continue;
                    for (int c = 0; c < 3; c++)
                        sum[c] += pixels[4 * (ny * width + nx) + c];
                    n++;
                }
                if (n == 0) {
                    pending = true;
                    continue;
                }
                for (int c = 0; c < 3; c++)
                    pixels[4 * p + c] = (unsigned char)((sum[c] + n / 2) / n);
                next[p] = 1;
                grew = true;
            }
        memcpy(known, next, (size_t)count);
    }
    free(known);
    return true;
}

static const char *saveFailure(int status)
{
    switch (status) {
    case tgaStatusOpenFailed: return "cannot open it for writing";
    case tgaStatusWriteError: return "write failed";
    case tgaStatusNoMemory: return "out of memory";
    default: return "cannot save it";
    }
}

// Draws one sprite of w x h into a fresh transparent picture and saves it
// as folder/name. Each sprite has its own seed, so changing one leaves the
// other's bytes alone.
static bool makeTree(const char *folder, const char *name, int w, int h, unsigned seed,
                     void (*draw)())
{
    char path[4096];
    int length = snprintf(path, sizeof path, "%s/%s", folder, name);
    if (length < 0 || length >= (int)sizeof path) {
        fprintf(stderr, "make_trees: folder name too long\n");
        return false;
    }
    width = w;
    height = h;
    pixels = (unsigned char *)calloc((size_t)w * h, 4);
    if (!pixels) {
        fprintf(stderr, "make_trees: out of memory for %s\n", path);
        return false;
    }
    seedRandom(seed);
    draw();
    if (!bleedColour()) {
        free(pixels);
        fprintf(stderr, "make_trees: out of memory for %s\n", path);
        return false;
    }
    int status = tgaSave(path, (short)w, (short)h, 32, pixels);
    if (status != tgaStatusOk) {
        free(pixels);
        fprintf(stderr, "make_trees: %s: %s\n", path, saveFailure(status));
        return false;
    }
    return true;
}

int main(int argc, char **argv)
{
    if (argc > 2) {
        fprintf(stderr, "usage: make_trees [folder]\n");
        return 2;
    }
    const char *folder = argc == 2 ? argv[1] : ".";
    if (folder[0] == '\0') {
        fprintf(stderr, "make_trees: empty folder name\n");
        return 2;
    }
    if (!makeTree(folder, "tree1.tga", 128, 128, 1601, drawLeafyTree))
        return 1;
    if (!makeTree(folder, "tree2.tga", 64, 128, 2417, drawConifer))
        return 1;
    return 0;
}
