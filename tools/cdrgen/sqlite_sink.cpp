#include "cdrgen/sqlite_sink.h"

#include <sqlite3.h>

#include <cstdio>
#include <utility>

#include "db/cdr_schema.h"

SqliteSink::SqliteSink(std::string path) : path_(std::move(path)) {}

SqliteSink::~SqliteSink() {
  if (insert_ != nullptr) sqlite3_finalize(insert_);
  if (inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  if (db_ != nullptr) sqlite3_close(db_);
}

bool SqliteSink::Fail(const char* what) {
  std::fprintf(stderr, "cdrgen: %s on %s: %s\n", what, path_.c_str(),
               db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory");
  return false;
}

bool SqliteSink::Run(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail(sql);
}

bool SqliteSink::Open(int64_t* maxSessionId) {
  if (sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    return Fail("cannot open");
  }
  sqlite3_busy_timeout(db_, 5000);
  // A larger page cache keeps the two indexes' pages in memory while
  // millions of rows go in.
  if (!Run("PRAGMA cache_size = -131072") || !Run("BEGIN IMMEDIATE")) return false;
  inTransaction_ = true;

  sqlite3_stmt* query = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'CDRMAIN' COLLATE NOCASE",
                         -1, &query, nullptr) != SQLITE_OK) {
    return Fail("cannot read the schema");
  }
  bool exists = sqlite3_step(query) == SQLITE_ROW && sqlite3_column_int(query, 0) > 0;
  sqlite3_finalize(query);
  if (!exists) {
    for (const std::string& statement : CdrMainStatements()) {
      if (!Run(statement.c_str())) return false;
    }
  }

  if (sqlite3_prepare_v2(db_, "SELECT max(SessionID) FROM CDRMAIN", -1, &query, nullptr) != SQLITE_OK) {
    return Fail("cannot read CDRMAIN");
  }
  *maxSessionId = sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int64(query, 0) : 0;
  sqlite3_finalize(query);

  if (sqlite3_prepare_v2(db_, kInsertCdrSql, -1, &insert_, nullptr) != SQLITE_OK) {
    return Fail("cannot prepare the insert");
  }
  return true;
}

bool SqliteSink::Write(const CdrRecord& r) {
  int32_t integers[kInsertIntegerColumns];
  bool integerIsNull[kInsertIntegerColumns];
  InsertIntegers(r, integers, integerIsNull);
  const char* texts[kInsertTextColumns];
  bool textIsNull[kInsertTextColumns];
  InsertTexts(r, texts, textIsNull);
  int column = 1;
  for (int c = 0; c < kInsertIntegerColumns; ++c, ++column) {
    if (integerIsNull[c]) {
      sqlite3_bind_null(insert_, column);
    } else {
      sqlite3_bind_int(insert_, column, integers[c]);
    }
  }
  for (int c = 0; c < kInsertTextColumns; ++c, ++column) {
    if (textIsNull[c]) {
      sqlite3_bind_null(insert_, column);
    } else {
      sqlite3_bind_text(insert_, column, texts[c], -1, SQLITE_STATIC);
    }
  }
  const bool done = sqlite3_step(insert_) == SQLITE_DONE;
  sqlite3_reset(insert_);
  return done || Fail("cannot insert");
}

bool SqliteSink::Finish() {
  if (!Run("COMMIT")) return false;
  inTransaction_ = false;
  return true;
}
