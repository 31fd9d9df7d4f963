#include <clocale>
#include <iostream>

#include "cli.h"

int main(int argc, char** argv) {
    // The user's locale, as the windows get it from their toolkit: whatever
    // it says about numbers must not change what the core reads and writes.
    std::setlocale(LC_ALL, "");
    std::vector<std::string> args(argv + 1, argv + argc);
    return tessed::cli::Run(args, std::cout, std::cerr);
}
