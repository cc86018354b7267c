#include "cli/group_lines.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr long kMostLines = 100000;

bool ParseLines(const std::string& text, int32_t* out) {
  if (text.empty() || text.size() > 6) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < 1 || value > kMostLines) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

bool Add(const std::string& group, const std::string& count, GroupLines* lines, std::string* reason) {
  int32_t value = 0;
  if (!ReadLineCount(count, &value, reason)) return false;
  if (!lines->emplace(group, value).second) {
    *reason = "group \"" + group + "\" is given twice";
    return false;
  }
  return true;
}

// Splits one CSV record from `text` at `at` into its fields; `at` moves to
// the next record, `lineEnds` counts the line ends passed inside it. False
// for a quote that does not close or text after a closing quote.
bool NextRecord(const std::string& text, size_t* at, std::vector<std::string>* fields, int* lineEnds) {
  fields->assign(1, std::string());
  size_t i = *at;
  bool quoted = false;
  bool closed = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        fields->back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
        closed = true;
      } else {
        if (c == '\n') ++*lineEnds;
        fields->back() += c;
      }
      continue;
    }
    if (c == '\n') break;
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == ',') {
      fields->emplace_back();
      closed = false;
    } else if (c == '"' && fields->back().empty() && !closed) {
      quoted = true;
    } else if (closed) {
      return false;
    } else {
      fields->back() += c;
    }
  }
  *at = i + 1;
  return !quoted;
}

}  // namespace

bool ReadLineCount(const std::string& text, int32_t* lines, std::string* reason) {
  if (ParseLines(text, lines)) return true;
  *reason = "lines from 1 to " + std::to_string(kMostLines) + " are needed, not \"" + text + "\"";
  return false;
}

bool AddGroupLines(const std::string& text, GroupLines* lines, std::string* reason) {
  const size_t equals = text.rfind('=');
  if (equals == std::string::npos) {
    *reason = "GROUP=N is needed, not \"" + text + "\"";
    return false;
  }
  return Add(text.substr(0, equals), text.substr(equals + 1), lines, reason);
}

bool ReadGroupLinesFile(const std::string& path, GroupLines* lines, std::string* reason) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *reason = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream whole;
  whole << file.rdbuf();
  const std::string text = whole.str();
  std::vector<std::string> fields;
  int line = 1;
  for (size_t at = 0; at < text.size();) {
    const int first = line;
    int inside = 0;
    const bool ok = NextRecord(text, &at, &fields, &inside);
    line += inside + 1;
    if (ok && fields.size() == 1 && fields[0].empty()) continue;  // a blank line
    if (ok && first == 1 && fields.size() == 2 && fields[0] == "group" && fields[1] == "lines") continue;
    std::string why;
    if (!ok || fields.size() != 2) {
      why = "a row \"group,lines\" is needed";
    } else if (Add(fields[0], fields[1], lines, &why)) {
      continue;
    }
    *reason = path + " line " + std::to_string(first) + ": " + why;
    return false;
  }
  return true;
}
