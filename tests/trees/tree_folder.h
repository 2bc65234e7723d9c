// What the tree set-up tests share: each test in its own empty working folder
// (where the set-up looks for tree1.tga and tree2.tga), and the colours the
// tree pass draws their images in.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/projection.h"
#include "app/state.h"
#include "image/tga.h"
#include "tests/support/grids.h"
#include "tests/support/scratch.h"

// Texels enter at half their colour.
inline bool isRed(const unsigned char *p) { return p[0] >= 126 && p[0] <= 129 && p[1] == 0 && p[2] == 0; }
inline bool isGreen(const unsigned char *p) { return p[0] == 0 && p[1] >= 126 && p[1] <= 129 && p[2] == 0; }

// Each test in its own folder, looking across flat ground with no trees.
class TreeFolder : public Scratch {
protected:
    std::string previous;

    void SetUp() override
    {
        Scratch::SetUp();
        if (HasFatalFailure())
            return;
        char buf[4096];
        ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
        previous = buf;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        lookAcrossFlatGround();
    }

    // Back out before the folder goes.
    void TearDown() override
    {
        if (!previous.empty() && chdir(previous.c_str()) != 0)
            ADD_FAILURE() << "cannot go back to " << previous;
    }

    // Flat ground at height 0, and the eye 3 units above it at (100, 3, 128)
    // looking along +x, with billboarding on.
    void lookAcrossFlatGround()
    {
        fillTerrain(0.0f);
        fillTreeMap(0.0f);
        eyeX = 100.0f; eyeY = 3.0f; eyeZ = 128.0f;
        lookX = 1.0f; lookY = 0.0f; lookZ = 0.0f;
        fovy = 45.0f;
        billboard = true;
        reshape(1000, 500);
    }
};
