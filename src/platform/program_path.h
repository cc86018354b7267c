// Where the running program file lives.
#pragma once

#include <string>

// The directory separator of this system.
inline constexpr char kPathSeparator = '/';

// Full path of the running program file, or "" when the system does not say.
std::string ProgramFilePath();
