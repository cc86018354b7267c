#include "cdrgen/schema.h"

#include <sstream>

#include "cdrmain_schema.h"

std::vector<std::string> CdrMainStatements() {
  std::istringstream lines(kCdrMainSql);
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
