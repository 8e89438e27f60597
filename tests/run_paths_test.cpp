// The paths of a run compared as the file system compares them: a write onto
// a read, two writes onto one path, or anything inside a results folder is
// refused with one line naming both roles; and the names of the temporary
// files beside an output.
#include "plan/run_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/errors.h"
#include "platform/temporary_names.h"
#include "support/program_run.h"

namespace fs = std::filesystem;

namespace tl {
namespace {

struct Row {
    const char* name;
    RunPaths paths;
    const char* refusal;  // empty: accepted
};

RunPath read(const char* path, const char* role) {
    return {path, role, PathUse::Read};
}
RunPath write(const char* path, const char* role) {
    return {path, role, PathUse::Write};
}
RunPath folder(const char* path, const char* role) {
    return {path, role, PathUse::Folder};
}

const std::vector<Row>& rows() {
    static const std::vector<Row> table{
        {"DistinctPaths", {read("a.dat", "A"), write("r.out", "R"), folder("out", "F")}, ""},
        {"OneFileReadTwice", {read("a.dat", "A"), read("./a.dat", "B"), write("r.out", "R")}, ""},
        {"WriteOntoARead", {read("a.dat", "A"), write("a.dat", "R")}, "R is A (a.dat)"},
        {"WriteOntoAReadByAnotherSpelling",
         {read("sub/../a.dat", "A"), write("./a.dat", "R")},
         "R is A (./a.dat)"},
        {"WriteOntoAReadThroughALink", {read("a.dat", "A"), write("link.dat", "R")}, "R is A"},
        {"WriteOntoAReadThroughAHardLink", {read("a.dat", "A"), write("hard.dat", "R")}, "R is A"},
        {"TwoWrites", {write("r.out", "R"), write("r.out", "S")}, "R is S (r.out)"},
        {"OneRoleTwice", {write("r.out", "R"), write("r.out", "R")}, "R is written twice (r.out)"},
        {"FolderOntoAFile", {read("a.dat", "A"), folder("a.dat", "F")}, "F is A (a.dat)"},
        {"TwoFolders", {folder("out", "F"), folder("out/", "G")}, "F is G (out)"},
        {"ReadInsideAFolder",
         {read("out/examinees.csv", "A"), folder("out", "F")},
         "A is in F (out), which a run replaces whole"},
        {"WriteInsideAFolder",
         {folder("out", "F"), write("out/sub/r.out", "R")},
         "R is in F (out)"},
        {"FolderInsideAFolder", {folder("out", "F"), folder("out/inner", "G")}, "G is in F (out)"},
        {"ANameThatOnlyBeginsAlike", {folder("out", "F"), read("outside.dat", "A")}, ""},
        {"FolderOverItsParent", {folder("sub", "F"), read("sub/../a.dat", "A")}, ""},
    };
    return table;
}

class OutputPaths : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        fs::create_directory(dir_ / "sub");
        testing::writeFile(dir_ / "a.dat", "1\n");
        fs::create_symlink("a.dat", dir_ / "link.dat");
        fs::create_hard_link(dir_ / "a.dat", dir_ / "hard.dat");
    }
    void TearDown() override { fs::remove_all(dir_); }
    const fs::path dir_ = testing::makeScratchDirectory("run-paths");
};

TEST_P(OutputPaths, AreRefusedOnlyWhereTheyMeet) {
    const testing::WorkingDirectory inside(dir_);
    const Row& row = GetParam();
    if (std::string(row.refusal).empty()) {
        EXPECT_NO_THROW(refuseCollidingPaths(row.paths));
        return;
    }
    try {
        refuseCollidingPaths(row.paths);
        ADD_FAILURE() << "accepted";
    } catch (const InputError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind(row.refusal, 0), 0u) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, OutputPaths, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TemporaryNames, AreRecognisedForTheirOutputOnly) {
    const std::string name = temporaryName("out", "new-abc123");
    EXPECT_EQ(name, ".out.tesserlink-new-abc123");
    EXPECT_TRUE(isTemporaryOf(name, "out"));
    EXPECT_TRUE(isTemporaryOf(temporaryName("out", "x1y2z3"), "out"));
    EXPECT_FALSE(isTemporaryOf(lockFileName("out"), "out"));
    EXPECT_FALSE(isTemporaryOf(name, "ou"));
    EXPECT_FALSE(isTemporaryOf(name, "out2"));
    EXPECT_FALSE(isTemporaryOf(".out.abc123", "out"));
    EXPECT_FALSE(isTemporaryOf("out", "out"));
}

TEST(TemporaryNames, KeepWithinAFileNameAtACharacterBoundary) {
    for (std::size_t length : {200u, 232u, 233u, 250u, 255u}) {
        std::string base(length - 2, 'a');
        base += "\xC3\xA9";  // é: two bytes that must stay together
        const std::string name = temporaryName(base, "old-abc123");
        EXPECT_LE(name.size(), 255u) << length;
        EXPECT_TRUE(isTemporaryOf(name, base)) << length;
        const std::string kept = name.substr(1, name.find(".tesserlink-") - 1);
        EXPECT_EQ(base.compare(0, kept.size(), kept), 0);
        EXPECT_NE(static_cast<unsigned char>(kept.back()), 0xC3u) << "a character cut in two";
    }
}

}  // namespace
}  // namespace tl
