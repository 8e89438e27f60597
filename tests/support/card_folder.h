#pragma once

// A whole analysis, tables included, of the card.txt in a folder whose data
// files it names relative to that folder (a bundled example or a scratch copy
// of a recorded case).

#include <filesystem>
#include <stdexcept>

#include "analysis/analyze.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "platform/text_file.h"
#include "support/program_run.h"

namespace tl::testing {

inline Results analyzeCardFolder(const std::filesystem::path& folder) {
    const WorkingDirectory inside(folder);
    const auto text = readTextFile("card.txt");
    if (!text) throw std::runtime_error("no card.txt in " + folder.string());
    const ControlCard card = readControlCard(*text, "card.txt");
    FileDataSource data(card);
    AnalysisOptions options;
    options.tables = true;
    return analyze(card, data, options);
}

}  // namespace tl::testing
