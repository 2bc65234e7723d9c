// A scripted headless tour: the real program under a private Xvfb with a
// fixed clock, driven as a person would, with a PNG screenshot after each step
// once its frames are on screen. It is how the pictures in docs/tour are made.
//   verdalo_tour [OUTPUT_FOLDER]      (default: tour)
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/harness.h"

namespace {

std::string taps(const std::string &key, int count)
{
    std::string keys;
    for (int k = 0; k < count; k++)
        keys += key + " ";
    return keys;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string out = argc > 1 ? argv[1] : "tour";
    mkdir(out.c_str(), 0755);
    const char *fixed = getenv("FIXED_TIME");
    Session app(assetsDir(), fixed ? atol(fixed) : 1700000000L);
    if (!app.waitForWindow()) {
        fprintf(stderr, "tour: the window did not appear\n%s", app.errorOutput().c_str());
        return 1;
    }
    int step = 0;
    auto shot = [&](const char *name) {
        Picture p = app.settledPicture();
        char file[512];
        snprintf(file, sizeof file, "%s/%02d-%s.png", out.c_str(), ++step, name);
        if (p.width == 0 || !p.savePngAs(file)) {
            fprintf(stderr, "tour: no picture for %s\n", file);
            exit(1);
        }
        printf("%s\n", file);
    };
    shot("start");
    app.key(taps("d", 6)), shot("turn-right");
    app.key(taps("f", 6)), shot("look-down");
    app.click(1), shot("wireframe");
    app.click(1);
    app.key(taps("w", 15)), shot("walk-in");
    app.key(taps("d", 20)), shot("turn-across");
    app.click(3), shot("billboards-off");
    app.click(3);
    app.key(taps("space", 6)), shot("rise");
    app.key(taps("z", 10)), shot("zoom-out");
    app.key(taps("x", 20)), shot("zoom-in");
    app.key(taps("z", 10));
    app.key("F5"), shot("new-world");
    app.key("Escape");
    app.waitForExit(30);
    return 0;
}
