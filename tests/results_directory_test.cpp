// The results folder: its files, created where missing, refused where the
// name is not a folder, old copies replaced whole. (The bundled examples'
// folders are checked against the program in examples_test.)
#include "results_files/results_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/errors.h"
#include "results_files/results_transaction.h"
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

TEST_F(ResultsFolder, IsReplacedWholeWithNothingLeftBeside) {
    const fs::path dir = scratch / "out";
    writeResultsDirectory(run, dir);
    testing::writeFile(dir / "overall.csv", "stale");
    testing::writeFile(dir / "groups.csv", "from an earlier run with groups");
    writeResultsDirectory(run, dir);
    EXPECT_NE(testing::readFile(dir / "overall.csv"), "stale");
    EXPECT_EQ(namesIn(dir), kFiles);  // the earlier run's groups.csv went with its folder
    EXPECT_EQ(namesIn(scratch), std::set<std::string>{"out"});  // no temporary, no lock
}

TEST_F(ResultsFolder, HoldingAnyOtherFileIsRefusedAndKept) {
    const fs::path dir = scratch / "out";
    for (const char* other : {"notes.txt", "sub/"}) {
        fs::remove_all(dir);
        fs::create_directory(dir);
        testing::writeFile(dir / "overall.csv", "old");
        const std::string name = std::string(other).substr(0, std::string(other).find('/'));
        if (std::string(other).ends_with("/"))
            fs::create_directory(dir / name);
        else
            testing::writeFile(dir / name, "mine");
        try {
            writeResultsDirectory(run, dir);
            ADD_FAILURE() << "no error for " << other;
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find("holds " + name + ", which is not a results file"),
                      std::string::npos)
                << e.what();
        }
        EXPECT_EQ(namesIn(dir), (std::set<std::string>{"overall.csv", name}));
        EXPECT_EQ(testing::readFile(dir / "overall.csv"), "old");
        EXPECT_EQ(namesIn(scratch), std::set<std::string>{"out"});
    }
}

TEST_F(ResultsFolder, ReplacesOneWithTemporaryFilesOfAKilledRun) {
    const fs::path dir = scratch / "out";
    fs::create_directory(dir);
    testing::writeFile(dir / ".examinees.csv.Ab12Cd", "half a file");  // written file by file
    testing::writeFile(dir / ".results.json.tesserlink-x1y2z3", "{");
    writeResultsDirectory(run, dir);
    EXPECT_EQ(namesIn(dir), kFiles);
}

TEST_F(ResultsFolder, LeftoversOfAKilledRunAreRemovedAndAFolderMovedAsideComesBack) {
    const fs::path dir = scratch / "out";
    writeResultsDirectory(run, dir);
    const std::string json = testing::readFile(dir / "results.json");
    // A run killed between its two renames, where the system cannot exchange
    // two folders: the old folder aside, the new one half written.
    fs::rename(dir, scratch / ".out.tesserlink-old-abc123");
    fs::create_directory(scratch / ".out.tesserlink-new-def456");
    testing::writeFile(scratch / ".out.tesserlink-new-def456" / "results.json", "{");
    testing::writeFile(scratch / ".out.tesserlink-lock", "999999999\n");
    testing::writeFile(scratch / ".other.tesserlink-new-ghi789", "not ours to touch");
    std::vector<std::string> notes;
    {
        OutputTransaction outputs(std::nullopt, dir.string(),
                                  [&](const std::string& text) { notes.push_back(text); });
        EXPECT_EQ(testing::readFile(dir / "results.json"), json);  // back before anything else
        outputs.commit(run, {});
    }
    EXPECT_EQ(namesIn(dir), kFiles);
    EXPECT_EQ(namesIn(scratch), (std::set<std::string>{"out", ".other.tesserlink-new-ghi789"}));
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_NE(notes[0].find("from process 999999999"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find("back from .out.tesserlink-old-abc123"), std::string::npos) << notes[1];
    EXPECT_NE(notes[2].find("removed "), std::string::npos) << notes[2];
    EXPECT_NE(notes[2].find(".out.tesserlink-new-def456"), std::string::npos) << notes[2];
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
