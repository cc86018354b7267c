#include "db/sql_script.h"

#include <sstream>

std::vector<std::string> SplitSqlScript(const std::string& script) {
  std::istringstream lines(script);
  std::string text, line;
  while (std::getline(lines, line)) {
    if (line.rfind("--", 0) == 0) continue;
    text += line + "\n";
  }
  std::vector<std::string> statements;
  std::istringstream all(text);
  std::string statement;
  while (std::getline(all, statement, ';')) {
    if (statement.find_first_not_of(" \t\r\n") != std::string::npos) statements.push_back(statement);
  }
  return statements;
}
