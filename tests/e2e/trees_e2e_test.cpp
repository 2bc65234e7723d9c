#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/support/scratch.h"

namespace {

int lineCount(const std::string &text)
{
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

// Without usable tree images the program says so once per image and flies on.
void expectRunsWithoutTrees(const std::string &folder)
{
    Session app(folder);
    ASSERT_TRUE(app.waitForWindow()) << app.errorOutput();
    Picture start = app.settledPicture();
    std::string err = app.errorOutput();
    EXPECT_NE(err.find("tree1.tga"), std::string::npos) << err;
    EXPECT_NE(err.find("tree2.tga"), std::string::npos) << err;
    EXPECT_EQ(lineCount(err), 2) << err;
    EXPECT_LT(start.share(0, 450, 1000, 500, isSky), 0.9);

    app.key("w");
    EXPECT_TRUE(app.settledPicture() != start);
    app.key("F5");
    EXPECT_FALSE(app.readLine(30).empty());
    EXPECT_TRUE(app.running());
    EXPECT_EQ(app.unreadOutput(), "");
}

using TreeImages = Scratch;

TEST_F(TreeImages, MissingImagesAreReportedAndTheTerrainStillFlies)
{
    expectRunsWithoutTrees(dir);
}

TEST_F(TreeImages, BrokenImagesAreReportedAndTheTerrainStillFlies)
{
    // A run-length encoded header, and a true-colour header cut off before its pixels.
    writeFile(path("tree1.tga"), tgaHeader(10, 64, 64, 32));
    writeFile(path("tree2.tga"), tgaHeader(2, 64, 64, 32) + Bytes{'g', 'a', 'r', 'b', 'a', 'g', 'e'});
    expectRunsWithoutTrees(dir);
}

}  // namespace
