#pragma once

#include <ostream>

#include "app/command_line.h"
#include "app/run_driver.h"

namespace tl {

// A testing program: the control cards and analysis files of
// `line.programFiles`, each run as it would run alone with the command line's
// options, side by side on a few threads. Each test's console lines are
// prefixed with its file's name as given and come out together, in
// command-line order. With --results DIR each test writes its folder
// DIR/NAME (see testFolderNames) and the program writes its summary beside
// them. A test that fails does not stop the others. Returns the highest of the
// tests' exit statuses (2 when the summary cannot be written).
int runTestingProgram(const CommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace tl
