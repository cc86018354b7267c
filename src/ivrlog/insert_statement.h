// The INSERT statement that copies one row into a table of the same columns.
#pragma once

#include <string>

// Replaces `out` with "INSERT INTO <table> values(" .
void StartInsertStatement(const char* table, std::string* out);

// Appends `value` to `out` as a quoted SQL text literal, its single quotes
// doubled.
void AppendQuotedLiteral(const std::string& value, std::string* out);

// Replaces `out` with "INSERT INTO <table> values(v1, v2, ...)" for `row`
// (anything with ColumnCount(), IsNull(i) and Value(i), such as
// CWholeRowReader): NULL for a NULL value, every other value whole as a
// quoted text literal. `out` keeps its capacity, so a caller that reuses it
// allocates only for longer rows.
template <typename Row>
void BuildInsertStatement(const char* table, const Row& row, std::string* out) {
  StartInsertStatement(table, out);
  for (int i = 0; i < row.ColumnCount(); ++i) {
    if (i > 0) out->append(", ");
    if (row.IsNull(i)) {
      out->append("NULL");
    } else {
      AppendQuotedLiteral(row.Value(i), out);
    }
  }
  out->push_back(')');
}
