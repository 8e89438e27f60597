#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace tl {

// The console dialogue: whole lines out (plain line feeds, flushed at once so
// that a script sees each line as it comes) and lines in.
class Console {
  public:
    Console(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

    void line(const std::string& text);
    std::optional<std::string> readLine();

    // The file name typed at the prompt: one free-format text value, read over
    // as many lines as it takes to find one. Throws InputError at end of input.
    std::string readFileName();
    // The lines typed for the last file name, as they stood.
    const std::string& typedName() const { return typed_; }

    // "Press Enter to continue." and wait for an empty line. Other lines are
    // ignored (never run as commands) and the prompt repeats; the end of the
    // input ends the pause at once, so piped runs never hang.
    void pause();

    // Waits for an empty line, without a prompt of its own.
    void waitForEnter();

  private:
    std::istream& in_;
    std::ostream& out_;
    std::string typed_;
};

}  // namespace tl
