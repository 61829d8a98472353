#pragma once
namespace zep {

// Whether standard output is a terminal (and so may take ANSI colours).
bool StdoutIsTerminal();

}  // namespace zep
