#include "tests/install/flight.h"

#include <algorithm>
#include <cmath>
#include <regex>
#include <sstream>

std::vector<std::string> filesUnder(const fs::path &root)
{
    std::vector<std::string> files;
    std::error_code failed;
    for (auto it = fs::recursive_directory_iterator(root, failed); !failed && it != fs::recursive_directory_iterator();
         it.increment(failed))
        if (it->is_regular_file() && !it->is_symlink())
            files.push_back(fs::relative(it->path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> installedFiles(const std::string &top, const std::string &program)
{
    std::vector<std::string> files = {
        program,
        "share/applications/verdalo.desktop",
        "share/doc/verdalo/LICENSE",
        "share/doc/verdalo/README.md",
        "share/doc/verdalo/changelog.gz",
        "share/doc/verdalo/copyright",
        "share/icons/hicolor/128x128/apps/verdalo.png",
        "share/man/man6/verdalo.6.gz",
        "share/metainfo/org.verdalo.verdalo.metainfo.xml",
        "share/verdalo/tree1.tga",
        "share/verdalo/tree2.tga",
    };
    for (std::string &f : files)
        f = top + f;
    std::sort(files.begin(), files.end());
    return files;
}

std::string entryValue(const std::string &entry, const std::string &key)
{
    std::istringstream lines(entry);
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    return "";
}

bool isBark(Rgb c) { return classify(c) == Pixel::tree; }

Picture expectFlightWithTrees(const std::string &program, const fs::path &folder, bool (*isTree)(Rgb),
                              long minTrees)
{
    Session app(folder.string(), flightTime, Session::captureOutput, program);
    EXPECT_TRUE(app.waitForWindow()) << program << " in " << folder << ": " << app.errorOutput();
    Picture first = app.settledPicture();
    EXPECT_EQ(first.width, 1000);
    long trees = std::lround(first.share(0, 0, first.width, first.height, isTree) * first.width * first.height);
    EXPECT_GE(trees, minTrees) << "tree pixels in the first frame";
    EXPECT_EQ(app.errorOutput(), "");

    app.key("F5");
    std::string line = app.readLine(30);
    EXPECT_TRUE(std::regex_match(line, std::regex("[0-9]+ trees"))) << "'" << line << "'";
    app.waitUntilIdle();
    EXPECT_EQ(app.unreadOutput(), "") << "one F5, one line";
    app.key("Escape");
    EXPECT_EQ(app.waitForExit(20), 1);
    EXPECT_EQ(app.errorOutput(), "");
    return first;
}
