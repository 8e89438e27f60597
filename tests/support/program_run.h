#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tl::testing {

struct ProgramResult {
    int exitStatus = -1;  // -1 when the program did not exit normally
    int signal = 0;       // the signal that ended it, if any
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs the tesserlink executable in `directory` with `input` on its standard
// input, killing it after `timeoutSeconds`.
ProgramResult runProgram(const std::filesystem::path& directory, const std::string& input,
                         int timeoutSeconds = 20);

// A fresh empty directory under the system's temporary folder.
std::filesystem::path makeScratchDirectory(const std::string& hint);

std::string readFile(const std::filesystem::path& path);

// The names of the folders directly inside `directory`, sorted.
std::vector<std::string> subfolderNames(const std::filesystem::path& directory);

// A folder name turned into a valid parameterised-test name.
std::string testNameOf(std::string name);
void writeFile(const std::filesystem::path& path, const std::string& content);

// The control card names its files relative to the working directory, so a
// run happens inside its folder; the old directory comes back on scope exit.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::filesystem::path& directory)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  private:
    std::filesystem::path previous_;
};

}  // namespace tl::testing
