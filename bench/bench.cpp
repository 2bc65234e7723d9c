// `make bench`: what F5 costs before its frame, what a frame costs at the
// start view and over trees, and the start-up to the first frame with its
// peak memory. The rebuild and the frame are each timed back to back with a
// floor, the least work they must do, so that their ratio holds on a busy
// machine: time is the program's own, ratio the median of the paired ratios.
#include "app/platform.h"

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/projection.h"
#include "app/state.h"
#include "app/window.h"
#include "app/world.h"
#include "trees/sprites.h"
#include "bench/frame_floor.h"
#include "bench/world_count.h"
#include "tools/launch.h"

namespace {

const unsigned seed = 6;  // every figure is taken on this world

double seconds(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Times work and its floor back to back, each going first in turn, so that a
// busy machine slows both alike. The iteration time is the work's; the
// counters give the floor's mean and the median of the paired ratios.
template <class Work, class Floor>
void timeWithFloor(benchmark::State &state, clockid_t clock, Work work, Floor floorRun)
{
    std::vector<double> ratios;
    double floorSum = 0;
    for (auto _ : state) {
        double t[2];
        for (int half = 0; half < 2; half++) {
            int floorNow = (half + (int)ratios.size()) % 2;
            double t0 = seconds(clock);
            floorNow ? floorRun() : work();
            t[floorNow] = seconds(clock) - t0;
        }
        state.SetIterationTime(t[0]);
        floorSum += t[1];
        ratios.push_back(t[0] / t[1]);
    }
    state.counters["floor_ms"] = floorSum * 1000 / (double)ratios.size();
    state.counters["ratio"] = median(ratios);
}

// The least any rebuild of this world must do: the same draws, a logarithm
// and a square root per Gaussian, and one store per value of the world.
void floorWork(const RebuildCount &count)
{
    unsigned sum = 0;
    for (long k = 0; k < count.draws; k++)
        sum += (unsigned)rand();
    float acc = 0;
    for (long k = 0; k < count.logarithms; k++) {
        float s = (float)(k % 1000 + 1) / 1001.0f;
        acc += (float)std::sqrt(-2.0 * (double)logf(s) / (double)s);
    }
    float v = (float)(sum & 255) + acc;
    for (const WorldGrid &grid : worldGrids)
        std::fill(grid.values, grid.values + grid.count, v);
}

void worldBench(benchmark::State &state)
{
    RebuildCount count;
    if (const char *problem = countRebuild(seed, count)) {
        state.SkipWithError(problem);
        return;
    }
    // Thread CPU time: the rebuild runs on this thread alone.
    timeWithFloor(state, CLOCK_THREAD_CPUTIME_ID, [] { srand(seed), buildWorld(); },
                  [&count] { srand(seed), floorWork(count); });
    state.counters["draws"] = (double)count.draws;
    state.counters["logs"] = (double)count.logarithms;
    // The floor writes over the grids: the frames are drawn from the world itself.
    srand(seed);
    buildWorld();
}

// ---- The frame ----

// Wall time to glFinish: the drawing is done by the driver, on its own threads.
void frameBench(benchmark::State &state, int which)
{
    const View &v = views[which];
    applyView(v);
    timeWithFloor(state, CLOCK_MONOTONIC, [] { display(), glFinish(); },
                  [&v] { floorFrame(v), glFinish(); });
    state.counters["in_view"] = v.tape.spritesInView;
}

// ---- The real program, from outside ----

long peakKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return atol(line.c_str() + 6);
    return -1;
}

// Start to first frame, in seconds, with the peak resident set then; -1 on failure.
double startOnce(long &peak)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    double t0 = seconds(CLOCK_MONOTONIC);
    Launch how;
    how.workdir = VERDALO_ASSETS;
    how.fixedTime = seed;
    how.swapFd = fds[1];
    pid_t pid = launchVerdalo(how);
    close(fds[1]);
    pollfd p = {fds[0], POLLIN, 0};
    char byte;
    bool shown = pid > 0 && poll(&p, 1, 30000) == 1 && read(fds[0], &byte, 1) == 1;
    double t = seconds(CLOCK_MONOTONIC) - t0;
    peak = shown ? peakKb(pid) : -1;
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(fds[0]);
    return shown ? t : -1;
}

void startupBench(benchmark::State &state)
{
    long peak = 0;
    for (auto _ : state) {
        long kb;
        double t = startOnce(kb);
        if (t < 0) {
            state.SkipWithError("the program showed no first frame");
            break;
        }
        state.SetIterationTime(t);
        peak = std::max(peak, kb);
    }
    state.counters["peak_MiB"] = (double)peak / 1024;
}

// A window like the program's, its tree textures and the world of the seed.
bool setUp()
{
    openWindow("Verdalo bench");
    // Frames are drawn by the benchmarks; GLUT only has to put the window on screen.
    static bool exposed = false;
    glutDisplayFunc([] { exposed = true; });
    glutReshapeFunc([](int, int) {});
    while (!exposed)
        glutMainLoopEvent();
    char here[4096];
    if (!getcwd(here, sizeof here) || chdir(VERDALO_ASSETS) != 0)
        return false;
    initTextures();
    tapedInitTextures();
    if (chdir(here) != 0)
        return false;
    reshape(width, height);
    srand(seed);
    buildWorld();
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (!setUp()) {
        fprintf(stderr, "verdalo_bench: cannot read the tree images in %s\n", VERDALO_ASSETS);
        return 1;
    }
    if (const char *problem = prepareFloor()) {
        fprintf(stderr, "verdalo_bench: %s\n", problem);
        return 1;
    }
    printf("GL: %s, %s; world of seed %u: %i trees\n", (const char *)glGetString(GL_RENDERER),
           (const char *)glGetString(GL_VERSION), seed, treeCount);
    benchmark::RegisterBenchmark("world rebuild", worldBench)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("frame, start view", frameBench, 0)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("frame, over trees", frameBench, 1)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("start-up to first frame", startupBench)
        ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
