// The desktop icon and the tool that makes it from the leafy tree sprite.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/install/flight.h"

namespace {

const std::string tool = MAKE_ICON;
const fs::path source = SOURCE_DIR;

using MakeIcon = ScratchFolder;

// Runs the tool with the given (shell-quoted) arguments; its exit status, and
// what it wrote to standard error in err.
int makeIcon(const fs::path &folder, const std::string &args, std::string &err)
{
    int status = -1;
    commandOutput(shellQuote(tool) + " " + args + " 2>" + shellQuote((folder / "err").string()), &status);
    err = readText(folder / "err");
    return status;
}

TEST_F(MakeIcon, CommittedIconIsWhatTheToolMakesFromTheCommittedTree)
{
    std::string err;
    fs::path made = folder / "icon.png";
    ASSERT_EQ(makeIcon(folder, "'" + (source / "assets/tree1.tga").string() + "' '" + made.string() + "'", err), 0)
        << err;
    EXPECT_EQ(err, "");
    std::string icon = readText(made);
    EXPECT_TRUE(icon == readText(source / "package/verdalo.png")) << "package/verdalo.png is stale; run `make trees`";

    // The picture itself, as an image tool reads it: the sprite upright, its
    // cut-out texels clear, the foot of the trunk opaque at the bottom centre.
    std::string pixels = commandOutput("convert '" + made.string() + "' -depth 8 rgba:-");
    ASSERT_EQ(pixels.size(), 128u * 128u * 4u);
    auto alpha = [&](int x, int y) { return (unsigned char)pixels[(y * 128 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(64, 127), 255) << "trunk foot at the bottom";
    EXPECT_EQ(alpha(64, 0), 0) << "nothing on the top row";
}

TEST_F(MakeIcon, AnImageItCannotUseOrAFileItCannotWriteIsOneLineAndNoIcon)
{
    std::ofstream(folder / "short.tga") << "not an image";
    const struct {
        const char *what;
        std::string args;
        int status;
    } cases[] = {
        {"no arguments", "", 2},
        {"a missing image", "'" + (folder / "missing.tga").string() + "' '" + (folder / "icon.png").string() + "'", 1},
        {"a truncated image", "'" + (folder / "short.tga").string() + "' '" + (folder / "icon.png").string() + "'", 1},
        {"a folder that does not exist",
         "'" + (source / "assets/tree1.tga").string() + "' '" + (folder / "none/icon.png").string() + "'", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string err;
        EXPECT_EQ(makeIcon(folder, c.args, err), c.status);
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_FALSE(fs::exists(folder / "icon.png"));
    }
}

}  // namespace
