#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/output_lock.h"
#include "results/results.h"

namespace tl {

// The report and the results folder of one run, put in place as one: nothing
// changes unless both can be written.
//
// The folder's files are written into a new folder beside it
// (".NAME.tesserlink-new-XXXXXX"), which takes the place of the old folder in
// one rename; the old folder is removed only after the new one and the report
// are in place. The report is written to a temporary file beside it and
// renamed over the old one after the folder. A run killed at any moment thus
// leaves the folder exactly as it was or exactly as the run writes it.
//
// Each output is locked against other runs (OutputLock) while it is written;
// the folder from the start, where its parent folder exists. Temporary files
// and folders a killed run left beside an output are removed under its lock,
// with a note; a folder a killed run had moved aside and not replaced is
// moved back.
//
// A results folder that holds anything but results files (a folder, or a file
// of another name) is refused rather than replaced: its files would be lost.
// So is a figures folder that holds anything but figures (.svg, .png).
class OutputTransaction {
  public:
    using Notes = std::function<void(const std::string&)>;

    // Locks the results folder and the figures folder where their parents
    // exist. Throws InputError with one line when another run holds one.
    OutputTransaction(std::optional<std::string> report, std::optional<std::string> resultsDir,
                      Notes note, std::optional<std::string> figuresDir = std::nullopt);
    ~OutputTransaction();
    OutputTransaction(const OutputTransaction&) = delete;
    OutputTransaction& operator=(const OutputTransaction&) = delete;

    // Writes the results folder of `results` (analysed with its tables), its
    // figures folder (each figure of the results page as SVG, and as PNG where
    // rsvg-convert is installed) and the report `reportText`, each only where
    // it was named. Throws InputError with one line; none has then changed.
    void commit(const Results& results, std::string_view reportText);

    // Whether a report is to be written (its text is composed only then).
    bool hasReport() const { return report_.has_value(); }

  private:
    struct Output {
        std::string path;
        std::string kind;
        std::unique_ptr<OutputLock> lock;
    };
    void take(Output& output);
    Output folderOutput(const std::string& path, const std::string& kind);

    std::optional<Output> report_;
    std::optional<Output> folder_;
    std::optional<Output> figures_;
    Notes note_;
};

}  // namespace tl
