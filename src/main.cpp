#include <iostream>

#include "app/run_driver.h"

int main() { return tl::runTesserlink(std::cin, std::cout, std::cerr); }
