#include "app/program_run.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "analysis/shared_tables.h"
#include "app/ordered_console.h"
#include "app/run_driver.h"
#include "app/test_folders.h"
#include "core/errors.h"
#include "core/one_line.h"
#include "input/analysis_file.h"
#include "plan/run_paths.h"
#include "platform/file_names.h"
#include "platform/hardware_threads.h"
#include "results_files/summary_files.h"
#include "run/program_tests.h"
#include "run/run_json.h"

namespace tl {

namespace {

// Tests side by side, and threads for each: as many tests at once as there
// are threads (never more than there are tests), the threads shared out
// among them. Every number is the same for any count of threads.
struct Sharing {
    unsigned testsAtOnce = 1;
    unsigned threadsPerTest = 1;
};

Sharing shareThreads(std::size_t tests, unsigned asked) {
    const unsigned threads = asked == 0 ? hardwareThreads() : asked;
    Sharing sharing;
    sharing.testsAtOnce =
        static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(tests, threads)));
    sharing.threadsPerTest = std::max(1u, threads / sharing.testsAtOnce);
    return sharing;
}

// Progress of tests side by side cannot be redrawn in place: it is shown as
// lines under --progress, and not at all otherwise.
ProgressStyle programProgress(const CommandLine& line) {
    if (line.quiet) return ProgressStyle::Off;
    if (line.events) return ProgressStyle::Events;
    return line.progress ? ProgressStyle::Lines : ProgressStyle::Off;
}

class ProgramRun {
  public:
    ProgramRun(const CommandLine& line, std::ostream& out, std::ostream& err)
        : line_(line),
          tests_(programTests(line.programFiles, line.request.resultsDir.has_value())),
          folders_(testFolderNames(folderPaths(tests_))),
          summaries_(tests_.size()),
          statuses_(tests_.size(), 0),
          console_(out, err, prefixes(tests_)) {}

