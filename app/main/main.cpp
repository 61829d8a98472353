#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/inspect.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "zepimport 1.10.0\n";
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--inspect") == 0) {
        return zep::RunInspect(std::vector<std::string>(argv + 2, argv + argc), std::cout);
    }
    std::cerr << "usage: zepimport --inspect FILE...\n";
    return 2;
}
