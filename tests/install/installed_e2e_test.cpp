// The program as `cmake --install` puts it into a prefix of its own: every
// file in its place, and the installed program started from its menu entry,
// from another folder, and from folders with tree images of their own.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/install/flight.h"

namespace {

const fs::path prefix = INSTALL_PREFIX;
const std::string program = (prefix / "bin/verdalo").string();


TEST(InstalledFiles, EveryFileInItsPlaceAndNoOther)
{
    EXPECT_EQ(filesUnder(prefix), installedFiles("", "bin/verdalo"));
    struct stat st;
    ASSERT_EQ(stat(program.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXOTH) << "the program can be run by everyone";
    EXPECT_EQ(readFile(prefix / "share/verdalo/tree1.tga"), readFile(fs::path(assetsDir()) / "tree1.tga"));
    EXPECT_EQ(readFile(prefix / "share/verdalo/tree2.tga"), readFile(fs::path(assetsDir()) / "tree2.tga"));

    // The icon is a 128 x 128 RGBA PNG, as its folder in the theme says.
    std::string icon = readText(prefix / "share/icons/hicolor/128x128/apps/verdalo.png");
    ASSERT_GE(icon.size(), 33u);
    EXPECT_EQ(icon.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(icon.substr(16, 10), std::string("\0\0\0\x80\0\0\0\x80\x08\x06", 10));

    std::string metainfo = readText(prefix / "share/metainfo/org.verdalo.verdalo.metainfo.xml");
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">verdalo.desktop</launchable>"), std::string::npos);
    EXPECT_NE(metainfo.find("<release version=\"" VERDALO_VERSION "\""), std::string::npos);
}

TEST(InstalledFiles, TheMenuEntryRunsTheInstalledProgramInItsDataFolder)
{
    std::string entry = readText(prefix / "share/applications/verdalo.desktop");
    EXPECT_EQ(entryValue(entry, "Exec"), program);
    EXPECT_EQ(entryValue(entry, "Path"), (prefix / "share/verdalo").string());
    EXPECT_EQ(entryValue(entry, "Icon"), "verdalo");
    EXPECT_EQ(entryValue(entry, "Terminal"), "false");
    EXPECT_NE((";" + entryValue(entry, "Categories")).find(";Game;"), std::string::npos);
}

using Installed = ScratchFolder;

TEST_F(Installed, StartedAsItsMenuEntrySaysItFliesWithTrees)
{
    std::string entry = readText(prefix / "share/applications/verdalo.desktop");
    std::string exec = entryValue(entry, "Exec"), path = entryValue(entry, "Path");
    ASSERT_FALSE(exec.empty());
    ASSERT_FALSE(path.empty()) << "the entry names no working directory";
    expectFlightWithTrees(exec, path, isBark);
}

TEST_F(Installed, StartedFromAFolderWithoutTreeImagesItFliesWithTheInstalledOnes)
{
    expectFlightWithTrees(program, folder, isBark);
}

TEST_F(Installed, AFolderWithItsOwnTreeImageFliesWithThatOne)
{
    writeImage((folder / "tree1.tga").c_str(), 255, 0, 255, false, 64, 64);
    Picture first = expectFlightWithTrees(
        program, folder, [](Rgb c) { return isHalfOf(c, 255, 0, 255); });
    if (HasFailure())
        first.savePng("installed-own-tree1");
}

TEST_F(Installed, ABrokenTreeImageInTheFolderIsReportedNotReplaced)
{
    // A 64 x 64 true-colour header cut off before its pixels.
    writeFile((folder / "tree1.tga").string(), tgaHeader(2, 64, 64, 32) + Bytes{'g', 'a', 'r', 'b', 'a', 'g', 'e'});

    Session app(folder.string(), flightTime, Session::captureOutput, program);
    ASSERT_TRUE(app.waitForWindow()) << app.errorOutput();
    app.settledPicture();
    EXPECT_EQ(app.errorOutput(), "verdalo: tree1.tga is truncated or unreadable; its trees are not drawn\n");
    app.key("Escape");
    EXPECT_EQ(app.waitForExit(20), 1);
}

}  // namespace
