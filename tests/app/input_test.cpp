#include "app/platform.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/input.h"
#include "app/projection.h"
#include "app/state.h"
#include "tests/support/frames.h"
#include "tests/support/grids.h"
#include "tests/support/start_view.h"
#include "app/world.h"

namespace {

class Input : public ::testing::Test {
protected:
    void SetUp() override { restoreStartView(); }
};

struct Held {
    int walk, pitch, fly;
    float yaw;
};

Held held() { return {walkDelta, pitchDelta, flyDelta, yawDelta}; }

void release()
{
    walkDelta = pitchDelta = flyDelta = 0;
    yawDelta = 0.0f;
}

TEST_F(Input, EachKeySetsItsStepAndItsReleaseClearsIt)
{
    struct Case {
        unsigned char key;
        Held pressed;
    } cases[] = {
        {'w', {5, 0, 0, 0.0f}},   {'s', {-5, 0, 0, 0.0f}},  {'r', {0, 5, 0, 0.0f}},
        {'f', {0, -5, 0, 0.0f}},  {'d', {0, 0, 0, 0.05f}},  {'a', {0, 0, 0, -0.05f}},
        {' ', {0, 0, 5, 0.0f}},
    };
    for (const Case &c : cases) {
        release();
        keyboard(c.key, 0, 0);
        Held h = held();
        EXPECT_EQ(h.walk, c.pressed.walk) << c.key;
        EXPECT_EQ(h.pitch, c.pressed.pitch) << c.key;
        EXPECT_EQ(h.fly, c.pressed.fly) << c.key;
        EXPECT_EQ(h.yaw, c.pressed.yaw) << c.key;
        keyboardUp(c.key, 0, 0);
        h = held();
        EXPECT_TRUE(h.walk == 0 && h.pitch == 0 && h.fly == 0 && h.yaw == 0.0f) << c.key;
    }

    special(GLUT_KEY_DOWN, 0, 0);
    EXPECT_EQ(flyDelta, -5);
    specialUp(GLUT_KEY_DOWN, 0, 0);
    EXPECT_EQ(flyDelta, 0);
}

TEST_F(Input, EveryEventDrawsExactlyOneFrame)
{
    struct Event {
        const char *what;
        void (*send)();
    } events[] = {
        {"w pressed", [] { keyboard('w', 0, 0); }},       {"w released", [] { keyboardUp('w', 0, 0); }},
        {"z pressed", [] { keyboard('z', 0, 0); }},       {"x pressed", [] { keyboard('x', 0, 0); }},
        {"1 pressed", [] { keyboard('1', 0, 0); }},       {"q pressed", [] { keyboard('q', 0, 0); }},
        {"q released", [] { keyboardUp('q', 0, 0); }},    {"down pressed", [] { special(GLUT_KEY_DOWN, 0, 0); }},
        {"down released", [] { specialUp(GLUT_KEY_DOWN, 0, 0); }},
        {"F1 pressed", [] { special(GLUT_KEY_F1, 0, 0); }},
        {"left button", [] { mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0); }},
        {"left button up", [] { mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0); }},
        {"middle button", [] { mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 0); }},
    };
    for (const Event &e : events) {
        long before = swapCount();
        e.send();
        EXPECT_EQ(swapCount() - before, 1) << e.what;
    }
}

TEST_F(Input, APressDrawsAFrameThatAppliesItsStep)
{
    keyboard('w', 0, 0);
    EXPECT_EQ(eyeZ, 261.0f);
    keyboardUp('w', 0, 0);  // the release draws one more frame, without motion
    EXPECT_EQ(eyeZ, 261.0f);
    keyboard('s', 0, 0);
    keyboardUp('s', 0, 0);
    EXPECT_EQ(eyeZ, 266.0f);
}

TEST_F(Input, TheLastPressOfAPairWinsAndEitherReleaseStopsIt)
{
    keyboard('w', 0, 0);
    keyboard('s', 0, 0);
    EXPECT_EQ(walkDelta, -5);
    keyboardUp('s', 0, 0);  // w is still down, but the walk stops
    EXPECT_EQ(walkDelta, 0);

    keyboard('d', 0, 0);
    keyboard('a', 0, 0);
    EXPECT_EQ(yawDelta, -0.05f);
    keyboardUp('d', 0, 0);
    EXPECT_EQ(yawDelta, 0.0f);

    keyboard(' ', 0, 0);
    special(GLUT_KEY_DOWN, 0, 0);
    EXPECT_EQ(flyDelta, -5);
    keyboardUp(' ', 0, 0);
    EXPECT_EQ(flyDelta, 0);
}

