// A minimal ODBC client for test set-up and checks, independent of the
// product's session class: connection strings in, rows of text out.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

class RawConnection {
 public:
  // Connects with a full connection string ("Driver=...;...").
  explicit RawConnection(const std::string& connectionString);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool ok() const { return connected_; }
  const std::string& error() const { return error_; }

  // Runs one statement; false with error() set on failure. SQL_NO_DATA is success.
  bool Exec(const std::string& sql);

  // Runs a query; rows of text, NULL as `nullText`. False on failure.
  bool Query(const std::string& sql, std::vector<std::vector<std::string>>* rows, const char* nullText);

 private:
  void Collect(SQLSMALLINT type, SQLHANDLE handle);
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
  std::string error_;
};
