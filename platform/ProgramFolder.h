#pragma once

#include <filesystem>

// The folder that holds the running program's executable, where its sample files and help page
// lie; the current folder when the executable cannot be found.
std::filesystem::path ProgramFolder();
