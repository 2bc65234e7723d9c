/* Preloaded into the program by the end-to-end tests and the bench: after
   every buffer swap, once the X server holds the new frame, one byte goes to
   the descriptor named by SWAP_COUNT_FD. A test counts them to know when each
   event's frame is on screen; the bench times the first. Without
   SWAP_COUNT_FD the swap is only passed on. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

/* Declared here as the program's libraries see them, without the X headers. */
void glXSwapBuffers(void *display, unsigned long drawable)
{
    static void (*real)(void *, unsigned long);
    static int (*sync)(void *, int);
    if (!real)
        real = (void (*)(void *, unsigned long))dlsym(RTLD_NEXT, "glXSwapBuffers");
    if (!sync)
        sync = (int (*)(void *, int))dlsym(RTLD_DEFAULT, "XSync");
    if (real)
        real(display, drawable);
    /* The server has drawn the frame once it has answered. */
    if (sync)
        sync(display, 0);

    const char *fd = getenv("SWAP_COUNT_FD");
    if (fd) {
        char one = 1;
        if (write(atoi(fd), &one, 1) < 0) {
            /* A test that stopped listening is no reason to stop drawing. */
        }
    }
}
