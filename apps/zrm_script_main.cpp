// zrm-script FILE...: runs scenario files headlessly, each on its own fresh
// database and server. Exit 0 when every expectation held, 1 otherwise.
#include <iostream>
#include <string>
#include <vector>

#include "scenario/runner.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: zrm-script FILE...\n";
        return 2;
    }
    const std::vector<std::string> files(argv + 1, argv + argc);
    return scenario::RunFiles(files, std::cout) ? 0 : 1;
}
