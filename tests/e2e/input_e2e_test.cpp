#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/e2e/harness.h"

namespace {

class Keys : public ::testing::Test {
protected:
    Session app{assetsDir()};
    Picture start;
    long startFrames = 0;

    void SetUp() override
    {
        ASSERT_TRUE(app.waitForWindow()) << app.errorOutput();
        start = app.settledPicture();
        startFrames = app.frames();
    }
};

TEST_F(Keys, EachF5PrintsTheTreeCountOfANewWorld)
{
    app.key("F5");
    std::string first = app.readLine(30);
    Picture afterFirst = app.settledPicture();
    app.key("F5 F5");
    std::string second = app.readLine(30), third = app.readLine(30);

    const std::regex line("[0-9]+ trees");
    EXPECT_TRUE(std::regex_match(first, line)) << first;
    EXPECT_TRUE(std::regex_match(second, line)) << second;
    EXPECT_TRUE(std::regex_match(third, line)) << third;
    EXPECT_TRUE(afterFirst != start);
    app.settledPicture();
    EXPECT_EQ(app.unreadOutput(), "");
}

TEST_F(Keys, EscapeExitsWithStatusOne)
{
    app.key("Escape");
    EXPECT_EQ(app.waitForExit(20), 1);
    EXPECT_EQ(app.unreadOutput(), "");
}

TEST_F(Keys, WalkingForwardAndBackReturnsToTheStartPicture)
{
    app.key("w w");
    Picture forward = app.settledPicture();
    EXPECT_TRUE(forward != start);
    app.key("s s");
    EXPECT_TRUE(app.settledPicture() == start);
    // One frame for each of the eight key events, no more.
    EXPECT_EQ(app.frames() - startFrames, 8);
}

TEST_F(Keys, TurningAndLookingChangeThePicture)
{
    app.key("d");
    Picture turned = app.settledPicture();
    EXPECT_TRUE(turned != start);
    app.key("a");
    EXPECT_TRUE(app.settledPicture() == start);
    app.key("f");
    EXPECT_TRUE(app.settledPicture() != start);
}

TEST_F(Keys, ZoomKeysWidenAndNarrowTheView)
{
    app.key("z z");
    Picture wide = app.settledPicture();
    EXPECT_TRUE(wide != start);
    app.key("x x");
    EXPECT_TRUE(app.settledPicture() == start);
    app.key("x x");
    EXPECT_TRUE(app.settledPicture() != start);
}

TEST_F(Keys, LeftClickShowsTheWireframeWithSkyThroughTheMesh)
{
    auto terrainLike = [](Rgb c) { return !isSky(c); };
    double solid = start.share(0, 250, 1000, 500, terrainLike);
    app.click(1);
    Picture lines = app.settledPicture();
    lines.savePng("wireframe");
    EXPECT_LT(lines.share(0, 250, 1000, 500, terrainLike), solid * 0.9);
    EXPECT_GT(lines.share(0, 250, 1000, 500, terrainLike), 0.0);
    app.click(1);
    EXPECT_TRUE(app.settledPicture() == start);
}

TEST_F(Keys, SurvivesAStormOfKeysAndAFlattenedWindow)
{
    const char *storm = "w d w a s r f space Down 1 2 z x F5 W q Up Left Right";
    for (int round = 0; round < 15; round++)
        app.key(storm);
    EXPECT_TRUE(app.running());
    // X has no zero-sized windows: one pixel is as flat as the window gets.
    EXPECT_TRUE(app.resize(1000, 1));
    app.waitUntilIdle();
    EXPECT_TRUE(app.resize(1000, 500));
    app.waitUntilIdle();
    ASSERT_TRUE(app.running()) << app.errorOutput();
    for (int k = 0; k < 15; k++)
        EXPECT_FALSE(app.readLine(10).empty()) << "F5 number " << k;

    Picture before = app.settledPicture();
    app.key("F5");
    EXPECT_FALSE(app.readLine(30).empty());
    EXPECT_TRUE(app.settledPicture() != before);
}

}  // namespace
