#include "plan/run_paths.h"

#include <filesystem>
#include <system_error>

#include "core/errors.h"
#include "core/one_line.h"
#include "input/control_card_reader.h"
#include "platform/file_names.h"
#include "platform/text_file.h"

#ifdef _WIN32
#include <cwctype>
#endif

namespace tl {

namespace {

namespace fs = std::filesystem;

std::string dataRole(std::size_t set, std::size_t sets, const std::string& file) {
    return sets > 1 ? "the data file of set " + std::to_string(set + 1) + " of " + file
                    : "the data file of " + file;
}

void addOutputs(RunPaths& paths, const std::string& file, const std::optional<std::string>& report,
                const std::optional<std::string>& resultsDir,
                const std::optional<std::string>& figuresDir) {
    if (report && !report->empty())
        paths.push_back({*report, "the report of " + file, PathUse::Write});
    if (resultsDir)
        paths.push_back({*resultsDir, "the results folder of " + file, PathUse::Folder});
    if (figuresDir)
        paths.push_back({*figuresDir, "the figures folder of " + file, PathUse::Folder});
}

RunPaths testPaths(const std::string& file, const std::optional<std::string>& scaleFile,
                   const std::optional<std::string>& resultsDir,
                   const std::optional<std::string>& figuresDir) {
    try {
        const std::optional<std::string> text = readTextFile(file);
        if (text && isAnalysisFileName(file)) {
            const AnalysisFile analysis = readAnalysisFile(*text, file);
            return analysisRunPaths(analysis, scaleFile,
                                    resultsDir ? resultsDir : analysis.resultsDir,
                                    figuresDir ? figuresDir : analysis.figuresDir);
        }
        if (text) {
            return cardRunPaths(readControlCard(*text, file), file, scaleFile, resultsDir,
                                figuresDir);
        }
    } catch (const InputError&) {
    } catch (const DetectedError&) {
    }
    return {{file, "the file " + file, PathUse::Read}};
}

struct Compared {
    const RunPath* given;
    std::string path;  // comparablePath of it
};

bool same(const Compared& a, const Compared& b) {
    if (a.path == b.path) return true;
    // Hard links: two names, one file.
    std::error_code error;
    return fs::equivalent(filePathOf(a.given->path), filePathOf(b.given->path), error) && !error;
}

bool inside(const Compared& inner, const Compared& folder) {
    const std::string& f = folder.path;
    const std::size_t length = f.size() - (!f.empty() && (f.back() == '/' || f.back() == '\\'));
    return inner.path.size() > length + 1 && inner.path.compare(0, length, f, 0, length) == 0 &&
           (inner.path[length] == '/' || inner.path[length] == '\\');
}

[[noreturn]] void refuse(const std::string& text) {
    Finding finding;
    finding.code = FindingCode::OutputUnsafe;
    finding.text = oneLine(text);
    throw InputError(std::move(finding));
}

}  // namespace

RunPaths cardRunPaths(const ControlCard& card, const std::string& cardFile,
                      const std::optional<std::string>& scaleFile,
                      const std::optional<std::string>& resultsDir,
                      const std::optional<std::string>& figuresDir) {
    RunPaths paths{{cardFile, "the control card " + cardFile, PathUse::Read}};
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        paths.push_back({card.itemSets[s].dataFile, dataRole(s, card.itemSets.size(), cardFile),
                         PathUse::Read});
    }
    if (scaleFile) paths.push_back({*scaleFile, "the --scale table", PathUse::Read});
    addOutputs(paths, cardFile, card.outputFile, resultsDir, figuresDir);
    return paths;
}

RunPaths analysisRunPaths(const AnalysisFile& file, const std::optional<std::string>& scaleFile,
                          const std::optional<std::string>& resultsDir,
                          const std::optional<std::string>& figuresDir) {
    RunPaths paths{{file.path, "the analysis file " + file.path, PathUse::Read}};
    if (file.table) {
        paths.push_back({file.table->source.path, "the data table of " + file.path, PathUse::Read});
    }
    for (std::size_t s = 0; s < file.dataPaths.size(); ++s) {
        paths.push_back(
            {file.dataPaths[s], dataRole(s, file.dataPaths.size(), file.path), PathUse::Read});
    }
    if (scaleFile) {
        paths.push_back({*scaleFile, "the --scale table", PathUse::Read});
    } else if (file.scale && file.scale->tablePath) {
        paths.push_back(
            {*file.scale->tablePath, "the conversion table of " + file.path, PathUse::Read});
    }
    addOutputs(paths, file.path, file.reportPath, resultsDir, figuresDir);
    return paths;
}

RunPaths programRunPaths(const std::vector<std::string>& files,
                         const std::optional<std::string>& scaleFile,
                         const std::vector<std::optional<std::string>>& resultsDirs,
                         const std::vector<std::string>& summaryFiles,
                         const std::vector<std::optional<std::string>>& figuresDirs) {
    RunPaths paths;
    for (std::size_t t = 0; t < files.size(); ++t) {
        const RunPaths test =
            testPaths(files[t], scaleFile, t < resultsDirs.size() ? resultsDirs[t] : std::nullopt,
                      t < figuresDirs.size() ? figuresDirs[t] : std::nullopt);
        paths.insert(paths.end(), test.begin(), test.end());
    }
    for (const std::string& summary : summaryFiles)
        paths.push_back({summary, "the program's summary " + summary, PathUse::Write});
    return paths;
}

std::string comparablePath(const std::string& path) {
    std::error_code error;
    fs::path full = fs::absolute(filePathOf(path), error);
    if (error) return path;
    const fs::path resolved = fs::weakly_canonical(full, error);
    if (!error) full = resolved;
    full = full.lexically_normal();
    // "out/" is the folder "out".
    if (!full.has_filename() && full.has_relative_path()) full = full.parent_path();
#ifdef _WIN32
    std::wstring wide = full.wstring();
    for (wchar_t& c : wide) c = static_cast<wchar_t>(std::towlower(c));
    return fileNameText(fs::path(wide));
#else
    return fileNameText(full);
#endif
}

void refuseCollidingPaths(const RunPaths& paths) {
    std::vector<Compared> compared;
    compared.reserve(paths.size());
    for (const RunPath& path : paths) {
        if (!path.path.empty()) compared.push_back({&path, comparablePath(path.path)});
    }
    for (std::size_t w = 0; w < compared.size(); ++w) {
        const RunPath& written = *compared[w].given;
        if (written.use == PathUse::Read) continue;
        for (std::size_t o = 0; o < compared.size(); ++o) {
            if (o == w) continue;
            const RunPath& other = *compared[o].given;
            if (same(compared[w], compared[o])) {
                refuse(written.role == other.role
                           ? written.role + " is written twice (" + written.path +
                                 "): give the file only once"
                           : written.role + " is " + other.role + " (" + written.path +
                                 "): give one of them another name");
            }
            if (written.use == PathUse::Folder && inside(compared[o], compared[w])) {
                refuse(other.role + " is in " + written.role + " (" + written.path +
                       "), which a run replaces whole: move it, or name another folder");
            }
        }
    }
}

}  // namespace tl
