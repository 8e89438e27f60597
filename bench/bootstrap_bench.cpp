// Times analyze() on a control card with and without the bootstrap, in one
// process on the same data, and prints the two times and their difference;
// with bias correction, also how far the identity replicate (the run's own
// examinees, computed as a replicate computes) lies from the run's indices.
//
// Usage: tesserlink_bootstrap_bench <directory> [replicates] [bias 0|1] [seed]
// The card is <directory>/card.txt; `bias` overrides its bias-correction switch.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "analysis/analyze.h"
#include "analysis/bootstrap_replicate.h"
#include "core/errors.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "platform/hardware_threads.h"
#include "platform/text_file.h"

namespace {

double relativeDifference(const tl::IndexSet& a, const tl::IndexSet& b) {
    const double x[] = {a.consistency, a.chance,        a.kappa,
                        a.accuracy,    a.falsePositive, a.falseNegative};
    const double y[] = {b.consistency, b.chance,        b.kappa,
                        b.accuracy,    b.falsePositive, b.falseNegative};
    double largest = 0.0;
    for (int i = 0; i < 6; ++i) {
        if (y[i] != 0.0) largest = std::max(largest, std::fabs(x[i] - y[i]) / std::fabs(y[i]));
    }
    return largest;
}

// The identity replicate against the run, over the overall and per-cut indices.
double identityDifference(const tl::ControlCard& card) {
    tl::FileDataSource data(card);
    const tl::AnalysisState state = tl::analyzeKeepingState(card, data, tl::AnalysisOptions{});
    const tl::Results& run = state.results;
    const std::vector<std::uint32_t> all =
        tl::wholeSample(static_cast<std::size_t>(run.examineeCount));
    const tl::ReplicateIndices identity = tl::replicateIndices(state, all);
    double largest = relativeDifference(identity.overall, run.classification.overall);
    const std::vector<tl::IndexSet> cuts = tl::cutIndices(run.classified(), all);
    for (std::size_t c = 0; c < cuts.size(); ++c)
        largest = std::max(largest, relativeDifference(identity.cuts[c], cuts[c]));
    return largest;
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 5) {
        std::fprintf(
            stderr,
            "usage: tesserlink_bootstrap_bench <directory> [replicates] [bias 0|1] [seed]\n");
        return 2;
    }
    try {
        std::filesystem::current_path(argv[1]);
        const std::int64_t replicates = argc > 2 ? std::stoll(argv[2]) : 1000;
        tl::ControlCard card = tl::readControlCard(*tl::readTextFile("card.txt"), "card.txt");
        if (argc > 3) card.biasCorrection = std::stoi(argv[3]);
        const std::uint64_t seed = argc > 4 ? std::stoull(argv[4]) : 1;

        tl::AnalysisOptions plain;
        tl::Results plainResults;
        const double plainSeconds = secondsOf([&] {
            tl::FileDataSource data(card);
            plainResults = tl::analyze(card, data, plain);
        });

        tl::AnalysisOptions boot;
        boot.bootstrapReplicates = replicates;
        boot.seed = seed;
        tl::Results bootResults;
        const double bootSeconds = secondsOf([&] {
            tl::FileDataSource data(card);
            bootResults = tl::analyze(card, data, boot);
        });

        const tl::IndexSetSpread& s = bootResults.bootstrap->overall;
        std::printf("%d examinees, bias correction %s, B = %lld, seed %llu, %u hardware threads\n",
                    plainResults.examineeCount, plainResults.biasCorrected ? "on" : "off",
                    static_cast<long long>(replicates), static_cast<unsigned long long>(seed),
                    tl::hardwareThreads());
        std::printf("plain run      %8.3f s\n", plainSeconds);
        std::printf("with bootstrap %8.3f s\n", bootSeconds);
        std::printf("difference     %8.3f s (%.2f ms per replicate)\n", bootSeconds - plainSeconds,
                    1000.0 * (bootSeconds - plainSeconds) / static_cast<double>(replicates));
        std::printf("consistency %.6f se %.6f [%.6f, %.6f]; accuracy %.6f se %.6f [%.6f, %.6f]\n",
                    plainResults.classification.overall.consistency, s.consistency.se,
                    s.consistency.ciLow, s.consistency.ciHigh,
                    plainResults.classification.overall.accuracy, s.accuracy.se, s.accuracy.ciLow,
                    s.accuracy.ciHigh);
        if (plainResults.biasCorrected) {
            std::printf("identity replicate: largest relative difference from the run %.3g\n",
                        identityDifference(card));
        }
    } catch (const tl::DetectedError& error) {
        std::fprintf(stderr, "tesserlink_bootstrap_bench: %s\n", error.consoleLine.c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tesserlink_bootstrap_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
