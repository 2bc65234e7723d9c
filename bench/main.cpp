// `make bench`: runs every benchmark beside its floor, measures the real
// program from outside, and ends with one table of figures and ratios.
// Own options: --startups=N (starts timed, default 5), --f5=N (F5s before
// the memory reading, default 200); the rest go to Google Benchmark.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench.h"

namespace {

// A benchmark's median time and its counters: floor_ms and ratio, for the
// frame also array_ms and array_ratio.
struct Figure {
    double ms = -1;
    std::map<std::string, double> counters;
};

std::map<std::string, Figure> figures;
int repetitions = 1;

// Keeps each benchmark's median (or its only run) and shows just the median
// and the spread on the console.
class Collector : public benchmark::ConsoleReporter {
public:
    Collector() : ConsoleReporter(isatty(1) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        std::vector<Run> shown;
        for (const Run &r : runs) {
            if (r.error_occurred)
                continue;
            repetitions = std::max(repetitions, (int)r.repetitions);
            bool only = r.run_type == Run::RT_Iteration && r.repetitions <= 1;
            bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (only || median) {
                // Manual time is the step's own, timed beside its floor.
                Figure &f = figures[r.run_name.function_name];
                f.ms = r.GetAdjustedRealTime() * msPer(r.time_unit);
                for (const auto &c : r.counters)
                    f.counters[c.first] = c.second.value;
            }
            if (only || median || (r.run_type == Run::RT_Aggregate && r.aggregate_name == "cv"))
                shown.push_back(r);
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

private:
    static double msPer(benchmark::TimeUnit u)
    {
        switch (u) {
        case benchmark::kNanosecond: return 1e-6;
        case benchmark::kMicrosecond: return 1e-3;
        case benchmark::kMillisecond: return 1;
        case benchmark::kSecond: return 1e3;
        }
        return 1;
    }
};

double value(const char *name, const char *counter)
{
    auto f = figures.find(name);
    if (f == figures.end())
        return -1;
    if (!counter)
        return f->second.ms;
    auto c = f->second.counters.find(counter);
    return c == f->second.counters.end() ? -1 : c->second;
}

std::string machine()
{
    std::ifstream info("/proc/cpuinfo");
    std::string line, model = "unknown CPU";
    int cores = 0;
    while (std::getline(info, line)) {
        if (line.compare(0, 9, "processor") == 0)
            cores++;
        else if (line.compare(0, 10, "model name") == 0 && cores == 1)
            model = line.substr(line.find(':') + 2);
    }
    return model + ", " + std::to_string(cores) + (cores == 1 ? " core" : " cores");
}

std::string grouped(long n)
{
    std::string s = std::to_string(n);
    for (int k = (int)s.size() - 3; k > 0; k -= 3)
        s.insert((size_t)k, ",");
    return s;
}

bool complete = true;

// One row: a figure, its floor, their ratio and, where there is one, the
// target it answers to. The ratio is the median of the paired ratios.
void row(const std::string &label, double t, double floor, double ratio, double target)
{
    if (t < 0 || floor <= 0 || ratio <= 0) {
        printf("%-48s %10s\n", label.c_str(), "not run");
        complete = false;
        return;
    }
    char verdict[64] = "";
    if (target > 0) {
        if (ratio <= target)
            snprintf(verdict, sizeof verdict, "%.2fx  met", target);
        else
            snprintf(verdict, sizeof verdict, "%.2fx  missed by %.0f%%", target, (ratio / target - 1) * 100);
    }
    printf("%-48s %7.2f ms %7.2f ms %6.2f   %s\n", label.c_str(), t, floor, ratio, verdict);
}

void figureRow(const std::string &label, const char *name, double target)
{
    row(label, value(name, nullptr), value(name, "floor_ms"), value(name, "ratio"), target);
}

void arrayRow(const std::string &label, const char *name)
{
    row(label, value(name, "array_ms"), value(name, "floor_ms"), value(name, "array_ratio"), 0);
}

void outsideRow(const std::string &label, double value, const char *unit)
{
    printf("%-48s %7.1f %s\n", label.c_str(), value, unit);
}

bool optionValue(const char *arg, const char *name, int &into)
{
    size_t n = strlen(name);
    if (strncmp(arg, name, n) != 0 || arg[n] != '=')
        return false;
    into = atoi(arg + n + 1);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    // Defaults first, so that the command line overrides them.
    std::vector<char *> args = {argv[0]};
    std::string defaults[] = {"--benchmark_repetitions=9", "--benchmark_min_time=0.3"};
    for (std::string &d : defaults)
        args.push_back(&d[0]);
    int startups = 5, regenerations = 200;
    for (int k = 1; k < argc; k++)
        if (!optionValue(argv[k], "--startups", startups) && !optionValue(argv[k], "--f5", regenerations))
            args.push_back(argv[k]);
    int count = (int)args.size();
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;
    if (!getenv("DISPLAY")) {
        fprintf(stderr, "verdalo_bench needs an X display (run it under tools/with-xvfb.sh)\n");
        return 2;
    }
    if (startups < 1 || regenerations < 1) {
        fprintf(stderr, "verdalo_bench: --startups and --f5 take a count of 1 or more\n");
        return 2;
    }

    WorldDraws draws = countWorldDraws();
    registerWorldBenchmarks(draws);
    FrameSetup frames = setUpFrames();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    closeFrames();
    Outside outside = measureOutside(startups, regenerations);

    long all = draws.heightfield + draws.colourMap + draws.treeMap;
    printf("\nVerdalo benchmarks: every figure timed back to back with its floor, %d runs\n", repetitions);
    printf("machine: %s; GL: %s, under Xvfb\n", machine().c_str(), frames.renderer.c_str());
    printf("world: seed %u, %d trees; %s random draws (heightfield %s, colour map %s, tree map %s)\n", benchSeed,
           frames.trees, grouped(all).c_str(), grouped(draws.heightfield).c_str(), grouped(draws.colourMap).c_str(),
           grouped(draws.treeMap).c_str());
    printf("pictures: the floor differs from the program's frame in %d and %d pixels, the vertex-array frame in %d "
           "and %d (of 500,000)\n",
           frames.floorDiffers[0], frames.floorDiffers[1], frames.arrayDiffers[0], frames.arrayDiffers[1]);
    // A floor that draws another picture is no floor; a stray edge pixel from rounding is tolerated.
    for (int v = 0; v < 2; v++)
        if (frames.floorDiffers[v] > 50) {
            printf("the floor does not draw the program's picture: its ratios do not hold\n");
            complete = false;
            break;
        }
    if (!frames.treeImages)
        printf("no tree images in assets/: neither the program nor the floor draws trees\n");
    printf("world: thread CPU time per build; floor: the same rand() calls alone\n");
    printf("frame: wall time to glFinish after the swap; floor: the same GL calls replayed from arrays\n");
    printf("time, floor: medians of the runs; ratio: median of the back-to-back ratios\n\n");
    printf("%-48s %10s %10s %6s   %s\n", "figure", "time", "floor", "ratio", "target");
    figureRow("world rebuild: heightfield", "world/heightfield", 0);
    figureRow("world rebuild: colour map", "world/colourmap", 0);
    figureRow("world rebuild: tree map", "world/treemap", 0);
    figureRow("world rebuild: all three", "world/rebuild", 1.3);
    figureRow("frame 1000x500, start view (" + std::to_string(frames.treesInView[0]) + " trees in view)",
              "frame/start", 1.05);
    figureRow("frame 1000x500, over trees (" + std::to_string(frames.treesInView[1]) + " trees in view)",
              "frame/trees", 1.05);
    arrayRow("vertex-array mesh, start view (vs floor)", "frame/start");
    arrayRow("vertex-array mesh, over trees (vs floor)", "frame/trees");
    if (outside.ok || outside.startups > 0) {
        outsideRow("start-up to window mapped (median of " + std::to_string(outside.startups) + ")", outside.mappedMs,
                   "ms");
        outsideRow("start-up to first frame (median of " + std::to_string(outside.startups) + ")",
                   outside.firstFrameMs, "ms");
        outsideRow("peak resident memory at start-up", (double)outside.peakStartKb / 1024.0, "MiB");
    }
    if (outside.ok) {
        outsideRow("resident memory after " + std::to_string(outside.regenerations) + " F5s",
                   (double)outside.residentAfterKb / 1024.0, "MiB");
        outsideRow("peak resident memory over " + std::to_string(outside.regenerations) + " F5s",
                   (double)outside.peakAfterKb / 1024.0, "MiB");
    } else {
        printf("the real program: %s\n", outside.problem.c_str());
        complete = false;
    }
    return complete ? 0 : 1;
}
