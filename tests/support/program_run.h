#pragma once

#include <filesystem>
#include <map>
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
                         int timeoutSeconds = 20, const std::vector<std::string>& arguments = {});

// A run started and not yet waited for: its process ID, and the files that
// hold its standard input, output and error.
struct RunningProgram {
    int pid = -1;
    std::filesystem::path in, out, err;
};

// Starts the executable in `directory` as runProgram does and returns at once;
// `tag` tells the files of runs side by side in one folder apart.
RunningProgram startProgram(const std::filesystem::path& directory, const std::string& input,
                            const std::vector<std::string>& arguments, const std::string& tag = "");

// Waits for the run (killing it after `timeoutSeconds`), and removes its files.
ProgramResult finishProgram(const RunningProgram& run, int timeoutSeconds);

// The same with command-line arguments and no standard input.
inline ProgramResult runWithArguments(const std::filesystem::path& directory,
                                      const std::vector<std::string>& arguments) {
    return runProgram(directory, "", 20, arguments);
}

// A fresh empty directory under the system's temporary folder.
std::filesystem::path makeScratchDirectory(const std::string& hint);

std::string readFile(const std::filesystem::path& path);

// Each file directly in `folder` by name, with its content; none when the
// folder is missing.
std::map<std::string, std::string> folderContents(const std::filesystem::path& folder);

// The names of the folders directly inside `directory`, sorted.
std::vector<std::string> subfolderNames(const std::filesystem::path& directory);

// A folder name turned into a valid parameterised-test name.
std::string testNameOf(std::string name);
void writeFile(const std::filesystem::path& path, const std::string& content);

// Standard error without its "tesserlink: warning: " and "tesserlink: note: "
// lines: what is left is the run's diagnostic, if any.
inline std::string withoutWarnings(const std::string& err) {
    std::string kept;
    std::size_t begin = 0;
    while (begin < err.size()) {
        std::size_t end = err.find('\n', begin);
        end = end == std::string::npos ? err.size() : end + 1;
        const std::string line = err.substr(begin, end - begin);
        if (line.rfind("tesserlink: warning: ", 0) != 0 && line.rfind("tesserlink: note: ", 0) != 0)
            kept += line;
        begin = end;
    }
    return kept;
}

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
