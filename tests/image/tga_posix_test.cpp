// The image module where only POSIX reaches: child processes, address-space
// and file-size limits, FIFOs, /dev/full, /proc and ImageMagick. The rest of
// the module's tests build for Windows too.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "image/tga.h"
#include "tests/support/address_limit.h"
#include "tests/support/command.h"
#include "tests/support/scratch.h"

// Allocation failures must come back as null pointers under the sanitizers
// too, or the out-of-memory path could not be tested there.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {

// Runs a child process to completion; true when it exits with 0.
template <class F> bool inChild(F body)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(body() ? 0 : 1);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Output of a shell command, with ok false when it fails.
Bytes capture(const std::string &command, bool &ok)
{
    int status = -1;
    std::string out = commandOutput(command, &status);
    ok = status == 0;
    return Bytes(out.begin(), out.end());
}

// Resident memory of this process in kB, or -1.
long residentKb()
{
    long pages = 0, resident = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    bool read = fscanf(statm, "%ld %ld", &pages, &resident) == 2;
    fclose(statm);
    return read ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

using TgaFile = Scratch;

// Windows will not open a folder as a file at all.
TEST_F(TgaFile, AFolderOpensButGivesAReadError)
{
    tgaInfo *info = tgaLoad(dir.c_str());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->status, tgaStatusReadError);
    EXPECT_EQ(info->imageData, nullptr);
    tgaDestroy(info);
}

