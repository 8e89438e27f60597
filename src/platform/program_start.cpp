#include "platform/program_start.h"

#ifdef _WIN32

#include <windows.h>

#include <iostream>
#include <memory>
#include <streambuf>

#include "platform/windows_text.h"

#else

#include <unistd.h>

#endif

namespace tl {

#ifndef _WIN32

ProgramStart::ProgramStart(int argc, char** argv)
    : arguments_(argv, argv + argc), errIsTerminal_(::isatty(STDERR_FILENO) == 1) {
    for (const std::string& argument : arguments_) pointers_.push_back(argument.c_str());
    pointers_.push_back(nullptr);
}

ProgramStart::~ProgramStart() = default;

#else

namespace {

bool isConsole(DWORD which) {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

// Lines typed at the console, read as UTF-16 and handed on in UTF-8 with
// plain line feeds. A line that is only Ctrl-Z ends the input, as a console
// read in text mode does.
class ConsoleInput : public std::streambuf {
  protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (ended_) return traits_type::eof();
        std::wstring typed;
        wchar_t chunk[1024];
        do {
            DWORD got = 0;
            if (!::ReadConsoleW(::GetStdHandle(STD_INPUT_HANDLE), chunk, 1024, &got, nullptr) ||
                got == 0) {
                ended_ = true;
                break;
            }
            typed.append(chunk, got);
        } while (typed.back() != L'\n');
        if (typed.size() >= 1 && typed[0] == L'\x1A') {
            ended_ = true;
            typed.clear();
        }
        std::wstring lines;
        for (wchar_t c : typed) {
            if (c != L'\r') lines += c;
        }
        line_ = utf8Of(lines);
        if (line_.empty()) return traits_type::eof();
        setg(line_.data(), line_.data(), line_.data() + line_.size());
        return traits_type::to_int_type(*gptr());
    }

  private:
    std::string line_;
    bool ended_ = false;
};

}  // namespace

ProgramStart::ProgramStart(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; wide && i < count; ++i) arguments_.push_back(utf8Of(wide[i]));
    if (wide) ::LocalFree(wide);
    for (const std::string& argument : arguments_) pointers_.push_back(argument.c_str());
    pointers_.push_back(nullptr);

    errIsTerminal_ = isConsole(STD_ERROR_HANDLE);
    if (isConsole(STD_OUTPUT_HANDLE) || errIsTerminal_) {
        savedOutputCodePage_ = ::GetConsoleOutputCP();
        ::SetConsoleOutputCP(CP_UTF8);
    }
    if (isConsole(STD_INPUT_HANDLE)) {
        static ConsoleInput input;
        std::cin.rdbuf(&input);
    }
    DWORD processes[2];
    ownsConsoleWindow_ = ::GetConsoleProcessList(processes, 2) == 1;
}

ProgramStart::~ProgramStart() {
    if (savedOutputCodePage_ != 0) ::SetConsoleOutputCP(savedOutputCodePage_);
}

#endif

}  // namespace tl
