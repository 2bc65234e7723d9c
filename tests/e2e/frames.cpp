// The real program under a private Xvfb and a fixed clock, taken through
// steps as a person would, with the settled frame after each named step saved
// as FOLDER/NAME.png and its path printed. It makes the tour's pictures
// (make tour) and the desktop frames that the page's are compared with.
//   verdalo_frames SEED FOLDER STEP ...
// A STEP is NAME=ACTION, or =ACTION to act without a picture. An ACTION is
// click:BUTTON, or xdotool key names separated by spaces, each pressed N times
// when written KEY*N; an empty ACTION is the frame as it is. Escape ends the
// flight after the last step. With VERDALO_PRELOAD naming the web's random
// source it grows the page's world.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/harness.h"

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: verdalo_frames SEED FOLDER NAME=ACTION|=ACTION ...\n");
        return 2;
    }
    std::string folder = argv[2];
    mkdir(folder.c_str(), 0755);
    Session session(assetsDir(), strtol(argv[1], nullptr, 10));
    if (!session.waitForWindow()) {
        fprintf(stderr, "verdalo_frames: the window did not appear\n%s", session.errorOutput().c_str());
        return 1;
    }
    for (int k = 3; k < argc; k++) {
        std::string step = argv[k];
        size_t equals = step.find('=');
        if (equals == std::string::npos) {
            fprintf(stderr, "verdalo_frames: step '%s' has no '='\n", argv[k]);
            return 2;
        }
        std::string name = step.substr(0, equals), action = step.substr(equals + 1);
        if (action.rfind("click:", 0) == 0)
            session.click(atoi(action.c_str() + 6));
        else
            session.key(action);
        if (name.empty())
            continue;
        Picture frame = session.settledPicture();
        std::string file = folder + "/" + name + ".png";
        if (frame.width == 0 || !frame.savePngAs(file)) {
            fprintf(stderr, "verdalo_frames: no frame after '%s'\n", name.c_str());
            return 1;
        }
        printf("%s\n", file.c_str());
    }
    session.key("Escape");
    session.waitForExit(30);
    return 0;
}
