#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "app/progress.h"
#include "core/analysis_options.h"
#include "model/model_options.h"

namespace tl {

struct Results;

struct RunOptions {
    // What the analysis is asked for. Its tables are asked for exactly when the
    // results files are written.
    AnalysisOptions analysis;
    // Kernels in place of the engines: the benchmark's literal build.
    SubstituteKernels substitutes;
    // A batch run: this control card, without the prompt and without the
    // pause. Absent: the console dialogue.
    std::optional<std::string> cardFile;
    bool strict = false;  // data that does not fit the card is an error
    bool quiet = false;   // no warnings, notes or progress on standard error
    // How progress is shown on standard error.
    ProgressStyle progress = ProgressStyle::Off;
    std::optional<std::string> resultsDir;
    // --scale FILE and --cuts-on scale: read into analysis.scale by the run.
    std::optional<std::string> scaleFile;
    bool cutsOnScale = false;
    // The console window closes with the program (a double-click on Windows):
    // a batch run and a failed run end with the pause too, so that the last
    // lines can be read.
    bool pauseAlways = false;
    // A testing program keeps what it needs of each test: its results, once
    // its files are written, or the line that reported its error.
    std::function<void(const Results&)> onResults;
    std::function<void(const std::string&)> onError;
};

// The scale scores --scale and --cuts-on ask for, the table read; none without
// --scale, where --cuts-on scale is an InputError.
std::optional<ScaleRequest> scaleRequest(const std::optional<std::string>& scaleFile,
                                         bool cutsOnScale);

// One run from the card to the report, as the console program makes it.
// Returns the exit status: 0 success, 1 an error the run detected and reported
// on the console, 2 malformed input or a file that cannot be written (one
// diagnostic line on `err`). Warnings and notes go to `err` and never change
// the status.
int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err,
                  const RunOptions& options = {});

}  // namespace tl
