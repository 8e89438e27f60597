// Writes the benchmark workloads: a control card and one data file per item set.
//
// Examinee abilities are drawn from a standard normal distribution; every item
// has a discrimination and ordered step difficulties, and an examinee's score on
// it is drawn from a graded response model (a 0/1 item is the one-step case).
// Abilities are shared by the sets of a workload, so the sets correlate as they
// do on a real test. Everything is drawn from one fixed-seed Mersenne twister
// with hand-written conversions, so the files are the same on every platform.
//
// Usage: tesserlink_workloads <directory> <B1|B2|B3|B4|C1|C2|BOOT2|READ|PROG01..PROG12>
// writes <directory>/card.txt and <directory>/setN.dat (READ: set1.dat only).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

struct SetShape {
    double weight;
    int items;
    int scorePoints;  // points 0, 1, ..., scorePoints - 1
};

struct Workload {
    std::string name;
    std::uint64_t seed;
    int examinees;
    std::vector<SetShape> sets;
    std::vector<double> cutQuantiles;  // one per cut score
    int conditionalResults;
    int biasCorrection;
};

// Uniform in (0, 1) from the top 53 bits: never 0, so its log is finite.
class Draws {
  public:
    explicit Draws(std::uint64_t seed) : engine_(seed) {}
    double uniform() { return (static_cast<double>(engine_() >> 11) + 0.5) * 0x1p-53; }
    double normal() {
        // Box-Muller, one value per pair of uniforms (no cached state to reason about).
        const double u = uniform();
        const double v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
    }

  private:
    std::mt19937_64 engine_;
};

struct Item {
    double discrimination;
    std::vector<double> steps;  // ascending difficulties of reaching score 1, 2, ...
};

std::vector<Item> makeItems(Draws& draws, const SetShape& shape) {
    std::vector<Item> items(static_cast<std::size_t>(shape.items));
    for (Item& item : items) {
        item.discrimination = 0.7 + 0.9 * draws.uniform();
        const double location = 0.9 * draws.normal();
        for (int s = 1; s < shape.scorePoints; ++s) {
            // Steps spread around the item's location, kept in order.
            const double offset = (s - 0.5 * shape.scorePoints) * 0.8 + 0.25 * draws.normal();
            item.steps.push_back(location + offset);
        }
        std::sort(item.steps.begin(), item.steps.end());
    }
    return items;
}

// Graded response: P(score >= s) = 1 / (1 + exp(-a (theta - b_s))).
int drawScore(Draws& draws, const Item& item, double theta) {
    const double u = draws.uniform();
    int score = 0;
    for (double step : item.steps) {
        const double atLeast = 1.0 / (1.0 + std::exp(-item.discrimination * (theta - step)));
        if (u < atLeast) ++score;
    }
    return score;
}

std::string setFileName(std::size_t s) {
    return "set" + std::to_string(s + 1) + ".dat";
}

void writeCard(const std::filesystem::path& dir, const Workload& w,
               const std::vector<double>& cuts) {
    std::ofstream card(dir / "card.txt");
    card << "$Number of item sets\n" << w.sets.size() << "\n";
    for (std::size_t s = 0; s < w.sets.size(); ++s) {
        const SetShape& set = w.sets[s];
        card << "$Set" << s + 1 << ": weight, #items, #score points, score points, data file\n";
        card << set.weight << "\n" << set.items << "\n" << set.scorePoints << "\n";
        for (int p = 0; p < set.scorePoints; ++p) card << (p ? " " : "") << p;
        card << "\n" << setFileName(s) << "\n";
    }
    card << "$#categories, observed cut scores, true cut scores\n" << cuts.size() + 1 << "\n";
    for (int line = 0; line < 2; ++line) {
        for (std::size_t c = 0; c < cuts.size(); ++c) card << (c ? " " : "") << cuts[c];
        card << "\n";
    }
    card << "$Conditional results (Yes=1, No=0)\n" << w.conditionalResults << "\n";
    card << "$Output file\n"
         << "report.out\n";
    card << "$Bias correction (Yes=1, No=0)\n" << w.biasCorrection << "\n";
}