TEST_F(Input, UpperCaseAndUnboundKeysOnlyRedraw)
{
    for (unsigned char key : {'W', 'S', 'A', 'D', 'R', 'F', 'Z', 'X', 'q', '3', '\r'})
        keyboard(key, 0, 0);
    for (int key : {GLUT_KEY_UP, GLUT_KEY_LEFT, GLUT_KEY_RIGHT, GLUT_KEY_F1, GLUT_KEY_F4})
        special(key, 0, 0);
    Held h = held();
    EXPECT_TRUE(h.walk == 0 && h.pitch == 0 && h.fly == 0 && h.yaw == 0.0f);
    EXPECT_EQ(fovy, 45.0f);
    EXPECT_EQ(cameraType, 1);

    // Pressed in lower case, released as upper case: the step stays.
    keyboard('w', 0, 0);
    keyboardUp('W', 0, 0);
    EXPECT_EQ(walkDelta, 5);
}

TEST_F(Input, CameraModeKeysMoveNothing)
{
    keyboard('1', 0, 0);
    EXPECT_EQ(cameraType, 0);
    keyboard(' ', 0, 0);  // level mode: the step is held, the eye stays
    EXPECT_EQ(flyDelta, 5);
    EXPECT_EQ(eyeY, 85.0f);
    keyboardUp(' ', 0, 0);
    keyboard('2', 0, 0);
    EXPECT_EQ(cameraType, 1);
    EXPECT_EQ(eyeX, -10.0f);
    EXPECT_EQ(eyeY, 85.0f);
    EXPECT_EQ(eyeZ, 266.0f);
}

float projectionScaleY()
{
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    return m[5];
}

TEST_F(Input, ZoomStepsByTwoWithinItsLimitsAndRebuildsTheProjection)
{
    float before = projectionScaleY();
    keyboard('z', 0, 0);
    EXPECT_EQ(fovy, 47.0f);
    EXPECT_LT(projectionScaleY(), before);  // wider view, smaller scale
    keyboard('x', 0, 0);
    keyboard('x', 0, 0);
    EXPECT_EQ(fovy, 43.0f);

    fovy = 179.0f;
    keyboard('z', 0, 0);
    EXPECT_EQ(fovy, 179.0f);
    fovy = 1.0f;
    keyboard('x', 0, 0);
    EXPECT_EQ(fovy, 1.0f);

    // Zooming keeps the window size and leaves the view matrix current.
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(width, 1000);
    EXPECT_EQ(height, 500);
}

TEST_F(Input, ButtonsToggleTheirFlagsOnPressOnly)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_TRUE(wireframe);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    EXPECT_TRUE(wireframe);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_FALSE(wireframe);

    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_FALSE(billboard);
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_FALSE(billboard);
    EXPECT_FALSE(wireframe);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_TRUE(billboard);
}

// Runs F5 with standard output caught in a file; returns what it printed.
std::string pressF5()
{
    fflush(stdout);
    int saved = dup(1);
    FILE *capture = tmpfile();
    dup2(fileno(capture), 1);
    special(GLUT_KEY_F5, 0, 0);
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::string text;
    rewind(capture);
    int c;
    while ((c = fgetc(capture)) != EOF)
        text += (char)c;
    fclose(capture);
    return text;
}


TEST_F(Input, F5RebuildsTheWorldAndPrintsItsTreeCount)
{
    const unsigned seed = 77;
    // The worlds F5 must build: the start-up order, continuing one sequence.
    srand(seed);
    int expected[2];
    float firstCorner;
    for (int k = 0; k < 2; k++) {
        treeCount = 0;
        buildWorld();
        expected[k] = treeCount;
        if (k == 0)
            firstCorner = terrain[0][0];
    }

    srand(seed);
    treeCount = 12345;
    float eye[3] = {eyeX, eyeY, eyeZ};
    EXPECT_EQ(pressF5(), std::to_string(expected[0]) + " trees\n");
    EXPECT_EQ(treeCount, expected[0]);
    EXPECT_EQ(treesInMap(), treeCount);
    EXPECT_EQ(terrain[0][0], firstCorner);

    EXPECT_EQ(pressF5(), std::to_string(expected[1]) + " trees\n");
    EXPECT_EQ(treesInMap(), expected[1]);

    // The camera, the view and the flags stay as they were.
    EXPECT_EQ(eyeX, eye[0]);
    EXPECT_EQ(eyeY, eye[1]);
    EXPECT_EQ(eyeZ, eye[2]);
    EXPECT_EQ(fovy, 45.0f);
    EXPECT_TRUE(billboard);
}

long swapsBeforeEscape;

void reportSwapsSinceEscape() { fprintf(stderr, "frames drawn: %ld\n", swapCount() - swapsBeforeEscape); }

TEST_F(Input, EscapeEndsTheProcessWithStatusOneDrawingNoFrame)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The dying child says on its way out how many frames it swapped.
    EXPECT_EXIT(
        {
            swapsBeforeEscape = swapCount();
            atexit(reportSwapsSinceEscape);
            keyboard(27, 0, 0);
        },
        ::testing::ExitedWithCode(1), "frames drawn: 0\n");
}

}  // namespace
