// Writes the IRT and beta-binomial benchmark workloads: a table of N examinees
// answering 50 3PL items (scored 0/1) and 10 GPCM items (scored 0..3), their
// responses drawn from the model at abilities drawn from the standard normal
// with a fixed generator, the items' parameters, and the analysis files.
//   tesserlink_irt_workloads N FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Generator {
    std::uint64_t state;
    double uniform() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (static_cast<double>(state >> 11) + 0.5) / 9007199254740992.0;
    }
    double normal() {
        const double u = uniform(), v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }
};

constexpr int kLogistic = 50, kPartial = 10, kSteps = 3;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tesserlink_irt_workloads N FOLDER\n");
        return 2;
    }
    const long examinees = std::stol(argv[1]);
    const std::string folder = argv[2];
    Generator g{20261209};
    double a[kLogistic + kPartial], b[kLogistic], c[kLogistic], steps[kPartial][kSteps];
    std::ofstream parameters(folder + "/parameters.csv");
    parameters << "item,model,a,b,c,b1,b2,b3\n";
    for (int j = 0; j < kLogistic; ++j) {
        a[j] = 0.6 + 1.2 * g.uniform();
        b[j] = -2.0 + 4.0 * g.uniform();
        c[j] = 0.25 * g.uniform();
        parameters << "i" << j + 1 << ",3PL," << a[j] << ',' << b[j] << ',' << c[j] << ",,,\n";
    }
    for (int j = 0; j < kPartial; ++j) {
        a[kLogistic + j] = 0.6 + 1.2 * g.uniform();
        parameters << "p" << j + 1 << ",GPCM," << a[kLogistic + j] << ",,,";
        for (int k = 0; k < kSteps; ++k) {
            steps[j][k] = -1.5 + 1.5 * k + 0.5 * g.normal();
            parameters << steps[j][k] << (k + 1 < kSteps ? "," : "\n");
        }
    }
    std::ofstream table(folder + "/data.csv");
    table << "id";
    for (int j = 0; j < kLogistic; ++j) table << ",i" << j + 1;
    for (int j = 0; j < kPartial; ++j) table << ",p" << j + 1;
    table << '\n';
    std::string row;
    for (long e = 0; e < examinees; ++e) {
        const double theta = g.normal();
        row = std::to_string(e + 1);
        for (int j = 0; j < kLogistic; ++j) {
            const double p = c[j] + (1.0 - c[j]) / (1.0 + std::exp(-a[j] * (theta - b[j])));
            row += g.uniform() < p ? ",1" : ",0";
        }
        for (int j = 0; j < kPartial; ++j) {
            double weights[kSteps + 1], total = 1.0, sum = 0.0;
            weights[0] = 1.0;
            for (int k = 0; k < kSteps; ++k) {
                sum += a[kLogistic + j] * (theta - steps[j][k]);
                weights[k + 1] = std::exp(sum);
                total += weights[k + 1];
            }
            double u = g.uniform() * total;
            int k = 0;
            while (k < kSteps && u >= weights[k]) u -= weights[k++];
            row += ',' + std::to_string(k);
        }
        table << row << '\n';
    }
    const std::string sets =
        "[data]\nfile = \"data.csv\"\nid = \"id\"\n\n[[sets]]\nname = \"choice\"\n"
        "items = \"i1:i50\"\npoints = [0, 1]\n\n[[sets]]\nname = \"constructed\"\n"
        "items = \"p1:p10\"\npoints = [0, 1, 2, 3]\n\n[classification]\n"
        "observed_cuts = [30, 50]\n\n[output]\nreport = \"report.out\"\n\n";
    std::ofstream(folder + "/irt.toml")
        << sets << "[model]\nkind = \"irt\"\nmethod = \"summed-p\"\n\n[irt]\nitems = "
        << "\"parameters.csv\"\n";
    std::ofstream(folder + "/ll.toml")
        << sets << "[model]\nkind = \"beta-binomial\"\nmethod = \"ll\"\n";
    return 0;
}
