#include "app/platform.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "image/tga.h"
#include "tests/support/scratch.h"

namespace {

using TgaGrab = Scratch;

void clearTo(int r, int g, int b)
{
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// The series number in a name such as "g12.tga", or -1.
int seriesNumber(const std::string &name, const std::string &base)
{
    if (name.size() <= base.size() + 4 || name.compare(0, base.size(), base) != 0
        || name.compare(name.size() - 4, 4, ".tga") != 0)
        return -1;
    std::string digits = name.substr(base.size(), name.size() - base.size() - 4);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(digits);
}

TEST_F(TgaGrab, RectangleIsSavedBottomRowFirstAsBlueGreenRedAlpha)
{
    // The rectangle (10, 20) 4 x 3: its bottom row red but for a blue first
    // pixel, the rows above grey-blue.
    glDisable(GL_SCISSOR_TEST);
    clearTo(51, 102, 153);
    glEnable(GL_SCISSOR_TEST);
    glScissor(10, 20, 4, 1);
    clearTo(255, 0, 0);
    glScissor(10, 20, 1, 1);
    clearTo(0, 0, 255);
    glDisable(GL_SCISSOR_TEST);
    glFinish();

    ASSERT_EQ(tgaGrabScreenSeries(path("grab").c_str(), 10, 20, 4, 3), tgaStatusOk);
    std::vector<std::string> files = filesInDir();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_GE(seriesNumber(files[0], "grab"), 0) << files[0];

    Bytes expected = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 3, 0, 32, 0};
    Bytes blue = {255, 0, 0, 255}, red = {0, 0, 255, 255}, greyBlue = {153, 102, 51, 255};
    expected.insert(expected.end(), blue.begin(), blue.end());
    for (int i = 0; i < 3; i++)
        expected.insert(expected.end(), red.begin(), red.end());
    for (int i = 0; i < 8; i++)
        expected.insert(expected.end(), greyBlue.begin(), greyBlue.end());
    EXPECT_EQ(readFile(path(files[0])), expected);
}

TEST_F(TgaGrab, EveryGrabUsesASeriesNumberAndAnEmptyOneSavesAnEmptyImage)
{
    clearTo(0, 0, 0);
    glFinish();
    std::string base = path("g");
    ASSERT_EQ(tgaGrabScreenSeries(base.c_str(), 0, 0, 2, 2), tgaStatusOk);
    ASSERT_EQ(filesInDir().size(), 1u);
    int first = seriesNumber(filesInDir()[0], "g");
    ASSERT_GE(first, 0);

    // No pixels is no fault: a valid image of that size, header only.
    struct { int w, h; } empty[] = {{0, 2}, {3, 0}};
    for (int k = 0; k < 2; k++) {
        ASSERT_EQ(tgaGrabScreenSeries(base.c_str(), 0, 0, empty[k].w, empty[k].h), tgaStatusOk);
        std::string name = path("g" + std::to_string(first + 1 + k) + ".tga");
        Bytes expected = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, (unsigned char)empty[k].w, 0,
                          (unsigned char)empty[k].h, 0, 32, 0};
        EXPECT_EQ(readFile(name), expected) << name;
        tgaInfo *info = tgaLoad(name.c_str());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->status, tgaStatusOk);
        tgaDestroy(info);
    }

    // Refused before any pixel is read, each still using up its number.
    struct { int w, h; } refused[] = {{-1, 2}, {2, -5}, {40000, 1}, {1, 32768}, {32767, 32767}};
    for (auto r : refused)
        EXPECT_EQ(tgaGrabScreenSeries(base.c_str(), 0, 0, r.w, r.h), tgaStatusBadSize) << r.w << " x " << r.h;
    EXPECT_EQ(filesInDir().size(), 3u);

    // A save that cannot open its file uses its number too; the grab frees its pixels.
    EXPECT_EQ(tgaGrabScreenSeries(path("none/g").c_str(), 0, 0, 2, 2), tgaStatusOpenFailed);

    ASSERT_EQ(tgaGrabScreenSeries(base.c_str(), 0, 0, 2, 2), tgaStatusOk);
    std::vector<std::string> files = filesInDir();
    std::vector<std::string> expected;
    for (int n : {first, first + 1, first + 2, first + 9})
        expected.push_back("g" + std::to_string(n) + ".tga");
    std::sort(files.begin(), files.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
}

}  // namespace
