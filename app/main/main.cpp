#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("zepimport 1.10.0");
        return 0;
    }
    std::fputs("usage: zepimport --inspect FILE...\n", stderr);
    return 2;
}
