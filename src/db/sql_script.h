// SQL scripts: several statements in one text, as the schema files keep them.
#pragma once

#include <string>
#include <vector>

// The statements of `script` in order: lines beginning with "--" are
// comments, ";" separates statements, and blank statements are dropped.
std::vector<std::string> SplitSqlScript(const std::string& script);
