// A results folder is written whole or not at all. The program is killed at
// random moments while it writes the folder of 500,000 examinees over the
// folder of a small run: after every kill the folder is exactly the old one or
// exactly the new one, and the next run into it removes what the killed one
// left and leaves no temporary file. Two programs started into one folder at
// once: one writes it, the other is refused, and the folder is whole. A disk
// that fills while the folder is written changes nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/card_text.h"
#include "support/program_run.h"

namespace fs = std::filesystem;
using tl::testing::readFile;
using tl::testing::writeFile;

namespace {

constexpr int kExaminees = 500'000;

std::string card(const std::string& dataFile) {
    tl::testing::CardText card;
    card.sets = {tl::testing::SetText{"1.0", "12", "2", "0 1", dataFile}};
    card.categories = "3";
    card.observedCuts = card.trueCuts = "5 9";
    card.conditional = "0";  // the report without a line per examinee: a shorter run
    card.outputFile = "report.out";
    return card.text();
}

// Twelve right or wrong answers per examinee, from a fixed generator.
std::string data(int examinees) {
    std::string text;
    text.reserve(static_cast<std::size_t>(examinees) * 24);
    std::uint32_t seed = 12345;
    for (int e = 0; e < examinees; ++e) {
        seed = seed * 1664525u + 1013904223u;
        const int ability = static_cast<int>(seed >> 28);  // 0..15
        for (int i = 0; i < 12; ++i) {
            seed = seed * 1664525u + 1013904223u;
            text += static_cast<int>((seed >> 24) % 16) < ability + i % 3 ? '1' : '0';
            text += i == 11 ? '\n' : ' ';
        }
    }
    return text;
}

using Folder = std::map<std::string, std::string>;

Folder contents(const fs::path& folder) {
    return tl::testing::folderContents(folder);
}

// Names in `dir` that the program's runs leave only while they run.
std::vector<std::string> temporaries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".tesserlink-") != std::string::npos) names.push_back(name);
    }
    return names;
}

bool anyStartsWith(const fs::path& dir, const std::string& prefix) {
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().starts_with(prefix)) return true;
    }
    return false;
}

// Whether the run `pid` has ended; it stays to be waited for.
bool ended(int pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           info.si_pid != 0;
}

// A folder with a large and a small card writing one report and one results
// folder, and the results each writes alone.
class ResultsFault : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        work_ = new fs::path(tl::testing::makeScratchDirectory("results-fault"));
        writeFile(*work_ / "large.dat", data(kExaminees));
        writeFile(*work_ / "small.dat", data(9));
        writeFile(*work_ / "large.txt", card("large.dat"));
        writeFile(*work_ / "small.txt", card("small.dat"));
        // The reference run, timed: from its start, and from the moment its
        // new folder appears.
        const auto start = std::chrono::steady_clock::now();
        const auto running = tl::testing::startProgram(
            *work_, "", {"--results", "reference-large", "large.txt"}, "-reference");
        waitFor(running.pid, ".reference-large.tesserlink-new-");
        const auto writing = std::chrono::steady_clock::now();
        EXPECT_EQ(tl::testing::finishProgram(running, 300).exitStatus, 0);
        const auto end = std::chrono::steady_clock::now();
        largeSeconds_ = std::chrono::duration<double>(end - start).count();
        writeSeconds_ = std::chrono::duration<double>(end - writing).count();
        large_ = new Folder(contents(*work_ / "reference-large"));
        (*large_)["<report>"] = readFile(*work_ / "report.out");
        small_ = new Folder(run("small.txt", "reference-small"));
    }
    static void TearDownTestSuite() {
        fs::remove_all(*work_);
        delete work_;
        delete large_;
        delete small_;
    }

    // Runs `card` into `folder` and returns the folder with the report.
    static Folder run(const std::string& card, const std::string& folder) {
        const auto result = tl::testing::runProgram(*work_, "", 300, {"--results", folder, card});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        Folder files = contents(*work_ / folder);
        files["<report>"] = readFile(*work_ / "report.out");
        return files;
    }

    static Folder current(const std::string& folder = "out") {
        Folder files = contents(*work_ / folder);
        files["<report>"] = readFile(*work_ / "report.out");
        return files;
    }

    // Returns once an entry of `work_` begins with `prefix`, or the run `pid` has ended.
    static void waitFor(int pid, const std::string& prefix) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(300);
        while (!anyStartsWith(*work_, prefix) && !ended(pid) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }

    static fs::path* work_;
    static Folder* large_;
    static Folder* small_;
    static double largeSeconds_;
    static double writeSeconds_;  // from the new folder's appearance to the end
};

