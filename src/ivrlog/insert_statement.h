// The INSERT statement that copies one row into a table of the same columns.
#pragma once

#include <string>

class CWholeRowReader;

// Replaces `out` with "INSERT INTO <table> values(v1, v2, ...)" for the row
// last read by `row`: NULL for a NULL value, every other value whole as a
// quoted text literal with its single quotes doubled. `out` keeps its
// capacity, so a caller that reuses it allocates only for longer rows.
void BuildInsertStatement(const char* table, const CWholeRowReader& row, std::string* out);

// Appends `value` to `out` as a quoted SQL text literal.
void AppendQuotedLiteral(const std::string& value, std::string* out);
