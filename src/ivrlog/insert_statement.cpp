#include "ivrlog/insert_statement.h"

#include <cstdio>

#include "ivrlog/ivr_texts.h"

void StartInsertStatement(const char* table, std::string* out) {
  size_t length = static_cast<size_t>(std::snprintf(nullptr, 0, kInsertRowStart, table));
  out->resize(length + 1);
  std::snprintf(out->data(), length + 1, kInsertRowStart, table);
  out->resize(length);
}

void AppendQuotedLiteral(const std::string& value, std::string* out) {
  out->push_back('\'');
  for (char c : value) {
    if (c == '\'') out->push_back('\'');
    out->push_back(c);
  }
  out->push_back('\'');
}
