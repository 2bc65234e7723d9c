// The packages `make package` makes: the .deb's files and dependencies, the
// program unpacked from it into a scratch root and run from there, and the
// Linux archive's files.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/install/flight.h"

namespace {

const fs::path packages = PACKAGE_DIR;

std::string architecture()
{
    std::string arch = commandOutput("dpkg --print-architecture");
    return arch.substr(0, arch.find('\n'));
}

const fs::path deb = packages / ("verdalo_" VERDALO_VERSION "_" + architecture() + ".deb");
const fs::path archive = packages / "verdalo-" VERDALO_VERSION "-Linux.tar.gz";

// The plain files of a `tar tv` style listing, without a leading "./".
std::vector<std::string> listedFiles(const std::string &listing)
{
    std::vector<std::string> files;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] != '-')
            continue;
        std::string path = line.substr(line.rfind(' ') + 1);
        files.push_back(path.compare(0, 2, "./") == 0 ? path.substr(2) : path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(DebianPackage, HoldsEveryFileAndDependsOnTheGlutRuntime)
{
    ASSERT_TRUE(fs::exists(deb)) << deb;
    int status;
    std::string listing = commandOutput("dpkg-deb -c '" + deb.string() + "'", &status);
    ASSERT_EQ(status, 0);
    // Debian keeps the programs of games in /usr/games.
    EXPECT_EQ(listedFiles(listing), installedFiles("usr/", "games/verdalo"));

    std::string depends = commandOutput("dpkg-deb -f '" + deb.string() + "' Depends", &status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(depends.find("libglut"), std::string::npos) << depends;
    EXPECT_NE(depends.find("libgl"), std::string::npos) << depends;
    EXPECT_EQ(commandOutput("dpkg-deb -f '" + deb.string() + "' Section"), "games\n");
    EXPECT_EQ(commandOutput("dpkg-deb -f '" + deb.string() + "' Version"), VERDALO_VERSION "\n");
}

using UnpackedPackage = ScratchFolder;

TEST_F(UnpackedPackage, RunFromAScratchRootItFliesWithItsTrees)
{
    ASSERT_TRUE(fs::exists(deb)) << deb;
    int status;
    commandOutput("dpkg-deb -x '" + deb.string() + "' '" + (folder / "root").string() + "'", &status);
    ASSERT_EQ(status, 0);
    fs::create_directory(folder / "elsewhere");
    expectFlightWithTrees((folder / "root/usr/games/verdalo").string(), folder / "elsewhere", isBark);
}

TEST(LinuxArchive, HoldsTheGnuLayoutMeantForUsrLocal)
{
    ASSERT_TRUE(fs::exists(archive)) << archive;
    int status;
    std::string listing = commandOutput("tar -tvzf '" + archive.string() + "'", &status);
    ASSERT_EQ(status, 0);
    std::string top = "verdalo-" VERDALO_VERSION "-Linux/";
    EXPECT_EQ(listedFiles(listing), installedFiles(top, "bin/verdalo"));

    std::string entry =
        commandOutput("tar -xzOf '" + archive.string() + "' '" + top + "share/applications/verdalo.desktop'");
    EXPECT_EQ(entryValue(entry, "Exec"), "/usr/local/bin/verdalo");
    EXPECT_EQ(entryValue(entry, "Path"), "/usr/local/share/verdalo");
}

}  // namespace
