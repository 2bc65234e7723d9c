#include "app/platform.h"
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/projection.h"
#include "app/state.h"
#include "image/tga.h"
#include "trees/billboard.h"
#include "trees/sprites.h"

namespace {

// ---- Billboard rotation, read back from the model-view matrix ----

struct Turn {
    float cam[3];
    float base[3];
    float degrees;  // 0: no rotation
    float axisY;
};

void expectTurn(const Turn &t)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    billboardCylindricalBegin(t.cam, t.base);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);

    double a = t.degrees * t.axisY * M_PI / 180.0;
    // A turn about the vertical axis maps the sprite's facing (0, 0, 1) to (sin a, 0, cos a).
    EXPECT_NEAR(m[8], sin(a), 1e-6) << t.cam[0] << "," << t.cam[2];
    EXPECT_NEAR(m[10], cos(a), 1e-6) << t.cam[0] << "," << t.cam[2];
    EXPECT_NEAR(m[5], 1.0, 1e-6);
    EXPECT_NEAR(m[12] + m[13] + m[14], 0.0, 1e-6);
}

TEST(Billboard, TurnsTheSpriteToFaceTheCameraAboutTheVerticalAxis)
{
    float right = (float)((double)(acosf(0.0f) * 180.0f) / 3.14);  // a little over 90: 3.14, not pi
    EXPECT_GT(right, 90.04f);
    const Turn turns[] = {
        {{20, 5, 7}, {10, 0, 7}, right, 1},    // camera on +x
        {{0, 5, 7}, {10, 0, 7}, right, -1},    // camera on -x: the axis points down
        {{10, 90, 7}, {10, 0, 7}, 0, 0},       // straight above the base
        {{10.01f, 5, 27}, {10, 0, 7}, 0, 0},   // within the band in front: already facing
        {{10.01f, 5, -13}, {10, 0, 7}, 0, 0},  // within the band behind: seen from the back
        {{15, 5, 12}, {10, 0, 7}, (float)((double)(acosf(sqrtf(0.5f)) * 180.0f) / 3.14), 1},
    };
    for (const Turn &t : turns)
        expectTurn(t);
}

TEST(Billboard, NormalizeScalesToUnitLength)
{
    float v[3] = {3, 0, -4};
    normalize(v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[2], -0.8f);
    EXPECT_EQ(v[1], 0.0f);
}

// ---- The tree pass, drawn for real and read back ----

// A tree image: an opaque colour on the left half, alpha 0 (white underneath) on the right.
void writeImage(const char *name, unsigned char r, unsigned char g, unsigned char b, bool halfClear,
                int w = 8, int h = 8, int depth = 32)
{
    int bytes = depth / 8;
    unsigned char *pixels = (unsigned char *)malloc((size_t)(w * h * bytes));
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned char *p = pixels + (y * w + x) * bytes;
            bool clear = halfClear && x >= w / 2;
            p[0] = clear ? 255 : r;
            p[1] = clear ? 255 : g;
            p[2] = clear ? 255 : b;
            if (bytes == 4)
                p[3] = clear ? 0 : 255;
        }
    ASSERT_EQ(tgaSave(name, (short)w, (short)h, (unsigned char)depth, pixels), tgaStatusOk);
}

bool isRed(const unsigned char *p) { return p[0] >= 126 && p[0] <= 129 && p[1] == 0 && p[2] == 0; }
bool isGreen(const unsigned char *p) { return p[0] == 0 && p[1] >= 126 && p[1] <= 129 && p[2] == 0; }
bool isGrey(const unsigned char *p) { return p[0] > 100 && p[0] == p[1] && p[1] == p[2]; }

struct Counts {
    int red = 0, green = 0, grey = 0, terrain = 0;
    int redTop = -1, redBottom = 100000;
};

class TreePass : public ::testing::Test {
protected:
    std::string folder, previous;

    void SetUp() override
    {
        char buf[4096];
        previous = getcwd(buf, sizeof buf);
        char tmpl[] = "/tmp/verdalo-sprites-XXXXXX";
        folder = mkdtemp(tmpl);
        ASSERT_EQ(chdir(folder.c_str()), 0);

        // Flat ground at height 0, a plain dark blue, and two trees one behind
        // the other as seen from the camera below: the near one is drawn first.
        for (int i = 0; i < 257; i++)
            for (int j = 0; j < 257; j++) {
                terrain[i][j] = 0.0f;
                finalTerrainTexture[i][j][0] = 0.0f;
                finalTerrainTexture[i][j][1] = 0.0f;
                finalTerrainTexture[i][j][2] = 0.25f;
            }
        memset(treeMap, 0, sizeof treeMap);
        treeMap[110][128] = 1;
        treeMap[120][128] = 2;

        eyeX = 100.0f; eyeY = 3.0f; eyeZ = 128.0f;
        lookX = 1.0f; lookY = 0.0f; lookZ = 0.0f;
        walkDelta = pitchDelta = flyDelta = 0;
        yawDelta = 0.0f;
        fovy = 45.0f;
        wireframe = false;
        billboard = true;
        glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
        reshape(1000, 500);
    }

