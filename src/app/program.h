#pragma once

#include <istream>
#include <ostream>

namespace tl {

// The whole program: the command line, then the console dialogue (no
// arguments) or a batch run of the card it names. Returns the exit status.
// `ownsConsoleWindow`: the console window closes when the program ends (a
// double-click on Windows), so every run ends with the pause.
int runProgram(int argc, const char* const* argv, std::istream& in, std::ostream& out,
               std::ostream& err, bool errIsTerminal, bool ownsConsoleWindow = false);

}  // namespace tl
