// Times the item response kernels one call at a time on the IRT1 test: 60
// items, 50 three-parameter items scored 0/1 and 10 partial credit items
// scored 0 to 3, in two sets. Prints the cost of the two sets' summed-score
// distributions at one ability (the recursion, category probabilities
// included) and of one expected a posteriori estimate from the grid.
//
// Usage: tesserlink_irt_kernels_bench [calls]

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "core/item_parameters.h"
#include "model/irt/ability.h"
#include "model/irt/summed_score.h"

using tl::irt::ItemModel;
using tl::irt::ItemParameters;

int main(int argc, char** argv) {
    const long calls = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::mt19937_64 engine(20261209);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<ItemParameters> items;
    for (int j = 0; j < 50; ++j)
        items.push_back({"d",
                         ItemModel::Logistic,
                         0.6 + uniform(engine),
                         -2.0 + 4.0 * uniform(engine),
                         0.25 * uniform(engine),
                         1.0,
                         {},
                         0});
    for (int j = 0; j < 10; ++j)
        items.push_back({"p",
                         ItemModel::PartialCredit,
                         0.6 + uniform(engine),
                         0.0,
                         0.0,
                         1.0,
                         {-1.0 + uniform(engine), uniform(engine) - 0.5, 0.5 + uniform(engine)},
                         0});
    std::vector<const ItemParameters*> all, dichotomous, polytomous;
    for (const ItemParameters& item : items) {
        all.push_back(&item);
        (item.model == ItemModel::Logistic ? dichotomous : polytomous).push_back(&item);
    }
    const std::vector<double> points1 = {0, 1}, points2 = {0, 1, 2, 3};
    std::vector<double> raw1(51), raw2(31);
    for (std::size_t r = 0; r < raw1.size(); ++r) raw1[r] = static_cast<double>(r);
    for (std::size_t r = 0; r < raw2.size(); ++r) raw2[r] = static_cast<double>(r);
    std::vector<double> out1(raw1.size()), out2(raw2.size());
    tl::irt::SummedScoreScratch scratch;

    // CPU time of this thread: the machine may be shared, and waiting for it is
    // not the kernels' cost.
    struct Clock {
        static std::chrono::nanoseconds now() {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
        }
    };
    double check = 0.0;
    auto start = Clock::now();
    for (long i = 0; i < calls; ++i) {
        const double theta = -4.0 + 8.0 * static_cast<double>(i) / static_cast<double>(calls);
        tl::irt::setScoreDistribution(dichotomous, points1, 1.702, theta, raw1, out1, scratch);
        tl::irt::setScoreDistribution(polytomous, points2, 1.702, theta, raw2, out2, scratch);
        check += out1[25] + out2[15];
    }
    const double summed =
        std::chrono::duration<double>(Clock::now() - start).count() / static_cast<double>(calls);

    start = Clock::now();
    const tl::irt::AbilityGrid grid(all, 1.702, tl::irt::Prior{});
    const double build = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<std::vector<std::uint8_t>> patterns(1000, std::vector<std::uint8_t>(60));
    for (auto& pattern : patterns) {
        for (std::size_t j = 0; j < 60; ++j)
            pattern[j] = static_cast<std::uint8_t>(engine() % items[j].categoryCount());
    }
    std::vector<double> workspace(grid.nodeCount());
    start = Clock::now();
    for (long i = 0; i < calls; ++i)
        check += grid.eap(patterns[static_cast<std::size_t>(i) % patterns.size()], workspace).theta;
    const double eap =
        std::chrono::duration<double>(Clock::now() - start).count() / static_cast<double>(calls);

    std::printf("summed-score distributions of both sets at one theta: %.0f ns\n", summed * 1e9);
    std::printf("grid of 61 nodes, 60 items: %.3f ms once\n", build * 1e3);
    std::printf("EAP of one pattern: %.0f ns\n", eap * 1e9);
    std::printf("(checksum %.6g)\n", check);
    return 0;
}
