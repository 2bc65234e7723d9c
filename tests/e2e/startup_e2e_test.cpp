#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace {

TEST(Startup, OpensItsWindowAndDrawsTerrainUnderASky)
{
    Session app(assetsDir());
    ASSERT_TRUE(app.waitForWindow()) << app.errorOutput();
    EXPECT_EQ(app.title(), "Verdalo");
    Geometry g = app.geometry();
    EXPECT_EQ(g.x, 100);
    EXPECT_EQ(g.y, 100);
    EXPECT_EQ(g.width, 1000);
    EXPECT_EQ(g.height, 500);

    Picture first = app.settledPicture();
    first.savePng("startup");
    ASSERT_EQ(first.width, 1000);
    ASSERT_EQ(first.height, 500);
    // The eye stands above the land: sky fills the top, terrain the bottom.
    EXPECT_GT(first.share(0, 0, 1000, 50, isSky), 0.99);
    EXPECT_LT(first.share(0, 450, 1000, 500, isSky), 0.9);
    // The colour map: blue water and green land, each in its own channel only.
    auto water = [](Rgb c) { return classify(c) == Pixel::water; };
    auto land = [](Rgb c) { return classify(c) == Pixel::land; };
    EXPECT_GT(first.share(0, 250, 1000, 500, water), 0.005);
    EXPECT_GT(first.share(0, 250, 1000, 500, land), 0.005);
    EXPECT_TRUE(app.running());
}

TEST(Startup, PrintsNothing)
{
    Session app(assetsDir());
    ASSERT_TRUE(app.waitForWindow()) << app.errorOutput();
    app.settledPicture();
    EXPECT_EQ(app.unreadOutput(), "");
    EXPECT_TRUE(app.running());
}

TEST(Startup, TheSameSecondBuildsTheSameWorld)
{
    Picture pictures[2];
    for (Picture &p : pictures) {
        Session app(assetsDir(), 1234567890L);
        ASSERT_TRUE(app.waitForWindow()) << app.errorOutput();
        p = app.settledPicture();
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);

    Session other(assetsDir(), 1234567891L);
    ASSERT_TRUE(other.waitForWindow()) << other.errorOutput();
    EXPECT_TRUE(other.settledPicture() != pictures[0]);
}

}  // namespace
