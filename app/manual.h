#pragma once
// Where the program's manual is: the HTML rendering of its man page,
// installed beside the program (share/duskwatch) or made by the build, else
// the installed README.
#include <string>

// The folder of the running executable.
std::string ProgramFolder();

// The first manual found for a program in `programFolder`; empty when none.
std::string FindManual(const std::string& programFolder);
