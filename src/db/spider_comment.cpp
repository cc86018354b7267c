#include "db/spider_comment.h"

#include <cctype>
#include <strings.h>

namespace {

// The spellings Spider accepts for one parameter, the short one first.
constexpr const char* kSpellings[][2] = {{"srv", "server"}, {"tbl", "table"}};

bool SameParameter(std::string_view a, std::string_view b) {
  auto equal = [](std::string_view x, std::string_view y) {
    return x.size() == y.size() && strncasecmp(x.data(), y.data(), x.size()) == 0;
  };
  if (equal(a, b)) return true;
  for (const auto& spellings : kSpellings) {
    if ((equal(a, spellings[0]) || equal(a, spellings[1])) && (equal(b, spellings[0]) || equal(b, spellings[1]))) {
      return true;
    }
  }
  return false;
}

void SkipSpace(std::string_view text, size_t* at) {
  while (*at < text.size() && std::isspace(static_cast<unsigned char>(text[*at])) != 0) ++*at;
}

}  // namespace

std::optional<std::string> SpiderParameter(std::string_view comment, std::string_view name) {
  std::optional<std::string> found;
  size_t at = 0;
  SkipSpace(comment, &at);
  while (at < comment.size()) {
    const size_t nameStart = at;
    while (at < comment.size() && (std::isalnum(static_cast<unsigned char>(comment[at])) != 0 || comment[at] == '_')) {
      ++at;
    }
    const std::string_view parameter = comment.substr(nameStart, at - nameStart);
    SkipSpace(comment, &at);
    if (parameter.empty() || at >= comment.size() || (comment[at] != '"' && comment[at] != '\'')) return std::nullopt;
    const char quote = comment[at++];
    std::string value;
    while (at < comment.size() && comment[at] != quote) {
      if (comment[at] == '\\' && at + 1 < comment.size()) ++at;
      value += comment[at++];
    }
    if (at >= comment.size()) return std::nullopt;  // the value never ends
    ++at;
    // Spider takes the last of a parameter given twice.
    if (SameParameter(parameter, name)) found = value;
    SkipSpace(comment, &at);
    if (at < comment.size() && comment[at] != ',') return std::nullopt;
    if (at < comment.size()) ++at;
    SkipSpace(comment, &at);
  }
  return found;
}
