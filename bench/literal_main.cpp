// The console program with the literal model kernels of the test tree swapped
// in: the yardstick the benchmark times the program against. Everything else
// (reading, classification, report) is the program's own code.

#include <iostream>

#include "app/run_driver.h"
#include "reference/literal_model.h"

int main() {
    tl::RunOptions options;
    options.request.substitutes.rawDistribution = &tl::reference::literalRawDistribution;
    options.request.substitutes.composite = &tl::reference::literalCompositeDistribution;
    return tl::runTesserlink(std::cin, std::cout, std::cerr, options);
}