void generate(const std::filesystem::path& dir, const Workload& w) {
    std::filesystem::create_directories(dir);
    Draws draws(w.seed);
    std::vector<double> abilities(static_cast<std::size_t>(w.examinees));
    for (double& theta : abilities) theta = draws.normal();

    std::vector<double> composite(abilities.size(), 0.0);
    for (std::size_t s = 0; s < w.sets.size(); ++s) {
        const SetShape& shape = w.sets[s];
        const std::vector<Item> items = makeItems(draws, shape);
        std::FILE* file = std::fopen((dir / setFileName(s)).c_str(), "wb");
        if (!file) throw std::runtime_error("cannot write " + (dir / setFileName(s)).string());
        std::vector<char> line;
        for (std::size_t e = 0; e < abilities.size(); ++e) {
            line.clear();
            for (const Item& item : items) {
                const int score = drawScore(draws, item, abilities[e]);
                composite[e] += shape.weight * score;
                if (!line.empty()) line.push_back(' ');
                const std::string digits = std::to_string(score);
                line.insert(line.end(), digits.begin(), digits.end());
            }
            line.push_back('\n');
            std::fwrite(line.data(), 1, line.size(), file);
        }
        std::fclose(file);
    }

    // Cut scores halfway between whole composite scores, at the wanted shares of
    // the observed composite scores.
    std::vector<double> sorted = composite;
    std::sort(sorted.begin(), sorted.end());
    std::vector<double> cuts;
    for (double q : w.cutQuantiles) {
        const double at = sorted[static_cast<std::size_t>(q * (sorted.size() - 1))];
        cuts.push_back(std::floor(at) + 0.5);
    }
    writeCard(dir, w, cuts);
}

std::vector<Workload> workloads() {
    const std::vector<SetShape> mixed{{1.0, 50, 2}, {2.0, 8, 5}};
    return {
        {"B1", 101, 20000, mixed, {0.2, 0.5, 0.85}, 1, 1},
        {"B2", 102, 20000, {{1.0, 40, 4}}, {0.3, 0.75}, 1, 0},
        {"B3", 103, 20000, {{1.0, 30, 2}, {1.5, 10, 3}, {3.0, 5, 5}}, {0.3, 0.75}, 1, 1},
        {"B4", 101, 1000000, mixed, {0.2, 0.5, 0.85}, 1, 1},
        // Beyond what enumeration can do: 90.8 million count vectors in C1, 1.4
        // billion for the 20 essays scored 0 to 14 in C2.
        {"C1", 105, 20000, {{1.0, 60, 7}}, {0.3, 0.75}, 1, 0},
        {"C2", 106, 20000, {{1.0, 20, 15}, {0.5, 40, 2}}, {0.2, 0.5, 0.85}, 1, 1},
        // A questionnaire of two scales, 14 items each rated 0 to 5 (11,628
        // count vectors per set), for the bias-corrected bootstrap: nearly
        // every respondent has a profile of their own on each scale.
        {"BOOT2", 107, 4000, {{1.0, 14, 6}, {1.0, 14, 6}}, {0.2, 0.5, 0.85}, 1, 1},
        // A large single-set file for the reader's throughput (card unused).
        {"READ", 104, 1000000, {{1.0, 50, 2}}, {0.5}, 0, 0},
    };
}

// The twelve tests of a testing program (grades 3 to 8 in two subjects), each
// of 100,000 examinees, their sets and cuts varying a little from test to
// test: PROG01 .. PROG12.
std::vector<Workload> programWorkloads() {
    const std::vector<std::vector<SetShape>> shapes{
        {{1.0, 50, 2}, {2.0, 8, 5}},
        {{1.0, 40, 2}, {2.0, 6, 4}},
        {{1.0, 30, 2}, {1.5, 10, 3}},
        {{1.0, 45, 2}, {2.0, 5, 5}},
    };
    const std::vector<std::vector<double>> cuts{
        {0.2, 0.5, 0.85}, {0.3, 0.75}, {0.25, 0.55, 0.8}, {0.15, 0.45, 0.7, 0.9}};
    std::vector<Workload> tests;
    for (int t = 0; t < 12; ++t) {
        const std::string number = (t < 9 ? "0" : "") + std::to_string(t + 1);
        tests.push_back({"PROG" + number, static_cast<std::uint64_t>(301 + t), 100000,
                         shapes[static_cast<std::size_t>(t) % shapes.size()],
                         cuts[static_cast<std::size_t>(t / 3) % cuts.size()], 1, t % 2});
    }
    return tests;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tesserlink_workloads <directory> "
                     "<B1|B2|B3|B4|C1|C2|BOOT2|READ|PROG01..PROG12>\n";
        return 2;
    }
    std::vector<Workload> known = workloads();
    for (const Workload& w : programWorkloads()) known.push_back(w);
    for (const Workload& w : known) {
        if (w.name != argv[2]) continue;
        try {
            generate(argv[1], w);
        } catch (const std::exception& error) {
            std::cerr << "tesserlink_workloads: " << error.what() << "\n";
            return 1;
        }
        return 0;
    }
    std::cerr << "tesserlink_workloads: unknown workload " << argv[2] << "\n";
    return 2;
}
