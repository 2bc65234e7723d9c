// The tree set-up against a real GL: images it must refuse before reading
// them, and an upload the GL itself refuses.
#include "app/platform.h"
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/projection.h"
#include "app/state.h"
#include "image/tga.h"
#include "trees/sprites.h"
#include "tests/support/address_limit.h"
#include "tests/trees/tree_folder.h"

// Allocation failures must come back as null pointers under the sanitizers
// too, as they do for the GL's own allocations without them.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {

// A header claiming w x h at 32 bits, then (sparse) room for all its pixels.
void writeSparseImage(const char *name, int w, int h)
{
    writeFile(name, tgaHeader(2, w, h, 32));
    ASSERT_EQ(truncate(name, 18 + (off_t)w * h * 4), 0);
}

// While it lives, a blocking open or read is cut off after a few seconds
// (EINTR), so a set-up that did open a FIFO fails instead of hanging.
class Watchdog {
public:
    Watchdog()
    {
        struct sigaction wake = {};
        wake.sa_handler = [](int) {};
        sigaction(SIGALRM, &wake, &old_);
        alarm(5);
    }
    ~Watchdog()
    {
        alarm(0);
        sigaction(SIGALRM, &old_, nullptr);
    }

private:
    struct sigaction old_ = {};
};

int lines(const std::string &text)
{
    return (int)std::count(text.begin(), text.end(), '\n');
}

class TreeSetUp : public TreeFolder {
protected:
    void SetUp() override
    {
        TreeFolder::SetUp();
        if (HasFatalFailure())
            return;
        // One tree of each kind side by side in front of the camera.
        treeMap[120][124] = 1;
        treeMap[120][132] = 2;
    }

    std::string setUpTrees()
    {
        testing::internal::CaptureStderr();
        initTextures();
        return testing::internal::GetCapturedStderr();
    }

    // Draws the trees alone and counts their pixels, read before any swap.
    void countTrees(int &red, int &green)
    {
        float cam[3] = {eyeX, eyeY, eyeZ};
        glLoadIdentity();
        lookFromEye();
        glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderTrees(cam);
        glFinish();
        std::vector<unsigned char> px(1000 * 500 * 4);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, 1000, 500, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        red = green = 0;
        for (size_t p = 0; p < px.size(); p += 4) {
            red += isRed(&px[p]);
            green += isGreen(&px[p]);
        }
    }
};

TEST_F(TreeSetUp, ThingsThatAreNotRegularFilesAreRefusedWithoutBeingOpened)
{
    writeImage("tree2.tga", 0, 255, 0);
    struct Case {
        const char *what;
        int (*make)();
    } cases[] = {
        // Opening a FIFO with no writer would block for good.
        {"FIFO", [] { return mkfifo("tree1.tga", 0600); }},
        {"folder", [] { return mkdir("tree1.tga", 0700); }},
        {"device", [] { return symlink("/dev/zero", "tree1.tga"); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.make(), 0);
        std::string err;
        {
            Watchdog watchdog;
            err = setUpTrees();
        }
        EXPECT_EQ(err, "verdalo: tree1.tga is not a regular file; its trees are not drawn\n");
        int red, green;
        countTrees(red, green);
        EXPECT_EQ(red, 0);
        EXPECT_GT(green, 500) << "the other kind still stands";
        ASSERT_EQ(remove("tree1.tga"), 0);
    }
}

TEST_F(TreeSetUp, ATooLargeImageIsRefusedFromItsHeaderAlone)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    // 23170 x 23170 x 4 bytes is the largest square the image module reads.
    if (largest >= 23170)
        GTEST_SKIP() << "this GL takes textures of " << largest << " texels a side";
    writeSparseImage("tree1.tga", 23170, 23170);
    writeImage("tree2.tga", 0, 255, 0);

    std::string err;
    {
        // Room for the small image, not for the 2 GB one: reading it would fail.
        AddressLimit limit(256L << 20);
        ASSERT_TRUE(limit.ok());
        err = setUpTrees();
    }
    EXPECT_EQ(err, "verdalo: tree1.tga is larger than this GL can hold as a texture; its trees are not drawn\n");
    int red, green;
    countTrees(red, green);
    EXPECT_GT(green, 500);
}

TEST_F(TreeSetUp, AnUploadTheGlRefusesIsNamedAndItsKindSkipped)
{
    // 64 MB of pixels: the image module gets them, the GL finds no room for its
    // copy. Above 32 MB the C library maps every block afresh, never reusing
    // room it already holds, so the limit bites whatever ran before.
    const int side = 4096;
    writeImage("tree1.tga", 255, 0, 0, false, side, side);
    writeImage("tree2.tga", 0, 255, 0);

    std::string err;
    {
        AddressLimit limit((long)side * side * 4 + (8L << 20));
        ASSERT_TRUE(limit.ok());
        err = setUpTrees();
    }
    int red, green;
    countTrees(red, green);
    EXPECT_GT(green, 500) << "the other kind still stands";
    if (err.empty() && red > 0)
        GTEST_SKIP() << "this GL took the upload within the limit";
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_EQ(err.rfind("verdalo: tree1.tga ", 0), 0u) << err;
    EXPECT_NE(err.find("; its trees are not drawn"), std::string::npos) << err;
    EXPECT_EQ(red, 0) << "no trees from a texture the GL refused";
}

// Whether this GL says it takes textures whose sides are not powers of two.
bool glTakesAnySize()
{
    const char *version = (const char *)glGetString(GL_VERSION);
    const char *extensions = (const char *)glGetString(GL_EXTENSIONS);
    std::string list = " " + std::string(extensions ? extensions : "") + " ";
    return (version && atoi(version) >= 2) || list.find(" GL_ARB_texture_non_power_of_two ") != std::string::npos;
}

TEST_F(TreeSetUp, ANonPowerOfTwoImageIsTakenByAGlThatCanTakeIt)
{
    if (!glTakesAnySize())
        GTEST_SKIP() << "this GL takes only sides that are powers of two";
    writeImage("tree1.tga", 255, 0, 0, false, 96, 64);
    writeImage("tree2.tga", 0, 255, 0, false, 24, 40);
    EXPECT_EQ(setUpTrees(), "");
    int red, green;
    countTrees(red, green);
    EXPECT_GT(red, 500);
    EXPECT_GT(green, 500);
}

// CTest runs this with Mesa told to be a GL 1.4 without the extension.
TEST_F(TreeSetUp, OnAnOldGl)
{
    if (glTakesAnySize())
        GTEST_SKIP() << "this GL takes textures of any size and does not let itself be made older";
    writeImage("tree1.tga", 255, 0, 0, false, 96, 64);
    writeImage("tree2.tga", 0, 255, 0);
    EXPECT_EQ(setUpTrees(), "verdalo: tree1.tga has a size that is not a power of two, which this GL cannot take; "
                            "its trees are not drawn\n");
    int red, green;
    countTrees(red, green);
    EXPECT_EQ(red, 0);
    EXPECT_GT(green, 500);
}

}  // namespace
