#include "support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef TESSERLINK_BINARY
#error "TESSERLINK_BINARY must name the program under test"
#endif

namespace tl::testing {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    if (!std::filesystem::exists(folder)) return files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> subfolderNames(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string testNameOf(std::string name) {
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

std::filesystem::path makeScratchDirectory(const std::string& hint) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("tesserlink-" + hint + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

RunningProgram startProgram(const std::filesystem::path& directory, const std::string& input,
                            const std::vector<std::string>& arguments, const std::string& tag) {
    RunningProgram run{-1, directory / (".stdin" + tag), directory / (".stdout" + tag),
                       directory / (".stderr" + tag)};
    writeFile(run.in, input);

    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        if (::chdir(directory.c_str()) != 0) ::_exit(127);
        const int in = ::open(run.in.c_str(), O_RDONLY);
        const int out = ::open(run.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(run.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>("tesserlink")};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TESSERLINK_BINARY, argv.data());
        ::_exit(127);
    }
    run.pid = child;
    return run;
}

ProgramResult finishProgram(const RunningProgram& run, int timeoutSeconds) {
    ProgramResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(run.pid, &status, WNOHANG);
        if (done == run.pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(run.pid, SIGKILL);
            ::waitpid(run.pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = readFile(run.out);
    result.err = readFile(run.err);
    std::filesystem::remove(run.in);
    std::filesystem::remove(run.out);
    std::filesystem::remove(run.err);
    return result;
}

ProgramResult runProgram(const std::filesystem::path& directory, const std::string& input,
                         int timeoutSeconds, const std::vector<std::string>& arguments) {
    return finishProgram(startProgram(directory, input, arguments), timeoutSeconds);
}

}  // namespace tl::testing
