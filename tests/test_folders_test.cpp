// The results folder of each test of a testing program: the stem, or the path
// where stems collide, always one safe folder name, never two alike.
#include "app/test_folders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tl {
namespace {

struct FolderCase {
    std::string name;
    std::vector<std::string> files;
    std::vector<std::string> folders;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

class TestFolders : public ::testing::TestWithParam<FolderCase> {};

TEST_P(TestFolders, FollowTheRule) {
    EXPECT_EQ(testFolderNames(GetParam().files), GetParam().folders);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TestFolders,
    ::testing::Values(
        FolderCase{"StemsWhenDistinct",
                   {"g3math.toml", "grade4/g4math.toml", "/data/g5read.txt"},
                   {"g3math", "g4math", "g5read"}},
        FolderCase{"PathsWhereStemsCollide",
                   {"gcbs/analysis.toml", "mathexam/analysis.toml", "g5.toml"},
                   {"gcbs_analysis", "mathexam_analysis", "g5"}},
        FolderCase{"CollisionAcrossExtensions",
                   {"math/card.txt", "math/card.toml"},
                   {"math_card", "math_card-2"}},
        FolderCase{"CaseDoesNotSeparate", {"a/Math.toml", "b/math.toml"}, {"a_Math", "b_math"}},
        FolderCase{"CurrentFolderStepsDropped", {"./x/./t.toml", "y/t.toml"}, {"x_t", "y_t"}},
        FolderCase{"AbsolutePathsLoseTheirRoot",
                   {"/srv/2026/t.toml", "/srv/2025/t.toml"},
                   {"srv_2026_t", "srv_2025_t"}},
        FolderCase{"ParentStepsStaySafe", {"../t.toml", "t.toml"}, {"___t", "t"}},
        FolderCase{"SameFileTwiceNumbered", {"t.toml", "t.toml", "t.toml"}, {"t", "t-2", "t-3"}},
        FolderCase{"JoinedPathMeetingAStem",
                   {"a_b.toml", "a/b.toml", "c/b.toml"},
                   {"a_b", "a_b-2", "c_b"}},
        FolderCase{"SummaryNamesAreNotTaken",
                   {"index.html.toml", "summary.json.txt"},
                   {"index.html_", "summary.json_"}},
        FolderCase{"DeviceNamesOfWindows",
                   {"con.toml", "LPT1.txt", "com10.toml"},
                   {"con_", "LPT1_", "com10"}},
        FolderCase{"HiddenAndTrailingDots", {".hidden.x.toml", "x..toml"}, {"_hidden.x", "x_"}},
        FolderCase{"UnsafeCharacters",
                   {"a:b.toml", "q?*.toml", "tab\there.toml"},
                   {"a_b", "q__", "tab_here"}},
        FolderCase{"NonAsciiKept", {"Mathe-Prüfung.toml"}, {"Mathe-Prüfung"}}),
    [](const auto& info) { return info.param.name; });

TEST(SafeFolderName, EmptyBecomesUnderscore) {
    EXPECT_EQ(safeFolderName(""), "_");
    EXPECT_EQ(safeFolderName(".."), "__");
}

}  // namespace
}  // namespace tl
