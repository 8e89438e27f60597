// The ThreadSanitizer stage's list of threaded tests names only tests that
// exist: a renamed suite fails here instead of leaving that stage unseen.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// gtest's pattern matching: '*' any run of characters, '?' any one.
bool matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (matches(pattern.substr(1), name.substr(skip))) return true;
        }
        return false;
    }
    return !name.empty() && (pattern.front() == '?' || pattern.front() == name.front()) &&
           matches(pattern.substr(1), name.substr(1));
}

std::vector<std::string> testNames() {
    std::vector<std::string> names;
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t)
            names.push_back(std::string(suite.name()) + "." + suite.GetTestInfo(t)->name());
    }
    return names;
}

TEST(ThreadedTests, EachEntryNamesATest) {
    std::ifstream list(TESSERLINK_THREADED_TESTS);
    ASSERT_TRUE(list) << TESSERLINK_THREADED_TESTS;
    const std::vector<std::string> names = testNames();
    std::string entry;
    int entries = 0;
    while (std::getline(list, entry)) {
        if (entry.empty() || entry.front() == '#') continue;
        ++entries;
        // A suite or a test by its name, not a fragment that another name may match.
        EXPECT_NE(entry.front(), '*') << entry;
        bool found = false;
        for (const std::string& name : names) found = found || matches(entry, name);
        EXPECT_TRUE(found) << entry << " names no test; rename it in the list with its suite";
    }
    EXPECT_GT(entries, 0);
}

}  // namespace
