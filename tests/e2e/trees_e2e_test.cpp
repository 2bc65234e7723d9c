#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/e2e/harness.h"

namespace {

std::string makeFolder()
{
    char tmpl[] = "/tmp/verdalo-e2e-XXXXXX";
    return mkdtemp(tmpl);
}

void writeBytes(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

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

TEST(TreeImages, MissingImagesAreReportedAndTheTerrainStillFlies)
{
    std::string folder = makeFolder();
    expectRunsWithoutTrees(folder);
    rmdir(folder.c_str());
}

TEST(TreeImages, BrokenImagesAreReportedAndTheTerrainStillFlies)
{
    std::string folder = makeFolder();
    // A run-length encoded header, and a true-colour header cut off before its pixels.
    std::string rle("\0\0\x0a\0\0\0\0\0\0\0\0\0\x40\0\x40\0\x20\0", 18);
    std::string cut("\0\0\x02\0\0\0\0\0\0\0\0\0\x40\0\x40\0\x20\0garbage", 25);
    writeBytes(folder + "/tree1.tga", rle);
    writeBytes(folder + "/tree2.tga", cut);
    expectRunsWithoutTrees(folder);
    unlink((folder + "/tree1.tga").c_str());
    unlink((folder + "/tree2.tga").c_str());
    rmdir(folder.c_str());
}

}  // namespace
