#include "results_files/results_transaction.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/errors.h"
#include "platform/atomic_file.h"
#include "platform/file_names.h"
#include "platform/png_converter.h"
#include "platform/temporary_names.h"
#include "results_files/figure_files.h"
#include "results_files/results_directory.h"

namespace tl {

namespace {

namespace fs = std::filesystem;

fs::path parentOf(const std::string& path) {
    const fs::path parent = filePathOf(path).parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

bool present(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// What a killed run left beside `target`: its temporaries, and the old folder
// it had moved aside when `target` is missing, which goes back first.
void clearLeftovers(const std::string& target, const std::string& kind,
                    const OutputTransaction::Notes& note) {
    const fs::path parent = parentOf(target);
    const std::string base = fileNameText(filePathOf(target).filename());
    std::error_code error;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
        if (isTemporaryOf(fileNameText(it->path().filename()), base)) found.push_back(it->path());
    }
    // A folder moved aside goes back before the rest is removed.
    const std::string old = temporaryName(base, "old-");
    std::sort(found.begin(), found.end());
    std::stable_partition(found.begin(), found.end(), [&](const fs::path& path) {
        return fileNameText(path.filename()).starts_with(old);
    });
    for (const fs::path& path : found) {
        const std::string name = fileNameText(path.filename());
        if (name.starts_with(old) && !present(filePathOf(target))) {
            fs::rename(path, filePathOf(target), error);
            if (!error && note) {
                note("moved the " + kind + " " + target + " back from " + name +
                     ", where a run that did not finish had left it");
                continue;
            }
        }
        fs::remove_all(path, error);
        if (note) {
            note((error ? "cannot remove " : "removed ") + fileNameText(path) +
                 ", left by a run that did not finish" + (error ? ": " + error.message() : ""));
        }
    }
}

// A results file, or a temporary one of it that a run killed while it wrote
// the folder file by file (as earlier versions did) left there.
bool isResultsFileOrItsTemporary(const std::string& name) {
    for (const std::string& file : resultsFileNames()) {
        if (name == file || isTemporaryOf(name, file)) return true;
        const bool mkstemp = name.size() == file.size() + 8 && name.starts_with("." + file + ".");
        if (mkstemp) return true;
    }
    return false;
}

// A figure, or a temporary one of it that a killed run left there.
bool isFigureFileOrItsTemporary(const std::string& name) {
    if (isFigureFileName(name)) return true;
    const std::size_t mark = name.find(".tesserlink-");
    return name.starts_with(".") && mark != std::string::npos &&
           isFigureFileName(name.substr(1, mark - 1)) &&
           isTemporaryOf(name, name.substr(1, mark - 1));
}

// A results folder's folder of further models' results (models/NAME/FILE),
// as a run of several models writes it.
bool isModelsFolder(const fs::path& path) {
    if (fileNameText(path.filename()) != kModelsFolder) return false;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_directory(error) || !isModelName(fileNameText(it->path().filename())))
            return false;
        for (fs::directory_iterator file(it->path(), error); !error && file != end;
             file.increment(error)) {
            if (!(file->is_regular_file(error) &&
                  isResultsFileOrItsTemporary(fileNameText(file->path().filename()))))
                return false;
        }
    }
    return !error;
}

// Refuses a folder at `dir` that is not a folder of `kind` (a results folder,
// a figures folder): its other files would go with it. `ours` tells the names
// such a folder holds, each `fileKind`; `oursFolder`, when given, the folders.
void checkReplaceable(const std::string& dir, const std::string& kind,
                      bool (*ours)(const std::string&), const std::string& fileKind,
                      bool (*oursFolder)(const fs::path&) = nullptr) {
    const fs::path path = filePathOf(dir);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return;
    if (!fs::is_directory(status)) {
        throw InputError("the " + kind + " " + dir + " is not a directory");
    }
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        const std::string name = fileNameText(it->path().filename());
        if (oursFolder && it->is_directory(error) && oursFolder(it->path())) continue;
        if (!(it->is_regular_file(error) && ours(name))) {
            throw InputError("the " + kind + " " + dir + " holds " + name + ", which is not " +
                             fileKind +
                             "; a run replaces the folder whole: move it, or name another folder");
        }
    }
    if (error) throw InputError("cannot read the " + kind + " " + dir + ": " + error.message());
}

// Creates the missing folders above `dir`; returns those it created, the
// deepest last, so that a failure can take them back.
std::vector<fs::path> makeParents(const std::string& dir, const std::string& kind) {
    std::vector<fs::path> missing;
    for (fs::path p = filePathOf(dir).parent_path(); !p.empty() && !present(p);
         p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    std::reverse(missing.begin(), missing.end());
    std::vector<fs::path> made;
    for (const fs::path& p : missing) {
        std::error_code error;
        if (!fs::create_directory(p, error) && error) {
            for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove(*it, error);
            throw InputError("cannot create the " + kind + " " + dir + ": " + fileNameText(p) +
                             ": " + error.message());
        }
        made.push_back(p);
    }
    return made;
}

// An error about a file of the staging folder `staged`, named where it was
// to go, not in the folder that is removed.
InputError placedError(const InputError& error, const std::string& staged,
                       const std::string& target) {
    std::string message = error.what();
    if (const std::size_t at = message.find(staged); at != std::string::npos)
        message.replace(at, staged.size(), target);
    return InputError(message);
}

// The PNG copy of each SVG figure in `folder`, where a converter is installed.
void addPngCopies(const std::string& folder, const std::vector<std::string>& svgNames) {
    const std::optional<std::string> converter = findPngConverter();
    if (!converter) return;
    for (const std::string& name : svgNames) {
        const std::string svg = fileNameText(filePathOf(folder) / name);
        convertSvgToPng(*converter, svg, svg.substr(0, svg.size() - 4) + ".png");
    }
}

}  // namespace

