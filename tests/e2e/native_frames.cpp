// The desktop program's frames for the page's picture comparison: started
// with the clock at SEED in the assets folder, it takes each STEP in turn,
// saves the settled frame after it among the end-to-end shots as
// native-NAME.png and prints that file's path.
//   native_frames SEED NAME=KEYS|NAME=click:BUTTON ...
// KEYS are xdotool key names separated by spaces; an empty KEYS is the frame as it is.
// Run with VERDALO_PRELOAD naming the web's random source to grow the page's world.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/harness.h"

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: native_frames SEED NAME=KEYS|NAME=click:BUTTON ...\n");
        return 2;
    }
    Session session(assetsDir(), strtol(argv[1], nullptr, 10));
    if (!session.waitForWindow()) {
        fprintf(stderr, "native_frames: no window\n");
        return 1;
    }
    for (int k = 2; k < argc; k++) {
        std::string step = argv[k];
        size_t equals = step.find('=');
        if (equals == std::string::npos) {
            fprintf(stderr, "native_frames: step '%s' has no '='\n", argv[k]);
            return 2;
        }
        std::string name = step.substr(0, equals), action = step.substr(equals + 1);
        if (action.rfind("click:", 0) == 0)
            session.click(atoi(action.c_str() + 6));
        else if (!action.empty())
            session.key(action);
        Picture frame = session.settledPicture();
        if (frame.width == 0) {
            fprintf(stderr, "native_frames: no frame after '%s'\n", name.c_str());
            return 1;
        }
        frame.savePng("native-" + name);
        printf("%s/native-%s.png\n", shotsDir().c_str(), name.c_str());
    }
    return 0;
}
