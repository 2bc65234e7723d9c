// The tree images in assets/ and the generator that draws them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "image/tga.h"
#include "tests/support/command.h"
#include "tests/support/scratch.h"

namespace {

namespace fs = std::filesystem;

const std::string generator = MAKE_TREES;
const std::string assets = TREE_ASSETS;

// A fresh folder for one test, removed with everything in it afterwards.
class MakeTrees : public Scratch {
protected:
    fs::path at(const std::string &name) const { return fs::path(dir) / name; }

    // Runs the generator from inside dir with the given (shell-quoted)
    // arguments; returns its exit status, with stdout and stderr kept.
    int generate(const std::string &args, std::string &out, std::string &err)
    {
        int status = -1;
        out = commandOutput("cd " + shellQuote(dir) + " && " + shellQuote(generator) + " " + args + " 2>" +
                                shellQuote(at("err").string()),
                            &status);
        err = readText(at("err"));
        return status;
    }
};

TEST_F(MakeTrees, CommittedImagesAreWhatTheGeneratorDrawsNow)
{
    std::string out, err;
    fs::create_directory(at("made"));
    ASSERT_EQ(generate("made", out, err), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    for (const char *name : {"tree1.tga", "tree2.tga"}) {
        std::string made = readText(at("made") / name), committed = readText(fs::path(assets) / name);
        ASSERT_FALSE(committed.empty()) << name << " missing from " << assets;
        EXPECT_TRUE(made == committed) << name << " differs from a fresh run; run `make trees`";
    }

    // No argument means the current folder.
    ASSERT_EQ(generate("", out, err), 0) << err;
    EXPECT_TRUE(readText(at("tree1.tga")) == readText(at("made") / "tree1.tga"));
    EXPECT_TRUE(readText(at("tree2.tga")) == readText(at("made") / "tree2.tga"));
}

TEST_F(MakeTrees, BadCommandLinesFailWithOneLineAndWriteNothing)
{
    const struct {
        const char *what, *args;
    } cases[] = {
        {"two folders", "a b"},
        {"empty folder name", "''"},
        {"folder that does not exist", "missing"},
        {"file in place of the folder", "out"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string out, err;
        EXPECT_NE(generate(c.args, out, err), 0);
        EXPECT_EQ(out, "");
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_FALSE(fs::exists(at("tree1.tga")));
        EXPECT_FALSE(fs::exists(at("tree2.tga")));
    }
}

struct Image {
    tgaInfo *info = nullptr;
    ~Image() { tgaDestroy(info); }
    int w() const { return info->width; }
    int h() const { return info->height; }
    const unsigned char *at(int x, int y) const { return info->imageData + 4 * (y * info->width + x); }
    bool opaque(int x, int y) const { return at(x, y)[3] == 255; }
    int rowWidth(int y) const
    {
        int n = 0;
        for (int x = 0; x < w(); x++)
            n += opaque(x, y);
        return n;
    }
    // Mean opaque texels per row over rows [from, to).
    double meanWidth(int from, int to) const
    {
        double sum = 0;
        for (int y = from; y < to; y++)
            sum += rowWidth(y);
        return sum / (to - from);
    }
};

bool powerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// Loads an asset and checks what the sprite upload and the alpha cut rely on.
void loadSprite(const char *name, int tallness, Image &image)
{
    std::string path = assets + "/" + name;
    image.info = tgaLoad(path.c_str());
    ASSERT_NE(image.info, nullptr);
    ASSERT_EQ(image.info->status, tgaStatusOk) << path;
    EXPECT_EQ(image.info->imageType, 2);
    ASSERT_EQ(image.info->pixelDepth, 32);
    EXPECT_TRUE(powerOfTwo(image.w())) << image.w();
    EXPECT_TRUE(powerOfTwo(image.h())) << image.h();
    EXPECT_EQ(image.h(), tallness * image.w());
    // No image ID: header, then exactly the pixels.
    EXPECT_EQ(fs::file_size(path), 18u + 4u * image.w() * image.h());
}

TEST(TreeImages, CleanCutOutsStandingOnTheirFoot)
{
    const struct {
        const char *name;
        int tallness;
    } sprites[] = {{"tree1.tga", 1}, {"tree2.tga", 2}};
    for (const auto &s : sprites) {
        SCOPED_TRACE(s.name);
        Image im;
        loadSprite(s.name, s.tallness, im);
        if (HasFatalFailure())
            return;
        int w = im.w(), h = im.h();

        int badAlpha = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                badAlpha += im.at(x, y)[3] != 0 && im.at(x, y)[3] != 255;
        EXPECT_EQ(badAlpha, 0) << "alpha must be 0 or 255";

        // An empty outer frame, except the trunk's foot on the bottom row,
        // keeps GL_REPEAT from pulling one edge onto the other.
        EXPECT_EQ(im.rowWidth(h - 1), 0);
        for (int y = 0; y < h; y++)
            EXPECT_FALSE(im.opaque(0, y) || im.opaque(w - 1, y)) << "side column, row " << y;

        EXPECT_TRUE(im.opaque(w / 2 - 1, 0) && im.opaque(w / 2, 0)) << "trunk foot at the base centre";
        for (int x = 0; x < w / 4; x++)
            EXPECT_FALSE(im.opaque(x, 0) || im.opaque(w - 1 - x, 0)) << "bottom row, " << x << " from an end";

        // The tree fills its quad: it reaches near the top and spans most of the width.
        int top = 0, left = w, right = -1;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if (im.opaque(x, y)) {
                    top = y;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_GE(top, h * 9 / 10);
        EXPECT_GE(right - left + 1, w * 8 / 10);

        // Linear minification blends an empty texel with its filled neighbours;
        // taking its colour from them leaves no dark or light fringe.
        int fringe = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                if (im.opaque(x, y))
                    continue;
                int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
                bool edge = false;
                const int step[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                for (const auto &d : step) {
                    int nx = x + d[0], ny = y + d[1];
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h || !im.opaque(nx, ny))
                        continue;
                    edge = true;
                    for (int c = 0; c < 3; c++) {
                        lo[c] = std::min(lo[c], (int)im.at(nx, ny)[c]);
                        hi[c] = std::max(hi[c], (int)im.at(nx, ny)[c]);
                    }
                }
                for (int c = 0; edge && c < 3; c++)
                    if (im.at(x, y)[c] < lo[c] || im.at(x, y)[c] > hi[c]) {
                        if (fringe++ < 5)
                            ADD_FAILURE() << "empty texel (" << x << ", " << y << ") channel " << c << " = "
                                          << (int)im.at(x, y)[c] << ", neighbours " << lo[c] << ".." << hi[c];
                        break;
                    }
            }
        EXPECT_EQ(fringe, 0);
    }
}

int widestRow(const Image &im)
{
    int best = 0;
    for (int y = 1; y < im.h(); y++)
        if (im.rowWidth(y) > im.rowWidth(best))
            best = y;
    return best;
}

TEST(TreeImages, BroadLeafyTreeAndSlimConifer)
{
    Image leafy, conifer;
    loadSprite("tree1.tga", 1, leafy);
    loadSprite("tree2.tga", 2, conifer);
    if (HasFatalFailure())
        return;

    // The crown sits on a trunk and is broadest well above the middle.
    int h = leafy.h();
    EXPECT_GT(widestRow(leafy), h * 55 / 100);
    EXPECT_LT(leafy.meanWidth(h / 10, h / 4), leafy.w() / 5.0) << "a bare trunk below the crown";
    EXPECT_GT(leafy.meanWidth(h / 2, h * 3 / 4), leafy.w() * 0.7);

    // The conifer is widest at its lowest tier and narrows band by band.
    h = conifer.h();
    EXPECT_LT(widestRow(conifer), h / 4);
    double low = conifer.meanWidth(h / 4, h / 2), middle = conifer.meanWidth(h / 2, h * 3 / 4),
           high = conifer.meanWidth(h * 3 / 4, h);
    EXPECT_GT(low, middle);
    EXPECT_GT(middle, high);
    EXPECT_LT(high, low / 2);
}

}  // namespace