fs::path* ResultsFault::work_ = nullptr;
Folder* ResultsFault::large_ = nullptr;
Folder* ResultsFault::small_ = nullptr;
double ResultsFault::largeSeconds_ = 0;
double ResultsFault::writeSeconds_ = 0;

TEST_F(ResultsFault, AKilledRunLeavesTheOldFolderOrTheNewOneAndTheNextRunCleansUp) {
    ASSERT_FALSE(large_->empty());
    ASSERT_GT((*large_)["examinees.csv"].size(), 10'000'000u);
    ASSERT_EQ(run("small.txt", "out"), *small_);
    std::mt19937 random(20261209);
    int old = 0, replaced = 0, leftovers = 0;
    for (int kill = 0; kill < 20; ++kill) {
        const auto running =
            tl::testing::startProgram(*work_, "", {"--results", "out", "large.txt"});
        // One kill in five at any moment of the run, the others while the
        // new folder is written and put in place.
        double delay = 0;
        if (kill % 5 == 0) {
            delay = std::uniform_real_distribution<double>(0, largeSeconds_)(random);
        } else {
            waitFor(running.pid, ".out.tesserlink-new-");
            delay = std::uniform_real_distribution<double>(0, writeSeconds_)(random);
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(delay));
        ::kill(running.pid, SIGKILL);
        tl::testing::finishProgram(running, 300);

        const Folder now = current();
        const bool isOld = now == *small_;
        const bool isNew = now == *large_;
        EXPECT_TRUE(isOld || isNew) << "kill " << kill << " after " << delay << " s";
        old += isOld;
        replaced += isNew;
        leftovers += !temporaries(*work_).empty();

        // The next run puts the small folder back and cleans up after the killed one.
        const auto next =
            tl::testing::runProgram(*work_, "", 300, {"--results", "out", "small.txt"});
        EXPECT_EQ(next.exitStatus, 0) << next.err;
        EXPECT_EQ(current(), *small_) << "kill " << kill;
        EXPECT_EQ(temporaries(*work_), std::vector<std::string>{}) << "kill " << kill;
    }
    std::cout << "[          ] " << old << " kills left the old folder, " << replaced
              << " the new one; " << leftovers << " left temporary files (" << largeSeconds_
              << " s a run, " << writeSeconds_ << " s of it writing)\n";
}

TEST_F(ResultsFault, OfTwoProgramsIntoOneFolderOneWritesItAndTheOtherIsRefused) {
    const auto first =
        tl::testing::startProgram(*work_, "", {"--results", "shared", "large.txt"}, "-first");
    waitFor(first.pid, ".shared.tesserlink-lock");
    const auto second =
        tl::testing::runProgram(*work_, "", 300, {"--results", "shared", "small.txt"});
    const auto firstResult = tl::testing::finishProgram(first, 300);

    EXPECT_EQ(firstResult.exitStatus, 0) << firstResult.err;
    EXPECT_EQ(second.exitStatus, 2);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err,
              "tesserlink: the results directory shared is being written by another "
              "run (process " +
                  std::to_string(first.pid) + "): wait for it to finish, or name another output\n");
    EXPECT_EQ(current("shared"), *large_);
    EXPECT_EQ(temporaries(*work_), std::vector<std::string>{});
}

// A disk that fills while the folder is written (here a limit on the size of
// a file): the run fails with one line, and the folder and the report stay
// the small run's.
TEST_F(ResultsFault, AFullDiskChangesNothing) {
    ASSERT_EQ(run("small.txt", "full"), *small_);
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    struct rlimit limited = before;
    // Room for the report, not for examinees.csv (87 MB).
    limited.rlim_cur = 50'000'000;
    ASSERT_LT((*large_)["<report>"].size(), limited.rlim_cur);
    ASSERT_GT((*large_)["examinees.csv"].size(), limited.rlim_cur);
    // The run inherits the limit and, with the signal ignored, sees its write fail.
    const auto handler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto running = tl::testing::startProgram(*work_, "", {"--results", "full", "large.txt"});
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, handler);
    const auto result = tl::testing::finishProgram(running, 300);

    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err,
              "tesserlink: cannot write the results file full/examinees.csv: write failed: File "
              "too large\n");
    EXPECT_EQ(current("full"), *small_);
    EXPECT_EQ(temporaries(*work_), std::vector<std::string>{});
}

}  // namespace