TEST_F(TgaFile, AFailedAllocationGivesNoMemory)
{
    // 23170 x 23170 x 4 bytes is just under 2^31; the file holds them all, sparsely.
    std::string file = path("big.tga");
    writeFile(file, tgaHeader(2, 23170, 23170, 32));
    ASSERT_EQ(truncate(file.c_str(), 18 + 23170LL * 23170 * 4), 0);
    std::string tiny = path("tiny.tga");
    writeFile(tiny, tgaHeader(2, 23170, 23170, 32) + pattern(4));

    EXPECT_TRUE(inChild([&] {
        // What the process maps already, and a little more: not 2 GB.
        AddressLimit limit(256 << 20);
        if (!limit.ok())
            return false;
        bool right = true;
        for (const std::string &name : {file, tiny}) {
            tgaInfo *info = tgaLoad(name.c_str());
            right = right && info && info->status == tgaStatusNoMemory && !info->imageData
                    && info->width == 23170;
            tgaDestroy(info);
        }
        return right;
    }));
}
TEST_F(TgaFile, ShortFileKeepsAZeroFilledBufferThatCostsOnlyWhatTheFileHolds)
{
    // 1.6 GB claimed by 22 bytes: the record gets the whole buffer, but only
    // the page the file reached is ever touched.
    std::string file = path("tiny.tga");
    writeFile(file, tgaHeader(2, 20000, 20000, 32) + Bytes{1, 2, 3, 4});
    long before = residentKb();
    tgaInfo *info = tgaLoad(file.c_str());
    long after = residentKb();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->status, tgaStatusReadError);
    ASSERT_NE(info->imageData, nullptr);
    EXPECT_EQ(Bytes(info->imageData, info->imageData + 8), (Bytes{3, 2, 1, 4, 0, 0, 0, 0}));
    const size_t size = 20000ull * 20000 * 4;
    for (size_t at : {size_t(4096), size / 3, size / 2, size - 1})
        EXPECT_EQ(info->imageData[at], 0) << at;
    EXPECT_LT(after - before, 64 * 1024) << "kB made resident";
    tgaDestroy(info);
}
TEST_F(TgaFile, StreamThatCannotSeekIsCheckedAsItIsRead)
{
    struct Case {
        std::string what;
        Bytes file;
        int status;
    } cases[] = {
        {"whole image after an ID", tgaHeader(2, 2, 1, 24, 3) + Bytes{'i', 'd', '!'} + Bytes{30, 20, 10, 60, 50, 40},
         tgaStatusOk},
        {"pixels cut short", tgaHeader(2, 2, 1, 24) + Bytes{30, 20, 10, 60}, tgaStatusReadError},
        {"ID cut short", tgaHeader(2, 2, 1, 24, 200) + pattern(20), tgaStatusReadError},
    };
    const Bytes whole = {10, 20, 30, 40, 50, 60}, cutShort = {10, 20, 30, 0, 0, 60};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string fifo = path("pipe.tga");
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            FILE *f = fopen(fifo.c_str(), "wb");
            bool done = f && fwrite(c.file.data(), 1, c.file.size(), f) == c.file.size();
            if (f)
                fclose(f);
            _exit(done ? 0 : 1);
        }
        tgaInfo *info = tgaLoad(fifo.c_str());
        int wstatus = 0;
        waitpid(writer, &wstatus, 0);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->status, c.status);
        if (c.what == "ID cut short") {
            EXPECT_EQ(info->imageData, nullptr);
        } else {
            ASSERT_NE(info->imageData, nullptr);
            EXPECT_EQ(pixelsOf(info), c.status == tgaStatusOk ? whole : cutShort);
        }
        tgaDestroy(info);
        unlink(fifo.c_str());
    }
}
TEST_F(TgaFile, FailedWriteReportsAndHandsTheBufferBackUnchanged)
{
    // The small image fails when the stream is flushed at the close, the big
    // one in the pixel write itself.
    for (short side : {2, 64}) {
        SCOPED_TRACE("side " + std::to_string(side));
        Bytes given = pattern((size_t)side * side * 4);
        unsigned char *buffer = heapCopy(given);
        EXPECT_EQ(tgaSave("/dev/full", side, side, 32, buffer), tgaStatusWriteError);
        EXPECT_EQ(Bytes(buffer, buffer + given.size()), given);
        free(buffer);
    }
    struct stat st;
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}
TEST_F(TgaFile, WriteThatRunsOutOfRoomRemovesThePartialFile)
{
    std::string file = path("partial.tga");
    Bytes given = pattern(64 * 64 * 3);
    EXPECT_TRUE(inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit;
        limit.rlim_cur = limit.rlim_max = 1000;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return false;
        unsigned char *buffer = heapCopy(given);
        int status = tgaSave(file.c_str(), 64, 64, 24, buffer);
        bool same = memcmp(buffer, given.data(), given.size()) == 0;
        free(buffer);
        return status == tgaStatusWriteError && same;
    }));
    EXPECT_FALSE(std::filesystem::exists(file));
}
TEST_F(TgaFile, ImageMagickReadsWhatIsSaved)
{
    // Two rows of three, bottom row first in memory as in the file.
    Bytes rgb = pattern(3 * 2 * 3);
    Bytes rgba = pattern(3 * 2 * 4);
    Bytes grey = pattern(3 * 2);
    std::string colour = path("rgb.tga"), alpha = path("rgba.tga"), mono = path("grey.tga");
    ASSERT_EQ(tgaSave(colour.c_str(), 3, 2, 24, heapCopy(rgb)), tgaStatusOk);
    ASSERT_EQ(tgaSave(alpha.c_str(), 3, 2, 32, heapCopy(rgba)), tgaStatusOk);
    ASSERT_EQ(tgaSave(mono.c_str(), 3, 2, 8, heapCopy(grey)), tgaStatusOk);

    Bytes opaque;
    for (size_t i = 0; i < rgb.size(); i += 3)
        opaque = opaque + Bytes{rgb[i], rgb[i + 1], rgb[i + 2], 255};
    // ImageMagick keeps the rows in file order and notes the origin; turned
    // upright, the bottom-left origin shows: the first row goes to the bottom.
    Bytes upright = Bytes(opaque.begin() + 12, opaque.end()) + Bytes(opaque.begin(), opaque.begin() + 12);

    bool ok;
    EXPECT_EQ(capture("convert '" + colour + "' rgba:-", ok), opaque);
    EXPECT_TRUE(ok);
    EXPECT_EQ(capture("convert '" + colour + "' -auto-orient rgba:-", ok), upright);
    EXPECT_TRUE(ok);
    EXPECT_EQ(capture("convert '" + alpha + "' rgba:-", ok), rgba);
    EXPECT_TRUE(ok);
    EXPECT_EQ(capture("convert '" + mono + "' gray:-", ok), grey);
    EXPECT_TRUE(ok);
}
TEST_F(TgaFile, ImageMagickFilesLoad)
{
    Bytes rgb = pattern(3 * 2 * 3), rgba = pattern(3 * 2 * 4), grey = pattern(3 * 2);
    writeFile(path("in.rgb"), rgb);
    writeFile(path("in.rgba"), rgba);
    writeFile(path("in.gray"), grey);
    struct Case {
        std::string input, options;
        int idLength, type, depth;
        Bytes pixels;
    } cases[] = {
        {"rgb:" + path("in.rgb"), "-type TrueColor", 0, 2, 24, rgb},
        // ImageMagick writes a comment as the image ID.
        {"rgb:" + path("in.rgb"), "-type TrueColor -set comment 'made by ImageMagick'", 19, 2, 24, rgb},
        {"rgba:" + path("in.rgba"), "-type TrueColorAlpha", 0, 2, 32, rgba},
        {"gray:" + path("in.gray"), "-type Grayscale", 0, 3, 8, grey},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input + " " + c.options);
        std::string file = path("magick.tga");
        bool ok;
        capture("convert -size 3x2 -depth 8 '" + c.input + "' " + c.options + " -compress none '" + file + "'",
                ok);
        ASSERT_TRUE(ok);
        Bytes raw = readFile(file);
        ASSERT_GE(raw.size(), 18u);
        EXPECT_EQ(raw[0], c.idLength);

        tgaInfo *info = tgaLoad(file.c_str());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->status, tgaStatusOk);
        EXPECT_EQ(info->imageType, c.type);
        EXPECT_EQ(info->pixelDepth, c.depth);
        EXPECT_EQ(info->width, 3);
        EXPECT_EQ(info->height, 2);
        if (info->imageData) {
            EXPECT_EQ(pixelsOf(info), c.pixels);
        }
        tgaDestroy(info);
    }
}

}  // namespace