    void TearDown() override
    {
        unlink((folder + "/tree1.tga").c_str());
        unlink((folder + "/tree2.tga").c_str());
        if (chdir(previous.c_str()) != 0)
            ADD_FAILURE() << "cannot go back to " << previous;
        rmdir(folder.c_str());
    }

    Counts frame()
    {
        display();
        glFinish();
        std::vector<unsigned char> px(1000 * 500 * 4);
        // Mesa keeps the frame in the back buffer through the swap; the front
        // buffer of a window without a window manager reads back black.
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, 1000, 500, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        Counts c;
        for (int y = 0; y < 500; y++)
            for (int x = 0; x < 1000; x++) {
                const unsigned char *p = &px[(y * 1000 + x) * 4];
                if (isRed(p)) {
                    c.red++;
                    c.redTop = std::max(c.redTop, y);
                    c.redBottom = std::min(c.redBottom, y);
                }
                c.green += isGreen(p);
                c.grey += isGrey(p);
                c.terrain += p[0] == 0 && p[1] == 0 && p[2] >= 62 && p[2] <= 65;
            }
        return c;
    }
};

TEST_F(TreePass, TreesStandOnTheirCellsAtHalfColourWithClearTexelsCutOut)
{
    writeImage("tree1.tga", 255, 0, 0, true);
    writeImage("tree2.tga", 0, 255, 0, false);
    initTextures();
    Counts c = frame();

    EXPECT_GT(c.red, 1000);   // the near tree's opaque half, at half brightness
    EXPECT_GT(c.green, 500);  // the far tree, seen through the near one's clear half
    EXPECT_EQ(c.grey, 0);     // no clear texel left colour behind

    // The near tree's foot is the ground point of its cell, its top 6 units up.
    GLdouble model[16], proj[16], wx, wy, wz;
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    gluProject(110, 0, 128, model, proj, view, &wx, &wy, &wz);
    EXPECT_NEAR(c.redBottom, wy, 2.0);
    gluProject(110, 6, 128, model, proj, view, &wx, &wy, &wz);
    EXPECT_NEAR(c.redTop, wy, 2.0);

    // The pass leaves blending and the alpha test off and texture 0 bound.
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(TreePass, UnturnedSpritesAreEdgeOnFromTheSideAndWireframeKeepsThemFilled)
{
    writeImage("tree1.tga", 255, 0, 0, true);
    writeImage("tree2.tga", 0, 255, 0, false);
    initTextures();
    Counts turned = frame();

    billboard = false;  // sprites face +z; seen along x they are a sliver
    Counts flat = frame();
    EXPECT_LT(flat.red + flat.green, (turned.red + turned.green) / 20);

    billboard = true;
    wireframe = true;
    Counts lines = frame();
    // Still filled quads; only the feet, where the ground met them, may differ.
    EXPECT_NEAR(lines.red, turned.red, turned.red / 100);
    EXPECT_NEAR(lines.green, turned.green, turned.green / 100);
}

TEST_F(TreePass, AnImageThatCannotBeUsedDrawsNoTreesOfItsKind)
{
    struct Case {
        const char *what;
        void (*make)();
    } cases[] = {
        {"missing", [] { unlink("tree1.tga"); }},
        {"not 32-bit", [] { writeImage("tree1.tga", 255, 0, 0, false, 8, 8, 24); }},
        {"truncated", [] {
             writeImage("tree1.tga", 255, 0, 0, false);
             ASSERT_EQ(truncate("tree1.tga", 18 + 100), 0);
         }},
    };
    for (const Case &k : cases) {
        writeImage("tree2.tga", 0, 255, 0, false);
        k.make();
        testing::internal::CaptureStderr();
        initTextures();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("tree1.tga"), std::string::npos) << k.what << ": " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << k.what << ": " << err;

        Counts c = frame();
        EXPECT_EQ(c.red, 0) << k.what;
        EXPECT_EQ(c.grey, 0) << k.what << ": no untextured rectangle in its place";
        EXPECT_GT(c.green, 500) << k.what << ": the other kind still stands";
        EXPECT_GT(c.terrain, 1000) << k.what;
    }
}

}  // namespace
