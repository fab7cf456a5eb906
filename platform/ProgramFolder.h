#pragma once

#include <filesystem>

// The folder that holds the running program's executable; the current folder when the executable
// cannot be found.
std::filesystem::path ProgramFolder();

// The folder where the program's own files lie (the sample files and the help page):
// "../share/pulsara" from the program's folder where it is installed, else the program's folder
// itself, as in the build tree, where they lie beside the program.
std::filesystem::path DataFolder();
