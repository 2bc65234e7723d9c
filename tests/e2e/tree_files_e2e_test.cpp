// Tree images as people hand them to the real program: sizes that are not
// powers of two, rows stored top first, and a FIFO in place of a file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/scratch.h"

namespace {

// A private folder with the committed tree2.tga in it, removed afterwards.
class TreeFiles : public Scratch {
protected:
    void SetUp() override
    {
        Scratch::SetUp();
        writeFile(path("tree2.tga"), readFile(assetsDir() + "/tree2.tga"));
    }
};

using Colour = std::function<Rgb(int x, int y)>;  // y counts up from the foot

// An opaque 32-bit tree image; topFirst stores its rows top first and says so
// in the descriptor, as Pillow's orientation=1 does.
void writeTree(const std::string &path, int w, int h, bool topFirst, const Colour &colour)
{
    Bytes file = tgaHeader(2, w, h, 32, 0, 0, 0, 0, topFirst ? 0x28 : 0x08);
    for (int row = 0; row < h; row++) {
        int y = topFirst ? h - 1 - row : row;
        for (int x = 0; x < w; x++) {
            Rgb c = colour(x, y);
            file.insert(file.end(), {(unsigned char)c.b, (unsigned char)c.g, (unsigned char)c.r, 255});
        }
    }
    writeFile(path, file);
}

// The tour's way to a slope with trees of both kinds on it, once settled.
Picture viewOverTrees(Session &app)
{
    EXPECT_TRUE(app.waitForWindow()) << app.errorOutput();
    app.key("d*6 f*6 w*15 d*20");
    return app.settledPicture();
}

TEST_F(TreeFiles, ATreeImageOfNinetySixBySixtyFourIsDrawn)
{
    writeTree(path("tree1.tga"), 96, 64, false, [](int, int) { return Rgb{255, 0, 255}; });
    Session app(dir);
    Picture view = viewOverTrees(app);
    EXPECT_EQ(app.errorOutput(), "");
    double magenta = view.share(0, 0, view.width, view.height, [](Rgb c) { return isHalfOf(c, 255, 0, 255); });
    EXPECT_GT(magenta, 0.002) << "first-kind trees in their image's colour";
    if (HasFailure())
        view.savePng("tree-96x64");
}

TEST_F(TreeFiles, ATopFirstTreeImageIsDrawnLikeItsBottomFirstTwin)
{
    // Red foot, blue crown: upside down it would show the other way round.
    Colour picture = [](int, int y) { return y < 32 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; };
    Picture views[2];
    for (bool topFirst : {false, true}) {
        SCOPED_TRACE(topFirst ? "top first" : "bottom first");
        writeTree(path("tree1.tga"), 64, 64, topFirst, picture);
        Session app(dir);
        views[topFirst] = viewOverTrees(app);
        EXPECT_EQ(app.errorOutput(), "");
    }
    const Picture &twin = views[0];
    auto red = [](Rgb c) { return isHalfOf(c, 255, 0, 0); };
    auto blue = [](Rgb c) { return isHalfOf(c, 0, 0, 255); };
    EXPECT_GT(twin.share(0, 0, twin.width, twin.height, red), 0.001);
    EXPECT_GT(twin.share(0, 0, twin.width, twin.height, blue), 0.001);
    EXPECT_TRUE(views[1] == twin) << "the top-first image is drawn differently";
    if (HasFailure()) {
        views[0].savePng("tree-bottom-first");
        views[1].savePng("tree-top-first");
    }
}

TEST_F(TreeFiles, AFifoInPlaceOfATreeImageIsNamedAndTheProgramFliesOn)
{
    // No writer ever comes: opening it for reading would block start-up for good.
    ASSERT_EQ(mkfifo(path("tree1.tga").c_str(), 0600), 0);
    Session app(dir);
    ASSERT_TRUE(app.waitForWindow(30)) << app.errorOutput();
    Picture start = app.settledPicture();
    EXPECT_EQ(app.errorOutput(), "verdalo: tree1.tga is not a regular file; its trees are not drawn\n");

    app.key("F5");
    std::string line = app.readLine(30);
    EXPECT_NE(line.find(" trees"), std::string::npos) << line;
    EXPECT_TRUE(app.settledPicture() != start) << "F5 drew a new world";
    app.key("Escape");
    EXPECT_EQ(app.waitForExit(20), 1);
}

}  // namespace
