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
#include "tests/support/frames.h"
#include "tests/trees/tree_folder.h"
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
    // Degrees are taken as 180 / 3.14 a radian, not 180 / pi: a right angle
    // turns by 90 pi / 3.14, half a right angle by 45 pi / 3.14.
    const float right = (float)(90.0 * M_PI / 3.14), half = (float)(45.0 * M_PI / 3.14);
    const Turn turns[] = {
        {{20, 5, 7}, {10, 0, 7}, right, 1},    // camera on +x
        {{0, 5, 7}, {10, 0, 7}, right, -1},    // camera on -x: the axis points down
        {{10, 90, 7}, {10, 0, 7}, 0, 0},       // straight above the base
        {{10.01f, 5, 27}, {10, 0, 7}, 0, 0},   // within the band in front: already facing
        {{10.01f, 5, -13}, {10, 0, 7}, 0, 0},  // within the band behind: seen from the back
        {{15, 5, 12}, {10, 0, 7}, half, 1},
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

bool isGrey(const unsigned char *p) { return p[0] > 100 && p[0] == p[1] && p[1] == p[2]; }

struct Counts {
    int red = 0, green = 0, grey = 0, terrain = 0;
    int redTop = -1, redBottom = 100000;
};

class TreePass : public TreeFolder {
protected:
    void SetUp() override
    {
        TreeFolder::SetUp();
        if (HasFatalFailure())
            return;
        // Flat ground in a plain dark blue, and two trees one behind the other
        // as seen from the camera: the near one is drawn first.
        for (int i = 0; i < 257; i++)
            for (int j = 0; j < 257; j++) {
                finalTerrainTexture[i][j][0] = 0.0f;
                finalTerrainTexture[i][j][1] = 0.0f;
                finalTerrainTexture[i][j][2] = 0.25f;
            }
        treeMap[110][128] = 1;
        treeMap[120][128] = 2;
        walkDelta = pitchDelta = flyDelta = 0;
        yawDelta = 0.0f;
        wireframe = false;
        glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
    }

    // Draws one frame and counts its pixels as they were just before the swap.
    Counts frame()
    {
        long before = swapCount();
        display();
        EXPECT_EQ(swapCount(), before + 1);
        const SwappedFrame &shot = lastSwappedFrame();
        Counts c;
        if (shot.width != 1000 || shot.height != 500) {
            ADD_FAILURE() << "frame of " << shot.width << " x " << shot.height;
            return c;
        }
        for (int y = 0; y < 500; y++)
            for (int x = 0; x < 1000; x++) {
                const unsigned char *p = shot.at(x, y);
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

TEST_F(TreePass, TreeTexturesKeepWhatWasSetAtUpload)
{
    writeImage("tree1.tga", 255, 0, 0, true);
    writeImage("tree2.tga", 0, 255, 0, false, 8, 16);
    initTextures();
    frame();  // drawing trees must not change them

    const int heights[2] = {8, 16};
    for (int k = 0; k < 2; k++) {
        SCOPED_TRACE(k);
        glBindTexture(GL_TEXTURE_2D, texName[k]);
        GLint wrapS = 0, wrapT = 0, mag = 0, min = 0, w = 0, h = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(wrapS, GL_REPEAT);
        EXPECT_EQ(wrapT, GL_REPEAT);
        EXPECT_EQ(mag, GL_NEAREST);
        EXPECT_EQ(min, GL_LINEAR);  // one level, no mipmaps
        EXPECT_EQ(w, 8);
        EXPECT_EQ(h, heights[k]);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

// The window position of corner (halfWidth * side, up) of a sprite based at
// base and turned to face eye horizontally, through the current matrices.
void projectCorner(const float eye[3], const float base[3], float halfWidth, int side, float up, double out[2])
{
    double dx = eye[0] - base[0], dz = eye[2] - base[2], len = std::sqrt(dx * dx + dz * dz);
    // Facing (dx, 0, dz) / len, the sprite's own x axis lies along (dz, 0, -dx) / len.
    double x = base[0] + side * halfWidth * dz / len, y = base[1] + up, z = base[2] - side * halfWidth * dx / len;
    GLdouble model[16], proj[16], wz;
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    gluProject(x, y, z, model, proj, view, &out[0], &out[1], &wz);
}

TEST_F(TreePass, SpritesFaceTheEyeWhereThisFramesStepLeftIt)
{
    writeImage("tree1.tga", 255, 0, 0, false);
    writeImage("tree2.tga", 0, 255, 0, false);
    initTextures();
    memset(treeMap, 0, sizeof treeMap);
    treeMap[100][100] = 1;

    // The eye walks 5 along -z this frame, from (92, 3, 113) to (92, 3, 108):
    // the tree ahead on the right is seen at 45 degrees after the step, at
    // about 32 before it.
    eyeX = 92.0f; eyeY = 3.0f; eyeZ = 113.0f;
    lookX = 0.0f; lookY = 0.0f; lookZ = -1.0f;
    fovy = 90.0f;
    reshape(1000, 500);
    walkDelta = 5;
    wireframe = true;  // the mesh comes back as segments, the sprite as polygons

    static std::vector<GLfloat> buffer(4000000);
    glFeedbackBuffer((GLsizei)buffer.size(), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    display();
    GLint n = glRenderMode(GL_RENDER);
    walkDelta = 0;
    ASSERT_GT(n, 0) << "feedback buffer overflowed";
    ASSERT_EQ(eyeZ, 108.0f);

    // A driver may hand the quad back whole or as two triangles.
    std::vector<std::pair<float, float>> corners;
    for (const GLfloat *p = buffer.data(), *end = p + n; p < end;) {
        GLint token = (GLint)*p++;
        if (token == GL_POLYGON_TOKEN) {
            int count = (int)*p++;
            for (int k = 0; k < count; k++, p += 2)
                corners.push_back({p[0], p[1]});
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            p += 4;
        } else {
            FAIL() << "unexpected feedback token " << token;
        }
    }
    ASSERT_GE(corners.size(), 4u) << "the tree was not drawn whole";

    const float base[3] = {100.0f, 0.0f, 100.0f}, after[3] = {92.0f, 3.0f, 108.0f}, before[3] = {92.0f, 3.0f, 113.0f};
    const struct { int side; float up; } quad[4] = {{-1, 0}, {1, 0}, {1, 6}, {-1, 6}};
    double apart = 0;
    for (auto q : quad) {
        double want[2], stale[2];
        projectCorner(after, base, 3.0f, q.side, q.up, want);
        projectCorner(before, base, 3.0f, q.side, q.up, stale);
        apart = std::max(apart, std::hypot(want[0] - stale[0], want[1] - stale[1]));
        double nearest = 1e9;
        for (auto c : corners)
            nearest = std::min(nearest, std::hypot(c.first - want[0], c.second - want[1]));
        EXPECT_LT(nearest, 1.0) << "corner " << q.side << "," << q.up << " expected at " << want[0] << "," << want[1];
    }
    for (auto c : corners) {
        double nearest = 1e9;
        for (auto q : quad) {
            double want[2];
            projectCorner(after, base, 3.0f, q.side, q.up, want);
            nearest = std::min(nearest, std::hypot(c.first - want[0], c.second - want[1]));
        }
        EXPECT_LT(nearest, 1.0) << "vertex at " << c.first << "," << c.second;
    }
    EXPECT_GT(apart, 10.0) << "the fixture must tell the two eye positions apart";
}

}  // namespace