    // Runs every test; returns the highest status.
    int run() {
        const std::size_t count = tests_.size();
        const Sharing sharing = shareThreads(count, line_.request.threads);
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t t = next++; t < count; t = next++) runTest(t, sharing.threadsPerTest);
        };
        std::vector<std::thread> pool;
        for (unsigned w = 1; w < sharing.testsAtOnce; ++w) pool.emplace_back(work);
        work();
        for (std::thread& thread : pool) thread.join();
        return *std::max_element(statuses_.begin(), statuses_.end());
    }

    const std::vector<TestSummary>& summaries() const { return summaries_; }

    // Test t's results folder under the command line's --results, if given.
    std::optional<std::string> resultsDir(std::size_t t) const {
        return testFolderUnder(line_.request.resultsDir, t);
    }

    // Test t's figures folder under the command line's --figures, if given.
    std::optional<std::string> figuresDir(std::size_t t) const {
        return testFolderUnder(line_.request.figuresDir, t);
    }

    // Every path of every test, and the summary's files. A cut set's test
    // adds its folder alone: it reads what its file's test reads.
    RunPaths paths() const {
        std::vector<std::string> files;
        std::vector<std::optional<std::string>> dirs;
        std::vector<std::optional<std::string>> figures;
        std::vector<std::string> summary;
        RunPaths cutSets;
        for (std::size_t t = 0; t < tests_.size(); ++t) {
            if (tests_[t].alternative()) {
                cutSets.push_back({resultsDir(t).value_or(""),
                                   "the results folder of " + tests_[t].name, PathUse::Folder});
                if (const auto dir = figuresDir(t))
                    cutSets.push_back(
                        {*dir, "the figures folder of " + tests_[t].name, PathUse::Folder});
                continue;
            }
            files.push_back(tests_[t].file);
            dirs.push_back(resultsDir(t));
            figures.push_back(figuresDir(t));
        }
        if (line_.request.resultsDir) {
            for (const std::string& name : summaryFileNames()) {
                summary.push_back(
                    fileNameText(filePathOf(*line_.request.resultsDir) / filePathOf(name)));
            }
        }
        RunPaths paths = programRunPaths(files, line_.request.scaleFile, dirs, summary, figures);
        paths.insert(paths.end(), cutSets.begin(), cutSets.end());
        return paths;
    }

  private:
    std::optional<std::string> testFolderUnder(const std::optional<std::string>& dir,
                                               std::size_t t) const {
        if (!dir) return std::nullopt;
        return fileNameText(filePathOf(*dir) / filePathOf(folders_[t]));
    }

    static std::vector<std::string> prefixes(const std::vector<ProgramTest>& tests) {
        std::vector<std::string> out;
        for (const ProgramTest& test : tests) out.push_back(test.name + ": ");
        return out;
    }

    static std::vector<std::string> folderPaths(const std::vector<ProgramTest>& tests) {
        std::vector<std::string> out;
        for (const ProgramTest& test : tests) out.push_back(test.folderPath);
        return out;
    }

    void runTest(std::size_t t, unsigned threads) {
        const ProgramTest& test = tests_[t];
        TestSummary& summary = summaries_[t];
        RunOptions options;
        options.request = line_.request;
        options.request.threads = threads;
        options.request.file = test.file;
        // A file and its other cut sets read its table once between them.
        const auto users = static_cast<std::size_t>(
            std::count_if(tests_.begin(), tests_.end(),
                          [&](const ProgramTest& other) { return other.file == test.file; }));
        if (users > 1) {
            options.request.sharedTables = sharedTables_;
            options.request.tableUsers = users;
        }
        if (test.alternative()) {
            options.request.cuts = test.cuts;
            options.request.trueCuts = test.trueCuts;
            options.request.withoutReport = true;
        }
        options.quiet = line_.quiet;
        options.events = line_.events;
        options.progress = programProgress(line_);
        options.request.resultsDir = resultsDir(t);
        options.request.figuresDir = figuresDir(t);
        // Only the few summary values outlive the test's own run.
        const bool summarize = line_.request.resultsDir.has_value();
        options.onOutcome = [&summary, summarize](const RunOutcome& outcome) {
            if (outcome.results && summarize) summary = summarizeTest(*outcome.results);
            if (outcome.exitStatus != kExitSuccess) summary.error = failureLine(outcome);
        };
        std::ostream& out = console_.out(t);
        std::ostream& err = console_.err(t);
        int status = kExitFailure;
        try {
            std::istringstream noInput;
            status = runTesserlink(noInput, out, err, options);
        } catch (const std::exception& error) {
            // What a run does not turn into its own error line (a thread that
            // cannot start, say) fails this test alone.
            summary.error = "tesserlink: " + oneLine(error.what());
            err << summary.error << '\n';
        }
        summary.file = test.name;
        summary.status = status;
        if (status == 0) summary.folder = folders_[t];
        statuses_[t] = status;
        console_.finished(t);
    }

    const CommandLine& line_;
    const std::vector<ProgramTest> tests_;
    const std::vector<std::string> folders_;
    std::vector<TestSummary> summaries_;
    std::vector<int> statuses_;
    OrderedConsole console_;
    std::shared_ptr<SharedTables> sharedTables_ = std::make_shared<SharedTables>();
};

}  // namespace

int runTestingProgram(const CommandLine& line, std::ostream& out, std::ostream& err) {
    ProgramRun program(line, out, err);
    try {
        // No test runs while any two would write onto one file.
        refuseCollidingPaths(program.paths());
    } catch (const InputError& error) {
        if (line.events) {
            err << findingJsonLine(error.finding()) << '\n';
        } else {
            err << "tesserlink: " << error.what() << '\n';
        }
        return kExitFailure;
    }
    int status = program.run();
    if (!line.request.resultsDir) return status;
    try {
        const std::filesystem::path dir = filePathOf(*line.request.resultsDir);
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        if (error || !std::filesystem::is_directory(dir)) {
            throw InputError("cannot create the results directory " + *line.request.resultsDir +
                             (error ? ": " + error.message() : ": it is not a directory"));
        }
        writeProgramSummary(program.summaries(), dir);
    } catch (const InputError& error) {
        err << "tesserlink: " << oneLine(error.what()) << '\n';
        status = std::max(status, 2);
    } catch (const std::bad_alloc&) {
        err << "tesserlink: not enough memory for the program's summary\n";
        status = std::max(status, 2);
    }
    return status;
}

}  // namespace tl
