// What the installed program and the packaged ones are checked with: the
// files a tree holds, the menu entry's keys, and a flight of the real program
// started from a given folder under the end-to-end harness.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/scratch.h"

namespace fs = std::filesystem;

// Every file under root (links and folders left out), relative to it, sorted.
std::vector<std::string> filesUnder(const fs::path &root);

// Every file an install writes, sorted, each under top; the program's own
// path is given, as it differs between the GNU layout and the .deb.
std::vector<std::string> installedFiles(const std::string &top, const std::string &program);

// The value of key in a desktop entry's text; "" when it has none.
std::string entryValue(const std::string &entry, const std::string &key);

// The sprites' bark, drawn at half its colour: the harness's tree class.
bool isBark(Rgb c);

// A private empty folder, removed with what it holds at the end of the test.
class ScratchFolder : public Scratch {
protected:
    fs::path folder{dir};
};

// The clock of every flight: its start view has some 170 bark pixels (the
// Windows checks start from the same second).
const long flightTime = 1234567890L;

// Starts program in folder, as a person would, and checks a whole flight: a
// first frame with at least minTrees pixels that pass isTree, nothing on
// standard error, one "N trees" line for one F5, and exit status 1 on Escape.
// Returns the first frame.
Picture expectFlightWithTrees(const std::string &program, const fs::path &folder, bool (*isTree)(Rgb),
                              long minTrees = 20);
