// The program as launchers and shells hand it over: standard output closed,
// or a pipe whose reader has gone. F5 must still grow a new world and Escape
// must still end the program with its own status.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/e2e/harness.h"

namespace {

// Two F5s each draw a new world, the program lives on, and Escape ends it with status 1.
void expectFlightGoesOn(int stdoutFd)
{
    Session app(assetsDir(), 1700000000L, stdoutFd);
    ASSERT_TRUE(app.waitForWindow()) << app.errorOutput();
    Picture world = app.settledPicture();
    EXPECT_GT(world.share(0, 0, world.width, 10, isSky), 0.9) << "no first frame";
    for (int n = 1; n <= 2; n++) {
        app.key("F5");
        Picture next = app.settledPicture();
        ASSERT_TRUE(app.running()) << "the program ended at F5 number " << n;
        EXPECT_NE(next, world) << "no new world after F5 number " << n;
        world = next;
    }
    app.key("Escape");
    EXPECT_EQ(app.waitForExit(30), 1);
}

TEST(Launch, StandardOutputClosed)
{
    expectFlightGoesOn(Session::closedOutput);
}

TEST(Launch, StandardOutputAPipeWithNoReader)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    expectFlightGoesOn(fds[1]);
    close(fds[1]);
}

}  // namespace