OutputTransaction::OutputTransaction(std::optional<std::string> report,
                                     std::optional<std::string> resultsDir, Notes note,
                                     std::optional<std::string> figuresDir)
    : note_(std::move(note)) {
    if (report) report_ = Output{*report, "report file", nullptr};
    if (resultsDir) folder_ = folderOutput(*resultsDir, "results directory");
    if (figuresDir) figures_ = folderOutput(*figuresDir, "figures directory");
}

OutputTransaction::Output OutputTransaction::folderOutput(const std::string& path,
                                                          const std::string& kind) {
    std::string dir = path;
    // A link to a folder stays a link: the folder it leads to is replaced.
    std::error_code error;
    if (fs::is_symlink(filePathOf(dir), error)) {
        const fs::path resolved = fs::canonical(filePathOf(dir), error);
        if (!error) dir = fileNameText(resolved);
    }
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    Output output{dir, kind, nullptr};
    if (present(parentOf(dir))) take(output);
    return output;
}

OutputTransaction::~OutputTransaction() = default;

void OutputTransaction::take(Output& output) {
    if (output.lock) return;
    output.lock = std::make_unique<OutputLock>(output.path, output.kind);
    if (const auto holder = output.lock->staleHolder(); holder && note_) {
        note_("took over the lock of the " + output.kind + " " + output.path + " from process " +
              *holder + ", which has ended");
    }
    clearLeftovers(output.path, output.kind, note_);
}

void OutputTransaction::commit(const Results& results, std::string_view reportText) {
    // Everything is composed first: a run that cannot be written leaves the
    // folders as they were.
    std::vector<std::pair<std::string, std::string>> files;
    if (folder_) files = composeResultsFiles(results);
    std::vector<std::pair<std::string, std::string>> figures;
    if (figures_) figures = composeFigureFiles(results);

    // A folder put in place, and the old one it replaced, moved aside.
    struct Placed {
        const Output* output;
        std::optional<std::string> old;
    };
    std::vector<Placed> placed;
    std::optional<StagedFile> report;
    std::optional<std::string> staged;
    std::vector<fs::path> parents;
    const auto place = [&](Output& output,
                           std::vector<std::pair<std::string, std::string>>& content,
                           bool (*ours)(const std::string&), const std::string& fileKind,
                           bool pngCopies, bool (*oursFolder)(const fs::path&)) {
        checkReplaceable(output.path, output.kind, ours, "a " + fileKind, oursFolder);
        const std::vector<fs::path> made = makeParents(output.path, output.kind);
        parents.insert(parents.end(), made.begin(), made.end());
        take(output);
        staged = makeStagingFolder(output.path, output.kind);
        std::vector<std::string> names;
        try {
            for (auto& [name, text] : content) {
                const fs::path path = filePathOf(*staged) / filePathOf(name);
                if (name.find('/') != std::string::npos) {
                    std::error_code error;
                    fs::create_directories(path.parent_path(), error);
                    if (error)
                        throw InputError("cannot create " + fileNameText(path.parent_path()) +
                                         ": " + error.message());
                }
                writeFileAtomically(fileNameText(path), text, fileKind);
                text = std::string();  // a million examinees' rows need not stay
                names.push_back(name);
            }
            if (pngCopies) addPngCopies(*staged, names);
        } catch (const InputError& error) {
            throw placedError(error, *staged, output.path);
        }
        placed.push_back({&output, replaceFolder(*staged, output.path, output.kind)});
        staged.reset();
    };
    try {
        if (report_) {
            take(*report_);
            report = stageFile(report_->path, reportText, report_->kind);
        }
        if (folder_)
            place(*folder_, files, isResultsFileOrItsTemporary, "results file", false,
                  isModelsFolder);
        if (figures_)
            place(*figures_, figures, isFigureFileOrItsTemporary, "figure", true, nullptr);
        if (report) {
            const StagedFile file = *report;
            report.reset();
            commitStagedFile(file);
        }
    } catch (...) {
        std::error_code error;
        if (report) discardStagedFile(*report);
        if (staged) fs::remove_all(filePathOf(*staged), error);
        // What could not follow a folder put in place: the old folder goes back.
        for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
            const Output& output = *it->output;
            if (!it->old) {
                fs::remove_all(filePathOf(output.path), error);
                continue;
            }
            try {
                const auto swapped = replaceFolder(*it->old, output.path, output.kind);
                if (swapped) fs::remove_all(filePathOf(*swapped), error);
            } catch (const InputError&) {
                // Nothing more to try: the new folder stays, and the error is the
                // one that stopped the run.
            }
        }
        for (auto it = parents.rbegin(); it != parents.rend(); ++it) fs::remove(*it, error);
        throw;
    }
    for (const Placed& folder : placed) {
        std::error_code error;
        if (folder.old) fs::remove_all(filePathOf(*folder.old), error);
    }
}

}  // namespace tl
