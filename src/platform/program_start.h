#pragma once

#include <string>
#include <vector>

namespace tl {

// What the program gets from the system at its start: its arguments in UTF-8
// and a console ready for UTF-8 text. On Windows the arguments come from the
// wide command line (so any file name survives), the console's code page is
// UTF-8 for the run and set back afterwards, and lines typed at a console
// reach standard input in UTF-8.
class ProgramStart {
  public:
    ProgramStart(int argc, char** argv);
    ~ProgramStart();
    ProgramStart(const ProgramStart&) = delete;
    ProgramStart& operator=(const ProgramStart&) = delete;

    int argc() const { return static_cast<int>(pointers_.size()) - 1; }
    const char* const* argv() const { return pointers_.data(); }

    bool standardErrorIsTerminal() const { return errIsTerminal_; }

    // The console window is the program's own and closes when it ends: it was
    // opened by a double-click or by dropping a card on the program, not from
    // a command prompt. Always false on Linux.
    bool ownsConsoleWindow() const { return ownsConsoleWindow_; }

  private:
    std::vector<std::string> arguments_;
    std::vector<const char*> pointers_;
    bool errIsTerminal_ = false;
    bool ownsConsoleWindow_ = false;
    unsigned savedOutputCodePage_ = 0;
};

}  // namespace tl
