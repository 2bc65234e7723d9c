// Counts a picture's pixels by class (classify in the harness), for the checks
// written in other languages: the Windows checks' shell and the browser's.
//   verdalo_census FILE [WxH+X+Y]
// FILE is any picture ImageMagick reads, - for one on standard input; the
// geometry keeps to a rectangle of it. Prints "sky water land tree snow other".
#include <cstdio>
#include <string>

#include "tests/e2e/harness.h"

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: verdalo_census FILE [WxH+X+Y]\n");
        return 2;
    }
    Picture picture = loadPicture(argv[1]);
    if (picture.width == 0) {
        fprintf(stderr, "verdalo_census: cannot read %s\n", argv[1]);
        return 1;
    }
    int x0 = 0, y0 = 0, w = picture.width, h = picture.height;
    if (argc == 3 && (sscanf(argv[2], "%dx%d+%d+%d", &w, &h, &x0, &y0) != 4 || x0 < 0 || y0 < 0 || w < 0 || h < 0 ||
                      x0 + w > picture.width || y0 + h > picture.height)) {
        fprintf(stderr, "verdalo_census: %s is not a rectangle of the %dx%d picture\n", argv[2], picture.width,
                picture.height);
        return 2;
    }
    long counts[6] = {};
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            counts[(int)classify(picture.at(x, y))]++;
    printf("%ld %ld %ld %ld %ld %ld\n", counts[0], counts[1], counts[2], counts[3], counts[4], counts[5]);
    return 0;
}
