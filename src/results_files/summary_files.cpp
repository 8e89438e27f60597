#include "results_files/summary_files.h"

#include <utility>

#include "platform/atomic_file.h"
#include "platform/file_names.h"

namespace tl {

void writeProgramSummary(const std::vector<TestSummary>& tests, const std::filesystem::path& dir) {
    // Composed first: a summary that cannot be written leaves the old one whole.
    std::vector<std::pair<std::string, std::string>> files;
    const std::vector<std::string>& names = summaryFileNames();
    files.emplace_back(names[0], composeSummaryCsv(tests));
    files.emplace_back(names[1], composeSummaryCutsCsv(tests));
    files.emplace_back(names[2], composeSummaryGroupsCsv(tests));
    files.emplace_back(names[3], composeSummaryJson(tests));
    files.emplace_back(names[4], composeProgramIndexHtml(tests));
    for (const auto& [name, content] : files)
        writeFileAtomically(fileNameText(dir / name), content, "summary file");
}

}  // namespace tl
