#include "run/program_tests.h"

#include "analysis/prepared_file.h"
#include "core/errors.h"
#include "platform/file_names.h"

namespace tl {

namespace {

std::vector<CutSet> cutSetsOf(const std::string& file) {
    if (!isAnalysisFileName(file)) return {};
    try {
        return readAnalysisFileAt(file).alternatives;
    } catch (const InputError&) {
        return {};  // the file's own test reports it
    }
}

}  // namespace

std::vector<ProgramTest> programTests(const std::vector<std::string>& files, bool withResults) {
    std::vector<ProgramTest> tests;
    for (const std::string& file : files) {
        tests.push_back({file, file, file, std::nullopt, std::nullopt});
        if (!withResults) continue;
        for (const CutSet& set : cutSetsOf(file)) {
            std::filesystem::path folder = filePathOf(file);
            folder.replace_filename(fileNameText(folder.stem()) + "-" + set.name +
                                    fileNameText(folder.extension()));
            tests.push_back({file, file + "#" + set.name, fileNameText(folder), set.observedCuts,
                             set.trueCuts});
        }
    }
    return tests;
}

bool listsCutSets(const std::string& file) {
    return !cutSetsOf(file).empty();
}

}  // namespace tl
