#include "report/plugin_text.h"

#include <cctype>

std::string PluginText(const std::string& text) {
  std::string safe = text;
  for (char& c : safe) {
    if (std::iscntrl(static_cast<unsigned char>(c)) != 0 || c == '|') c = '_';
  }
  return safe;
}

std::string PerfDataLabel(const std::string& label) {
  std::string safe = PluginText(label);
  bool plain = !safe.empty();
  for (char& c : safe) {
    if (c == '=') c = '_';
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_') plain = false;
  }
  if (plain) return safe;
  std::string quoted = "'";
  for (const char c : safe) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}
