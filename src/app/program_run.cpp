#include "app/program_run.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <new>
#include <sstream>
#include <thread>
#include <vector>

#include "app/analysis_run.h"
#include "app/ordered_console.h"
#include "app/run_driver.h"
#include "app/test_folders.h"
#include "core/errors.h"
#include "input/analysis_file.h"
#include "platform/file_names.h"
#include "platform/hardware_threads.h"
#include "results_files/summary_files.h"

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
    return !line.quiet && line.progress ? ProgressStyle::Lines : ProgressStyle::Off;
}

class ProgramRun {
  public:
    ProgramRun(const CommandLine& line, const ParseOutcome& parsed, std::ostream& out,
               std::ostream& err)
        : line_(line),
          parsed_(parsed),
          folders_(testFolderNames(line.programFiles)),
          summaries_(line.programFiles.size()),
          statuses_(line.programFiles.size(), 0),
          console_(out, err, prefixes(line.programFiles)) {}

    // Runs every test; returns the highest status.
    int run() {
        const std::size_t count = line_.programFiles.size();
        const Sharing sharing = shareThreads(count, line_.analysis.threads);
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

  private:
    static std::vector<std::string> prefixes(const std::vector<std::string>& files) {
        std::vector<std::string> out;
        for (const std::string& file : files) out.push_back(file + ": ");
        return out;
    }

    void runTest(std::size_t t, unsigned threads) {
        const std::string& file = line_.programFiles[t];
        TestSummary& summary = summaries_[t];
        RunOptions options = sharedRunOptions(line_);
        options.analysis.threads = threads;
        options.cardFile = file;
        options.progress = programProgress(line_);
        if (line_.resultsDir) {
            options.resultsDir =
                fileNameText(filePathOf(*line_.resultsDir) / filePathOf(folders_[t]));
            // Only the few summary values outlive the test's own run.
            options.onResults = [&summary](const Results& results) {
                summary = summarizeTest(results);
            };
        }
        options.onError = [&summary](const std::string& text) { summary.error = text; };
        std::ostream& out = console_.out(t);
        std::ostream& err = console_.err(t);
        int status = 2;
        try {
            if (isAnalysisFileName(file)) {
                status = runAnalysisFile(out, err, options, givenOptions(parsed_));
            } else {
                std::istringstream noInput;
                status = runTesserlink(noInput, out, err, options);
            }
        } catch (const std::exception& error) {
            // What a run does not turn into its own error line (a thread that
            // cannot start, say) fails this test alone.
            summary.error = std::string("tesserlink: ") + error.what();
            err << summary.error << '\n';
        }
        summary.file = file;
        summary.status = status;
        if (status == 0) summary.folder = folders_[t];
        statuses_[t] = status;
        console_.finished(t);
    }

    const CommandLine& line_;
    const ParseOutcome& parsed_;
    const std::vector<std::string> folders_;
    std::vector<TestSummary> summaries_;
    std::vector<int> statuses_;
    OrderedConsole console_;
};

}  // namespace

RunOptions sharedRunOptions(const CommandLine& line) {
    RunOptions options;
    options.analysis = line.analysis;
    options.strict = line.strict;
    options.quiet = line.quiet;
    options.scaleFile = line.scaleFile;
    options.cutsOnScale = line.cutsOnScale;
    return options;
}

int runTestingProgram(const CommandLine& line, const ParseOutcome& parsed, std::ostream& out,
                      std::ostream& err) {
    ProgramRun program(line, parsed, out, err);
    int status = program.run();
    if (!line.resultsDir) return status;
    try {
        const std::filesystem::path dir = filePathOf(*line.resultsDir);
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        if (error || !std::filesystem::is_directory(dir)) {
            throw InputError("cannot create the results directory " + *line.resultsDir +
                             (error ? ": " + error.message() : ": it is not a directory"));
        }
        writeProgramSummary(program.summaries(), dir);
    } catch (const InputError& error) {
        err << "tesserlink: " << error.what() << '\n';
        status = std::max(status, 2);
    } catch (const std::bad_alloc&) {
        err << "tesserlink: not enough memory for the program's summary\n";
        status = std::max(status, 2);
    }
    return status;
}

}  // namespace tl
