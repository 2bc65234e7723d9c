#include "tests/install/flight.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "image/tga.h"

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

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

std::string commandOutput(const std::string &command, int *status)
{
    std::string out;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status)
            *status = -1;
        return out;
    }
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        out.append(buf, n);
    int rc = pclose(pipe);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
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

bool isBark(Rgb c) { return c.r > c.g + 4 && c.r > c.b + 4; }

bool isHalfOf(Rgb c, int r, int g, int b)
{
    auto near = [](int got, int full) { return got >= full / 2 - 1 && got <= full / 2 + 1; };
    return near(c.r, r) && near(c.g, g) && near(c.b, b);
}

void ScratchFolder::SetUp()
{
    std::string pattern = (fs::temp_directory_path() / "verdalo-install-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
}

void ScratchFolder::TearDown()
{
    std::error_code failed;
    fs::remove_all(folder, failed);
    if (failed)
        ADD_FAILURE() << "cannot remove " << folder;
}

void writeTreeImage(const fs::path &path, unsigned char r, unsigned char g, unsigned char b, int w, int h)
{
    unsigned char *pixels = (unsigned char *)malloc((size_t)w * h * 4);
    ASSERT_NE(pixels, nullptr);
    for (int k = 0; k < w * h; k++) {
        unsigned char *p = pixels + 4 * k;
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = 255;
    }
    // A successful save takes the buffer over.
    int status = tgaSave(path.c_str(), (short)w, (short)h, 32, pixels);
    if (status != tgaStatusOk)
        free(pixels);
    ASSERT_EQ(status, tgaStatusOk) << path;
}

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
