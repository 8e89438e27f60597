#include <unistd.h>

#include <iostream>

#include "app/program.h"

int main(int argc, char** argv) {
    return tl::runProgram(argc, argv, std::cin, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
