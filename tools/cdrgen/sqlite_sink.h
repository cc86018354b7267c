// A sink that writes straight into a SQLite database file through the
// SQLite library (no ODBC), with one prepared insert in one transaction:
// the fast way to fill a large table.
#pragma once

#include <string>

#include "cdrgen/sink.h"

struct sqlite3;
struct sqlite3_stmt;

class SqliteSink : public CdrSink {
 public:
  // The file is created when it does not exist.
  explicit SqliteSink(std::string path);
  ~SqliteSink() override;  // rolls back what Finish did not commit
  SqliteSink(const SqliteSink&) = delete;
  SqliteSink& operator=(const SqliteSink&) = delete;

  bool Open(int64_t* maxSessionId) override;
  bool Write(const CdrRecord& record) override;
  bool Finish() override;

 private:
  bool Fail(const char* what);
  bool Run(const char* sql);

  std::string path_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  bool inTransaction_ = false;
};
