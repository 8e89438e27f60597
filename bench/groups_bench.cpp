// Times what subgroups add to a run: an analysis file on a CSV table of
// examinees with three grouping columns, run (table read, model, results
// folder written) without and with `groups`, alternately, in one process on
// the same table; then the same with a bootstrap. Prints the medians and
// their ratio.
//
// Usage: tesserlink_groups_bench <directory> [examinees] [replicates] [runs] [bias 0|1]
// The table is generated into <directory> (deterministic: a fixed seed and
// the generator's own mapping to numbers).

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/prepared_file.h"
#include "results_files/results_directory.h"

namespace {

namespace fs = std::filesystem;

constexpr int kItems = 40;  // scored 0 to 3

// 40 graded items from a two-uniform ability, and the columns sex (F/M),
// ell (0, 1 or empty) and grade (3 to 8).
void writeTable(const fs::path& path, std::int64_t examinees) {
    std::mt19937_64 engine(20260522);
    const auto uniform = [&engine] { return static_cast<double>(engine() >> 11) * 0x1p-53; };
    std::ofstream out(path, std::ios::binary);
    out << "id,sex,ell,grade";
    for (int j = 1; j <= kItems; ++j) out << ",q" << j;
    out << "\n";
    std::string row;
    for (std::int64_t e = 0; e < examinees; ++e) {
        const double ability = uniform() + uniform();
        row = std::to_string(e + 1);
        row += uniform() < 0.5 ? ",F" : ",M";
        const double u = uniform();
        row += u < 0.03 ? "," : u < 0.15 ? ",1" : ",0";
        row += ',';
        row += static_cast<char>('3' + static_cast<int>(uniform() * 6));
        for (int j = 0; j < kItems; ++j) {
            int score = 0;
            for (int step = 0; step < 3; ++step) score += uniform() < ability / 2 ? 1 : 0;
            row += ',';
            row += static_cast<char>('0' + score);
        }
        out << row << '\n';
    }
}

void writeAnalysis(const fs::path& path, bool groups, bool bias) {
    std::ofstream out(path, std::ios::binary);
    out << "[data]\nfile = \"table.csv\"\nid = \"id\"\n"
        << (groups ? "groups = [\"sex\", \"ell\", \"grade\"]\n" : "")
        << "[[sets]]\nitems = \"q1:q40\"\npoints = [0, 1, 2, 3]\n"
           "[classification]\nobserved_cuts = [49.5, 80.5]\nbias_correction = "
        << (bias ? "true" : "false") << "\n";
}

// Wall and processor seconds of one run.
struct Times {
    double wall = 0.0, cpu = 0.0;
};

Times runSeconds(const fs::path& analysis, const fs::path& folder, std::int64_t replicates) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const auto ignore = [](const tl::Finding&) {};
    const tl::PreparedAnalysis prepared =
        tl::prepareAnalysis(tl::readAnalysisFileAt(analysis.string()), ignore);
    tl::AnalysisOptions options;
    options.tables = true;
    options.bootstrapReplicates = replicates;
    const tl::Results results = tl::analyzePrepared(prepared, options, ignore);
    tl::writeResultsDirectory(results, folder);
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void compare(const fs::path& dir, std::int64_t replicates, int runs) {
    std::vector<double> plain, grouped, plainCpu, groupedCpu;
    for (int r = 0; r < runs; ++r) {
        const Times a = runSeconds(dir / "plain.toml", dir / "out-plain", replicates);
        const Times b = runSeconds(dir / "groups.toml", dir / "out-groups", replicates);
        plain.push_back(a.wall);
        plainCpu.push_back(a.cpu);
        grouped.push_back(b.wall);
        groupedCpu.push_back(b.cpu);
    }
    const double a = median(plain), b = median(grouped);
    const double ac = median(plainCpu), bc = median(groupedCpu);
    std::printf(
        "bootstrap %5lld: without groups %7.3f s (cpu %7.3f s), with 3 grouping columns "
        "(11 levels) %7.3f s (cpu %7.3f s), ratio %.3f (cpu %.3f); median of %d each, "
        "alternating\n",
        static_cast<long long>(replicates), a, ac, b, bc, b / a, bc / ac, runs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: tesserlink_groups_bench <directory> [examinees] [replicates] "
                     "[runs]\n");
        return 2;
    }
    try {
        const fs::path dir = argv[1];
        const std::int64_t examinees = argc > 2 ? std::stoll(argv[2]) : 100000;
        const std::int64_t replicates = argc > 3 ? std::stoll(argv[3]) : 200;
        const int runs = argc > 4 ? std::stoi(argv[4]) : 5;
        const bool bias = argc > 5 && std::string(argv[5]) == "1";
        fs::create_directories(dir);
        const fs::path table = dir / "table.csv";
        if (!fs::exists(table)) writeTable(table, examinees);
        writeAnalysis(dir / "plain.toml", false, bias);
        writeAnalysis(dir / "groups.toml", true, bias);
        std::printf("%lld examinees, bias correction %s\n", static_cast<long long>(examinees),
                    bias ? "on" : "off");
        compare(dir, 0, runs);
        if (replicates > 0) compare(dir, replicates, runs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tesserlink_groups_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
