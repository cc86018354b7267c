// A sink that writes through ODBC to any data source (PostgreSQL through
// psqlODBC, SQLite through its driver, ...): a prepared insert fed with
// arrays of parameters, a batch of rows per execution, all in one
// transaction. Connects with an empty user name and password, as the tool
// does.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <string>

#include "cdrgen/sink.h"

class OdbcSink : public CdrSink {
 public:
  explicit OdbcSink(std::string dsn);
  ~OdbcSink() override;  // rolls back what Finish did not commit
  OdbcSink(const OdbcSink&) = delete;
  OdbcSink& operator=(const OdbcSink&) = delete;

  bool Open(int64_t* maxSessionId) override;
  bool Write(const CdrRecord& record) override;
  bool Finish() override;

  static constexpr int kBatchRows = 1000;

 private:
  struct Batch;
  bool Fail(const char* what, SQLSMALLINT handleType, SQLHANDLE handle);
  bool Direct(const std::string& sql);
  bool ReadMaxSessionId(int64_t* out);
  bool BindBatch();
  bool Flush();

  std::string dsn_;
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT insert_ = SQL_NULL_HSTMT;
  bool connected_ = false;
  bool inTransaction_ = false;
  std::unique_ptr<Batch> batch_;
};
