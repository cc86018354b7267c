// The CDRMAIN schema of tools/cdrmain.sql, built into the program.
#pragma once

#include <string>
#include <vector>

// The schema's statements in file order, without comments or separators.
std::vector<std::string> CdrMainStatements();
