// Test entry for binaries that need a real GL context: one mapped
// GLUT window of the program's own size and format, made before any test runs.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <link.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

#include "app/window.h"
#include "tests/support/frames.h"

namespace {

long swaps = 0;
SwappedFrame latest;

// The back buffer is defined only until it is swapped: read it here, on the
// way to the real swap. Feedback and selection passes draw no pixels.
void captureBackBuffer()
{
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode != GL_RENDER)
        return;
    int w = glutGet(GLUT_WINDOW_WIDTH), h = glutGet(GLUT_WINDOW_HEIGHT);
    latest.width = w > 0 ? w : 0;
    latest.height = h > 0 ? h : 0;
    latest.rgba.resize((size_t)latest.width * (size_t)latest.height * 4);
    if (latest.rgba.empty())
        return;

    GLint readBuffer, alignment, rowLength;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, latest.width, latest.height, GL_RGBA, GL_UNSIGNED_BYTE, latest.rgba.data());
    glReadBuffer((GLenum)readBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
}

// Keeps Mesa's driver, from whatever folder it was loaded, mapped to the end,
// so that the leak check can name it and its suppression applies. Where no
// such driver is loaded nothing is pinned and the suppression matches nothing.
int pinDriver(struct dl_phdr_info *info, size_t, void *)
{
    const char *name = info->dlpi_name;
    size_t n = name ? strlen(name) : 0;
    bool driver = (n > 7 && strcmp(name + n - 7, "_dri.so") == 0) || (n > 0 && strstr(name, "/libgallium"));
    if (driver)
        dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

bool exposed = false;

class GlWindow : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!getenv("DISPLAY")) {
            fprintf(stderr, "GL tests need an X display (run them under tools/with-xvfb.sh)\n");
            exit(2);
        }
        openWindow("Verdalo tests");
        dl_iterate_phdr(pinDriver, nullptr);

        // Pixels are only owned by the window once it is mapped: wait for its
        // first exposure.
        glutDisplayFunc([] { exposed = true; });
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!exposed && std::chrono::steady_clock::now() < deadline)
            glutMainLoopEvent();
        if (!exposed) {
            fprintf(stderr, "the test window was never shown\n");
            exit(2);
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

long swapCount() { return swaps; }

const SwappedFrame &lastSwappedFrame() { return latest; }

// Takes the place of freeglut's for everything linked into a GL test binary.
extern "C" void glutSwapBuffers()
{
    static void (*real)() = (void (*)())dlsym(RTLD_NEXT, "glutSwapBuffers");
    swaps++;
    captureBackBuffer();
    if (real)
        real();
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlWindow);
    return RUN_ALL_TESTS();
}
