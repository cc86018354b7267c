#include "db/sql_literal.h"

std::string SqlStringLiteral(std::string_view text) {
  std::string literal = "'";
  for (char c : text) {
    literal += c;
    if (c == '\'') literal += '\'';
  }
  literal += '\'';
  return literal;
}
