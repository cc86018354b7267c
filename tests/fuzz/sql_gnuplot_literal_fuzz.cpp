// Option values and names that reach SQL or gnuplot as data: the literal
// made of any text reads back as exactly that text, and nothing in it is
// outside a quoted string.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "db/sql_literal.h"
#include "report/gnuplot_literal.h"

namespace {

// The value of an SQL string literal; aborts when `literal` is not one.
std::string SqlValue(const std::string& literal) {
  if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'') std::abort();
  std::string value;
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    if (literal[i] == '\'') {
      if (i + 2 >= literal.size() || literal[i + 1] != '\'') std::abort();  // a quote ends it early
      ++i;
    }
    value += literal[i];
  }
  return value;
}

// The value of a gnuplot string expression of single-quoted strings (no
// doubled quote inside) and "'" joined by " . "; aborts on anything else.
std::string GnuplotValue(std::string_view literal) {
  std::string value;
  for (bool first = true; !literal.empty() || first; first = false) {
    if (!first) {
      if (literal.substr(0, 3) != " . ") std::abort();
      literal.remove_prefix(3);
    }
    if (literal.substr(0, 3) == "\"'\"") {
      value += '\'';
      literal.remove_prefix(3);
      continue;
    }
    if (literal.empty() || literal.front() != '\'') std::abort();
    const size_t end = literal.find('\'', 1);
    if (end == std::string_view::npos) std::abort();
    value += literal.substr(1, end - 1);
    literal.remove_prefix(end + 1);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (SqlValue(SqlStringLiteral(text)) != text) std::abort();
  std::string literal = "unchanged";
  if (!GnuplotLiteral(text, &literal)) {
    if (!HasControlCharacter(text) || literal != "unchanged") std::abort();
    return 0;
  }
  if (HasControlCharacter(text) || GnuplotValue(literal) != text) std::abort();
  return 0;
}
