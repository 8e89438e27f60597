// Throughput of the data file reader: times countExaminees and loadItemSet on a
// data file already held in memory (the file system is left out), best of a
// few repetitions, and prints MB/s of wall and of processor time.
//
// Usage: tesserlink_read_throughput <data file> <items> <score points> [repetitions]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "input/record_reader.h"
#include "model/set_loader.h"
#include "platform/text_file.h"

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Timing {
    double wall = 1e300;  // best wall time
    double cpu = 1e300;   // best processor time of this thread (less hurt by a busy machine)
};

template <class Body>
Timing best(int repetitions, Body&& body) {
    Timing timing;
    for (int r = 0; r < repetitions; ++r) {
        const double cpuStart = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        body();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        timing.wall = std::min(timing.wall, took.count());
        timing.cpu = std::min(timing.cpu, cpuSeconds() - cpuStart);
    }
    return timing;
}

void show(const char* what, const Timing& t, double megabytes) {
    std::printf("  %-22s wall %7.3f s %8.1f MB/s   cpu %7.3f s %8.1f MB/s\n", what, t.wall,
                megabytes / t.wall, t.cpu, megabytes / t.cpu);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tesserlink_read_throughput <file> <items> <points> [reps]\n");
        return 2;
    }
    const std::string name = argv[1];
    const int items = std::stoi(argv[2]);
    const int points = std::stoi(argv[3]);
    const int repetitions = argc > 4 ? std::stoi(argv[4]) : 3;

    std::string text;
    const Timing file = best(1, [&] { text = tl::readTextFile(name).value(); });
    const double megabytes = static_cast<double>(text.size()) / 1e6;

    std::int32_t examinees = 0;
    const Timing count =
        best(repetitions, [&] { examinees = tl::countExaminees(text, name, items); });

    tl::ItemSet set;
    set.weight = 1.0;
    set.itemCount = items;
    set.scorePointCount = points;
    for (int p = 0; p < points; ++p) set.scorePoints.push_back(p);
    std::size_t profiles = 0;
    const Timing load = best(repetitions, [&] {
        std::vector<double> composite(static_cast<std::size_t>(examinees), 0.0);
        profiles = tl::loadItemSet(text, name, set, examinees, composite, true).profileCount();
    });

    std::printf("file %s: %.1f MB, %d examinees, %zu profiles\n", name.c_str(), megabytes,
                examinees, profiles);
    show("read file into memory", file, megabytes);
    show("countExaminees", count, megabytes);
    show("loadItemSet", load, megabytes);
    const Timing both{count.wall + load.wall, count.cpu + load.cpu};
    show("count + load", both, 2 * megabytes);
    return 0;
}
