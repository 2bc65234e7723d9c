#include "app/platform.h"
#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"
#include "app/frame.h"
#include "app/projection.h"
#include "app/state.h"
#include "tests/support/start_view.h"

namespace {

class Camera : public ::testing::Test {
protected:
    void SetUp() override { restoreStartView(); }
};

TEST_F(Camera, WalkFollowsTheViewInFreeModeAndKeepsHeightInLevelMode)
{
    // Quarters, so every product and sum is exact.
    lookX = 0.5f; lookY = 0.25f; lookZ = -0.75f;
    walk(4.0f);
    EXPECT_EQ(eyeX, -8.0f);
    EXPECT_EQ(eyeY, 86.0f);
    EXPECT_EQ(eyeZ, 263.0f);

    cameraType = 0;
    walk(-8.0f);
    EXPECT_EQ(eyeX, -12.0f);
    EXPECT_EQ(eyeY, 86.0f);
    EXPECT_EQ(eyeZ, 269.0f);
}

TEST_F(Camera, FlyRisesInFreeModeOnlyAlongTheUpVector)
{
    fly(5.0f);
    EXPECT_EQ(eyeY, 90.0f);
    EXPECT_EQ(eyeX, -10.0f);
    EXPECT_EQ(eyeZ, 266.0f);
    cameraType = 0;
    fly(-5.0f);
    EXPECT_EQ(eyeY, 90.0f);
}

// True when f is the float nearest to x.
bool isNearestFloat(float f, long double x)
{
    long double off = fabsl((long double)f - x);
    return off <= fabsl((long double)std::nextafter(f, INFINITY) - x)
           && off <= fabsl((long double)std::nextafter(f, -INFINITY) - x);
}

TEST_F(Camera, PitchAddsHundredthsRoundedOnceOnStore)
{
    // Each step stores the float nearest to the old value plus units / 100:
    // one rounding, as a sum worked out in double gives. Float arithmetic
    // rounds 0.01f, its product and the sum, and drifts from it.
    for (float units : {5.0f, -5.0f, 3.0f}) {
        lookY = 0.0f;
        for (int step = 0; step < 60; step++) {
            float before = lookY;
            pitch(units);
            ASSERT_TRUE(isNearestFloat(lookY, (long double)before + (long double)units / 100.0L))
                << units << " step " << step << ": " << before << " became " << lookY;
        }
    }
    EXPECT_EQ(lookX, 0.0f);
    EXPECT_EQ(lookZ, -1.0f);
}

TEST_F(Camera, YawSetsTheHeadingFromDoubleSineAndCosine)
{
    lookY = 0.25f;
    // Against sine and cosine in extended precision, each rounded to float.
    for (float a : {0.0f, 0.05f, 1.5707964f, 3.14159f, -0.05f, 6.3f, 100.0f}) {
        yaw(a);
        EXPECT_EQ(lookX, (float)sinl((long double)a)) << a;
        EXPECT_EQ(lookZ, -(float)cosl((long double)a)) << a;
        EXPECT_EQ(lookY, 0.25f);
    }
    yaw(0.0f);
    EXPECT_EQ(lookX, 0.0f);
    EXPECT_EQ(lookZ, -1.0f);
}

TEST_F(Camera, FrameWalksAlongTheDirectionFromBeforeItsTurn)
{
    walkDelta = 5;
    pitchDelta = 5;
    yawDelta = 0.05f;
    flyDelta = 5;
    display();
    // The walk used look = (0, 0, -1); the turn and the tilt came after it.
    EXPECT_EQ(eyeX, -10.0f);
    EXPECT_EQ(eyeY, 85.0f + 5.0f);  // flying only: lookY was still 0 when walking
    EXPECT_EQ(eyeZ, 261.0f);
    EXPECT_EQ(angle, 0.05f);
    EXPECT_NEAR(lookX, sin(0.05), 1e-7);
    EXPECT_EQ(lookY, (float)0.05);

    display();  // the next frame walks along the view the first one left
    EXPECT_NEAR(eyeX, -10.0 + 5.0 * sin(0.05), 1e-5);
    EXPECT_NEAR(eyeY, 90.0 + 5.0 * 0.05 + 5.0, 1e-5);
    EXPECT_NEAR(eyeZ, 261.0 - 5.0 * cos(0.05), 1e-4);
    EXPECT_EQ(angle, 0.1f);
}

TEST_F(Camera, FrameWithoutHeldKeysMovesNothing)
{
    display();
    display();
    EXPECT_EQ(eyeX, -10.0f);
    EXPECT_EQ(eyeY, 85.0f);
    EXPECT_EQ(eyeZ, 266.0f);
    EXPECT_EQ(angle, 0.0f);
}

void expectMatrix(GLenum which, const GLdouble *expected, double tolerance)
{
    GLfloat m[16];
    glGetFloatv(which, m);
    for (int k = 0; k < 16; k++)
        EXPECT_NEAR(m[k], expected[k], tolerance) << "element " << k;
}

TEST_F(Camera, ReshapeBuildsTheProjectionAndLeavesTheViewCurrent)
{
    reshape(800, 400);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 400);
    EXPECT_EQ(aspect, 2.0f);

    GLint viewport[4], mode;
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 400);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    double f = 1.0 / tan(45.0 * M_PI / 360.0);
    const GLdouble projection[16] = {f / 2, 0, 0, 0, 0, f, 0, 0, 0, 0, -1001.0 / 999.0, -1, 0, 0, -2000.0 / 999.0, 0};
    expectMatrix(GL_PROJECTION_MATRIX, projection, 1e-5);
    // Looking along -z from the start eye: a pure translation.
    const GLdouble view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, -85, -266, 1};
    expectMatrix(GL_MODELVIEW_MATRIX, view, 1e-4);
}

TEST_F(Camera, ZeroHeightCountsAsOneAndRaisesNoError)
{
    while (glGetError() != GL_NO_ERROR) {
    }
    reshape(1000, 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(aspect, 1000.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 0);
    display();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    reshape(1000, 500);
    EXPECT_EQ(aspect, 2.0f);
}

TEST_F(Camera, ZoomedReshapeUsesTheCurrentFieldOfView)
{
    fovy = 91.0f;
    reshape(1000, 500);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5], 1.0 / tan(91.0 * M_PI / 360.0), 1e-5);
}

}  // namespace
