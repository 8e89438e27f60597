#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tl {

// One test of a testing program: a file as given, or one of the other cut
// sets an analysis file lists ([[classification.alternatives]]), run over
// the same file with those cuts in place of its own.
struct ProgramTest {
    std::string file;
    std::string name;  // the file, or "FILE#SET": its console prefix and summary row
    // The path its results folder is named after: the file's, or for a cut
    // set the file's with "-SET" after its stem.
    std::string folderPath;
    std::optional<std::vector<double>> cuts;
    std::optional<std::vector<double>> trueCuts;
    bool alternative() const { return cuts.has_value(); }
};

// The tests of a program over `files`, in command-line order, each file's cut
// sets after it. The cut sets run only where each test has a results folder
// (`withResults`): a cut set writes its folder and summary row and no report,
// so that it never writes over the file's own report. A file that cannot be
// read is a test alone, which reports the mistake.
std::vector<ProgramTest> programTests(const std::vector<std::string>& files, bool withResults);

// Whether `file` is an analysis file that lists other cut sets.
bool listsCutSets(const std::string& file);

}  // namespace tl
