// The results folder: its files, created where missing, refused where the
// name is not a folder, old copies replaced whole. (The bundled examples'
// folders are checked against the program in examples_test.)
#include "results_files/results_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/errors.h"
#include "support/results_files.h"

namespace fs = std::filesystem;

namespace tl {
namespace {

const std::set<std::string> kFiles = {
    "results.json",          "overall.csv",     "cuts.csv",   "true_by_observed.csv",
    "consistency_table.csv", "conditional.csv", "csem.csv",   "per_category.csv",
    "agreement.csv",         "examinees.csv",   "report.html"};

std::set<std::string> namesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

class ResultsFolder : public ::testing::Test {
  protected:
    void TearDown() override { fs::remove_all(scratch); }
    const fs::path scratch = testing::makeScratchDirectory("results-folder");
    const Results& run = testing::analysedRun("fixture/valid-02");
};

TEST_F(ResultsFolder, IsCreatedWithItsParentsAndHoldsTheFilesOnly) {
    const fs::path dir = scratch / "a" / "b";
    writeResultsDirectory(run, dir);
    EXPECT_EQ(namesIn(dir), kFiles);
    for (const std::string& name : kFiles) EXPECT_GT(fs::file_size(dir / name), 0u) << name;
}

TEST_F(ResultsFolder, ReplacesOldCopiesAndLeavesOtherFiles) {
    writeResultsDirectory(run, scratch);
    testing::writeFile(scratch / "overall.csv", "stale");
    testing::writeFile(scratch / "notes.txt", "mine");
    writeResultsDirectory(run, scratch);
    EXPECT_NE(testing::readFile(scratch / "overall.csv"), "stale");
    EXPECT_EQ(testing::readFile(scratch / "notes.txt"), "mine");
    std::set<std::string> expected = kFiles;
    expected.insert("notes.txt");
    EXPECT_EQ(namesIn(scratch), expected);  // no temporary left beside them
}

TEST_F(ResultsFolder, NamingAFileIsAOneLineErrorThatWritesNothing) {
    for (const fs::path& target : {scratch / "taken", scratch / "taken" / "below"}) {
        testing::writeFile(scratch / "taken", "a file");
        try {
            writeResultsDirectory(run, target);
            ADD_FAILURE() << "no error for " << target;
        } catch (const InputError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find((scratch / "taken").string()), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos);
        }
        EXPECT_EQ(testing::readFile(scratch / "taken"), "a file");
        EXPECT_EQ(namesIn(scratch), std::set<std::string>{"taken"});
    }
}

TEST_F(ResultsFolder, NeedsTheTables) {
    Results withoutTables = run;
    withoutTables.tables.reset();
    EXPECT_THROW(writeResultsDirectory(withoutTables, scratch / "out"), std::invalid_argument);
    EXPECT_FALSE(fs::exists(scratch / "out"));
}

}  // namespace
}  // namespace tl
