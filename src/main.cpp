#include <iostream>

#include "app/program.h"
#include "platform/program_start.h"

int main(int argc, char** argv) {
    const tl::ProgramStart start(argc, argv);
    return tl::runProgram(start.argc(), start.argv(), std::cin, std::cout, std::cerr,
                          start.standardErrorIsTerminal(), start.ownsConsoleWindow());
}
