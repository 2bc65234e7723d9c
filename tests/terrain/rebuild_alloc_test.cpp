// A world is rebuilt in place: heightfield, colour map and tree map write the
// fixed global grids and take nothing from the heap. This binary counts every
// heap call the process makes while a rebuild runs.
#include <gtest/gtest.h>

#include <cstddef>
#include <cerrno>
#include <cstdlib>

#include "app/state.h"
#include "app/world.h"

namespace {

volatile bool counting = false;
volatile long heapCalls = 0;

void note()
{
    if (counting)
        heapCalls = heapCalls + 1;
}

}  // namespace

// g++ says it builds with AddressSanitizer by a macro, clang by a feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define __SANITIZE_ADDRESS__ 1
#endif
#endif

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer owns malloc; it reports every allocation to a hook instead
// (its runtime's own interface, declared here as g++ ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void *, size_t),
                                                        void (*)(const volatile void *));

static void onMalloc(const volatile void *, size_t) { note(); }
static void onFree(const volatile void *) {}
static const int hooked = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
#else
// glibc's own allocator under the replaceable names; operator new comes here too.
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);
void __libc_free(void *);

void *malloc(size_t n)
{
    note();
    return __libc_malloc(n);
}
void *calloc(size_t n, size_t size)
{
    note();
    return __libc_calloc(n, size);
}
void *realloc(void *p, size_t n)
{
    note();
    return __libc_realloc(p, n);
}
void *memalign(size_t alignment, size_t n)
{
    note();
    return __libc_memalign(alignment, n);
}
void *aligned_alloc(size_t alignment, size_t n) { return memalign(alignment, n); }
int posix_memalign(void **out, size_t alignment, size_t n)
{
    void *p = memalign(alignment, n);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}
void free(void *p) { __libc_free(p); }
}
static const int hooked = 1;
#endif

namespace {

long heapCallsDuring(void (*work)())
{
    heapCalls = 0;
    counting = true;
    work();
    counting = false;
    return heapCalls;
}

TEST(Rebuild, AllocatesNothing)
{
    ASSERT_EQ(hooked, 1) << "no way to watch the heap here";
    // The counter itself must see an allocation, or a zero below means nothing.
    EXPECT_GE(heapCallsDuring([] {
        void *p = malloc(64);
        *(volatile char *)p = 1;
        free(p);
    }), 1);

    srand(6);
    for (int world = 0; world < 3; world++) {
        long calls = heapCallsDuring(buildWorld);
        EXPECT_EQ(calls, 0) << "world " << world;
    }
}

}  // namespace
