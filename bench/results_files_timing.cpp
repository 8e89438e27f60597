// tesserlink_results_timing <card-folder> <results-folder>: times one run's
// analysis, its text report and each results file, then writes the folder.
// Run by hand on the B4 workload to see the files keep pace with the report.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "analysis/analyze.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "platform/text_file.h"
#include "results_files/examinees_csv.h"
#include "results_files/results_csv.h"
#include "results_files/results_directory.h"
#include "results_files/results_html.h"
#include "results_files/results_json.h"
#include "text_report/report_writer.h"

namespace {

double seconds(const std::function<std::size_t()>& work, std::size_t& bytes) {
    const auto start = std::chrono::steady_clock::now();
    bytes = work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tesserlink_results_timing <card-folder> <results-folder>\n");
        return 2;
    }
    const std::filesystem::path out = std::filesystem::absolute(argv[2]);
    std::filesystem::current_path(argv[1]);
    const tl::ControlCard card = tl::readControlCard(*tl::readTextFile("card.txt"), "card.txt");
    tl::FileDataSource data(card);
    tl::AnalysisOptions options;
    options.tables = true;
    tl::Results r;
    std::size_t bytes = 0;
    const auto line = [&](const char* what, double s) {
        std::printf("%-22s %8.3f s %12zu bytes\n", what, s, bytes);
    };
    line("analysis", seconds(
                         [&] {
                             r = tl::analyze(card, data, options);
                             return std::size_t{0};
                         },
                         bytes));
    line("text report", seconds([&] { return tl::composeReport(r).size(); }, bytes));
    line("results.json", seconds([&] { return tl::composeResultsJson(r).size(); }, bytes));
    line("summary CSV files", seconds(
                                  [&] {
                                      return tl::composeOverallCsv(r).size() +
                                             tl::composeCutsCsv(r).size() +
                                             tl::composeTrueByObservedCsv(r).size() +
                                             tl::composeConsistencyTableCsv(r).size() +
                                             tl::composeConditionalCsv(r).size();
                                  },
                                  bytes));
    line("examinees.csv", seconds([&] { return tl::composeExamineesCsv(r).size(); }, bytes));
    line("report.html", seconds([&] { return tl::composeResultsHtml(r).size(); }, bytes));
    line("whole folder written", seconds(
                                     [&] {
                                         tl::writeResultsDirectory(r, out);
                                         return std::size_t{0};
                                     },
                                     bytes));
    return 0;
}
