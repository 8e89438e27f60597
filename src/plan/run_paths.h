#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/control_card.h"
#include "input/analysis_file.h"

namespace tl {

// What a run does with a path: reads a file, writes a file, or writes a
// results folder, which it replaces whole.
enum class PathUse { Read, Write, Folder };

struct RunPath {
    std::string path;  // as the run opens it
    std::string role;  // "the report of b.toml", "the data file of set 2 of c.txt"
    PathUse use = PathUse::Read;
};

// Every path a run or a testing program reads and writes, each with its role.
using RunPaths = std::vector<RunPath>;

// The paths of a run of the control card `card` read from `cardFile`, with
// the command line's conversion table, results folder and figures folder.
RunPaths cardRunPaths(const ControlCard& card, const std::string& cardFile,
                      const std::optional<std::string>& scaleFile,
                      const std::optional<std::string>& resultsDir,
                      const std::optional<std::string>& figuresDir = std::nullopt);

// The paths of a run of the analysis file `file`: its data, its conversion
// table, or `scaleFile` in its place, its report, and `resultsDir`, the
// results folder the run writes (the command line's or the file's), and
// `figuresDir`, its figures folder, likewise.
RunPaths analysisRunPaths(const AnalysisFile& file, const std::optional<std::string>& scaleFile,
                          const std::optional<std::string>& resultsDir,
                          const std::optional<std::string>& figuresDir = std::nullopt);

// The paths of a testing program over `files` (cards and analysis files),
// read from the files themselves: each test's, with `resultsDirs[t]` as its
// results folder when the command line gives them, `figuresDirs[t]` likewise
// its figures folder, and the program's `summaryFiles`. A file that cannot be
// read or is malformed adds itself alone: its test reports the mistake.
RunPaths programRunPaths(const std::vector<std::string>& files,
                         const std::optional<std::string>& scaleFile,
                         const std::vector<std::optional<std::string>>& resultsDirs,
                         const std::vector<std::string>& summaryFiles,
                         const std::vector<std::optional<std::string>>& figuresDirs = {});

// The path as the file system compares names: absolute, with its links and
// "." and ".." steps resolved as far as it exists, and case-folded on Windows.
std::string comparablePath(const std::string& path);

// Refuses, before anything is written, a write onto a path that is read or
// written by another role, and anything inside a results folder other than
// the folder's own files: InputError with one line naming both roles.
void refuseCollidingPaths(const RunPaths& paths);

}  // namespace tl
