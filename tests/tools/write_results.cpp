// tesserlink_write_results <card-folder> <results-folder>: analyses the
// card.txt of a folder and writes its results folder. Regenerates the bundled
// examples' results (scripts/update-example-results).
#include <filesystem>
#include <iostream>

#include "core/errors.h"
#include "report/results_directory.h"
#include "support/card_folder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tesserlink_write_results <card-folder> <results-folder>\n";
        return 2;
    }
    try {
        const std::filesystem::path out = std::filesystem::absolute(argv[2]);
        tl::writeResultsDirectory(tl::testing::analyzeCardFolder(argv[1]), out);
    } catch (const tl::DetectedError& e) {
        std::cerr << e.consoleLine << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    return 0;
}
