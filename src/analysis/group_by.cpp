#include "analysis/group_by.h"

#include <strings.h>

#include <cctype>

namespace {

bool IsPlainName(const std::string& name) {
  if (name.empty() || name.size() > kMostGroupColumnLength) return false;
  for (const char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_') return false;
  }
  return true;
}

// Takes `column` to the table's spelling; false when the table has none.
bool Resolve(const std::vector<TableColumn>& columns, std::string* column) {
  for (const TableColumn& known : columns) {
    if (strcasecmp(known.name.c_str(), column->c_str()) == 0) {
      *column = known.name;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string GroupName(const std::string& value) { return value.empty() ? kNoGroupName : value; }

std::string GroupValue(const std::string& name) { return name == kNoGroupName ? std::string() : name; }

bool ParseGroupBy(const std::string& text, GroupBy* groupBy, std::string* reason) {
  const size_t colon = text.find(':');
  GroupBy parsed;
  parsed.callerColumn = text.substr(0, colon);
  if (colon != std::string::npos) parsed.targetColumn = text.substr(colon + 1);
  const bool pairShaped = colon == std::string::npos || IsPlainName(parsed.targetColumn);
  if (!IsPlainName(parsed.callerColumn) || !pairShaped) {
    *reason = "a column of CDRMAIN, or two joined by ':' (CallerColumn:TargetColumn), is needed, not \"" + text +
              "\"";
    return false;
  }
  *groupBy = parsed;
  return true;
}

bool ResolveGroupBy(const std::vector<TableColumn>& columns, GroupBy* groupBy, std::string* reason) {
  for (std::string* column : {&groupBy->callerColumn, &groupBy->targetColumn}) {
    if (column->empty() || Resolve(columns, column)) continue;
    std::string names;
    for (const TableColumn& known : columns) names += (names.empty() ? "" : ", ") + known.name;
    *reason = "CDRMAIN has no column " + *column + (names.empty() ? "" : "; its columns are " + names);
    return false;
  }
  return true;
}

std::string QuotedIdentifier(const std::string& name, const std::string& quote) {
  if (quote.empty() || quote == " ") return name;
  std::string quoted = quote;
  for (size_t at = 0; at < name.size();) {
    if (name.compare(at, quote.size(), quote) == 0) {
      quoted += quote + quote;
      at += quote.size();
    } else {
      quoted += name[at++];
    }
  }
  return quoted + quote;
}
