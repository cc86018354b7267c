#include "report/gnuplot_literal.h"

#include <algorithm>
#include <vector>

bool IsControlCharacter(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

bool HasControlCharacter(std::string_view text) { return std::any_of(text.begin(), text.end(), IsControlCharacter); }

bool GnuplotLiteral(std::string_view text, std::string* literal) {
  if (HasControlCharacter(text)) return false;
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t quote; (quote = text.find('\'', at)) != std::string_view::npos; at = quote + 1) {
    if (quote > at) parts.push_back("'" + std::string(text.substr(at, quote - at)) + "'");
    parts.push_back("\"'\"");
  }
  if (at < text.size() || parts.empty()) parts.push_back("'" + std::string(text.substr(at)) + "'");
  std::string joined = parts.front();
  for (size_t i = 1; i < parts.size(); ++i) joined += " . " + parts[i];
  *literal = joined;
  return true;
}
