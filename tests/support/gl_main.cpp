// Test entry for binaries that need a real GL context: one mapped
// GLUT window of the program's own size and format, made before any test runs.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace {

class GlWindow : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!getenv("DISPLAY")) {
            fprintf(stderr, "GL tests need an X display (run them under tools/with-xvfb.sh)\n");
            exit(2);
        }
        // Keep Mesa's software driver mapped to the end, so that the leak
        // check can name it (and its own suppressions apply to it).
        dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
        int argc = 1;
        char name[] = "verdalo-tests";
        char *argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowPosition(100, 100);
        glutInitWindowSize(1000, 500);
        glutCreateWindow("Verdalo tests");
        // Pixels read back are only defined once the window is on screen.
        glutDisplayFunc([] {});
        for (int k = 0; k < 20; k++) {
            glutMainLoopEvent();
            usleep(10000);
        }
    }

    // Closing the window lets the GL library release what it holds for it,
    // so the leak check afterwards sees only leaks of our own.
    void TearDown() override
    {
        glutDestroyWindow(glutGetWindow());
        glutMainLoopEvent();
    }
};

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlWindow);
    return RUN_ALL_TESTS();
}
