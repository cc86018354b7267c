#include "ivrlog/insert_statement.h"

#include <cstdio>

#include "db/whole_row_reader.h"
#include "ivrlog/ivr_texts.h"

void AppendQuotedLiteral(const std::string& value, std::string* out) {
  out->push_back('\'');
  for (char c : value) {
    if (c == '\'') out->push_back('\'');
    out->push_back(c);
  }
  out->push_back('\'');
}

void BuildInsertStatement(const char* table, const CWholeRowReader& row, std::string* out) {
  out->clear();
  size_t prefix = static_cast<size_t>(std::snprintf(nullptr, 0, kInsertRowStart, table));
  out->resize(prefix + 1);
  std::snprintf(out->data(), prefix + 1, kInsertRowStart, table);
  out->resize(prefix);
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
