// Runs that share a table: however many ask at once, the table is read once,
// each gets that one source, it is let go when its last user has it, and a
// table that cannot be read fails every user.
#include "analysis/shared_tables.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/program_run.h"

namespace tl {
namespace {

class SharedTablesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::makeScratchDirectory("shared-tables");
        testing::writeFile(dir_ / "t.csv", "id,a,b\n1,0,1\n2,1,1\n");
        file_ = readAnalysisFile(
            "[data]\nfile = \"t.csv\"\n[[sets]]\nitems = \"a:b\"\npoints = [0, 1]\n"
            "[classification]\nobserved_cuts = [1]\n[output]\nreport = \"r.out\"\n",
            (dir_ / "a.toml").string());
        columns_ = resolveColumns(file_, readTableHeader(file_.table->source));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::shared_ptr<TableDataSource> read() {
        ++reads_;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::make_shared<TableDataSource>(file_, columns_);
    }

    std::filesystem::path dir_;
    AnalysisFile file_;
    ResolvedColumns columns_;
    std::atomic<int> reads_{0};
};

TEST_F(SharedTablesTest, ReadsOnceForEveryUserAtOnceThenLetsGo) {
    SharedTables tables;
    constexpr std::size_t kUsers = 6;
    std::vector<std::shared_ptr<TableDataSource>> got(kUsers);
    std::vector<std::thread> threads;
    for (std::size_t u = 0; u < kUsers; ++u)
        threads.emplace_back(
            [&, u] { got[u] = tables.source("a", kUsers, [&] { return read(); }); });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(reads_, 1);
    for (const auto& source : got) EXPECT_EQ(source, got[0]);
    EXPECT_EQ(got[0]->records().rows.size(), 2u);
    // Every expected user has had it: a later run reads the table anew.
    tables.source("a", 1, [&] { return read(); });
    EXPECT_EQ(reads_, 2);
}

TEST_F(SharedTablesTest, ATableThatCannotBeReadFailsEveryUser) {
    SharedTables tables;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int u = 0; u < 3; ++u) {
        threads.emplace_back([&] {
            try {
                tables.source("bad", 3, [&]() -> std::shared_ptr<TableDataSource> {
                    ++reads_;
                    throw std::runtime_error("no table");
                });
            } catch (const std::runtime_error&) {
                ++failures;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(reads_, 1);
    EXPECT_EQ(failures, 3);
}

}  // namespace
}  // namespace tl
