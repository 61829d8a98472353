// The entry of the Linux build: the console commands.
#include "app/console_program.h"

int main(int argc, char** argv) {
    return zep::RunConsoleProgram(argc, argv);
}
