// What F5 does before its frame: heightfield, colour map and tree map, each
// beside a floor that makes the same number of rand() calls and nothing else.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/state.h"
#include "bench/bench.h"
#include "terrain/colourmap.h"
#include "terrain/heightfield.h"
#include "trees/placement.h"

const unsigned benchSeed = 6;

double medianOf(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

static const int matchLength = 8;

// How many draws the sequence from benchSeed has given so far: the next few
// values are read, then the sequence is replayed from the seed until they line up.
static long drawsSoFar()
{
    int next[matchLength];
    for (int &v : next)
        v = rand();
    srand(benchSeed);
    std::vector<int> seen;
    const long limit = 4000000;
    for (long k = 0; k < limit + matchLength; k++) {
        seen.push_back(rand());
        long start = (long)seen.size() - matchLength;
        if (start < 0)
            continue;
        bool match = true;
        for (int w = 0; w < matchLength && match; w++)
            match = seen[(size_t)(start + w)] == next[w];
        if (match)
            return start;
    }
    fprintf(stderr, "verdalo_bench: the random sequence did not line up\n");
    exit(1);
}

WorldDraws countWorldDraws()
{
    WorldDraws d;
    srand(benchSeed);
    getHeightField();
    long afterHeights = drawsSoFar();

    srand(benchSeed);
    getHeightField();
    turbulence();
    long afterColours = drawsSoFar();

    srand(benchSeed);
    getHeightField();
    turbulence();
    treeCount = 0;
    generateTreeMap();
    long afterTrees = drawsSoFar();

    d.heightfield = afterHeights;
    d.colourMap = afterColours - afterHeights;
    d.treeMap = afterTrees - afterColours;
    return d;
}

// The floor: n draws, their values kept so the calls cannot be dropped.
static void drawOnly(long n)
{
    unsigned sum = 0;
    for (long k = 0; k < n; k++)
        sum += (unsigned)rand();
    benchmark::DoNotOptimize(sum);
}

// Each step starts from the seed, with whatever it reads built beforehand.
static void prepare(int stepsBefore)
{
    srand(benchSeed);
    if (stepsBefore >= 1)
        getHeightField();
    if (stepsBefore >= 2)
        turbulence();
    treeCount = 0;
}

static double cpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

struct Step {
    int stepsBefore;  // 0 seed only, 1 heightfield built, 2 colour map built too
    void (*run)();
    long draws;
};

static void heightfieldStep() { getHeightField(); }
static void colourMapStep() { turbulence(); }
static void treeMapStep() { generateTreeMap(); }

static void rebuildStep()
{
    treeCount = 0;
    getHeightField();
    turbulence();
    generateTreeMap();
}

// Every iteration times the step and its floor back to back, in turns first,
// so that both see the same machine. The reported time is the step's own; the
// ratio is the median of the iterations' own ratios, which a burst of load
// on one of them does not move.
static void pairBench(benchmark::State &state, Step step)
{
    double floorSum = 0;
    std::vector<double> ratios;
    long k = 0;
    for (auto _ : state) {
        double stepTime = 0, floorTime = 0;
        for (int half = 0; half < 2; half++) {
            bool floorNow = (half == 0) == (k % 2 == 1);
            prepare(step.stepsBefore);
            double t0 = cpuSeconds();
            if (floorNow)
                drawOnly(step.draws);
            else
                step.run();
            benchmark::ClobberMemory();
            (floorNow ? floorTime : stepTime) += cpuSeconds() - t0;
        }
        state.SetIterationTime(stepTime);
        floorSum += floorTime;
        ratios.push_back(stepTime / floorTime);
        k++;
    }
    state.counters["floor_ms"] = benchmark::Counter(floorSum * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = medianOf(ratios);
}

void registerWorldBenchmarks(const WorldDraws &d)
{
    long all = d.heightfield + d.colourMap + d.treeMap;
    const struct {
        const char *name;
        Step step;
    } steps[] = {
        {"world/heightfield", {0, heightfieldStep, d.heightfield}},
        {"world/colourmap", {1, colourMapStep, d.colourMap}},
        {"world/treemap", {2, treeMapStep, d.treeMap}},
        {"world/rebuild", {0, rebuildStep, all}},
    };
    for (const auto &s : steps)
        benchmark::RegisterBenchmark(s.name, pairBench, s.step)->Unit(benchmark::kMillisecond)->UseManualTime();
}
