/* Preloaded into the desktop program to give it the web C library's random
   source: musl's rand, a 64-bit linear congruential generator handing out
   its top 31 bits. With it Linux grows, for a given clock second, the world
   that the page grows, so the two can be compared frame by frame. */
#include <stdint.h>
#include <stdlib.h>

static uint64_t state;

void srand(unsigned seed)
{
    state = seed - 1;
}

int rand(void)
{
    state = 6364136223846793005ULL * state + 1;
    return (int)(state >> 33);
}
