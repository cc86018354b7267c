// The database backends that every database test runs against, and a
// fixture that gives each test fresh databases reachable as ODBC data
// sources.
//
// Backends: "SQLite" (the embedded default, a file through the SQLite3 ODBC
// driver), "PostgreSQL" (a server reached through psqlODBC) and "MariaDB"
// (a server reached through the MariaDB ODBC driver). PostgreSQL needs the
// cluster that scripts/test starts (NORTESK_PG_HOST and NORTESK_PG_PORT),
// MariaDB the server it starts (NORTESK_MARIA_SOCKET); without them their
// cases are skipped, unless NORTESK_REQUIRE_PG=1 or NORTESK_REQUIRE_MARIA=1,
// when they fail.
//
//   class MyTest : public BackendTest {};
//   TEST_P(MyTest, Something) { AddDataSource("Internal Logger Database"); ... }
//   INSTANTIATE_BACKENDS(MyTest);
//
// The driver manager remembers for 20 seconds what a data source name stood
// for, whatever ODBCINI says meanwhile, so a process must not declare one
// name twice: ctest runs every test in a process of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Row = std::vector<std::string>;  // NULL values read as kNullText
inline constexpr char kNullText[] = "<NULL>";

class BackendTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;
  void TearDown() override;

  const std::string& BackendName() const { return GetParam(); }
  bool IsPostgres() const { return GetParam() == "PostgreSQL"; }
  bool IsMariaDB() const { return GetParam() == "MariaDB"; }

  // Creates a fresh, empty database on this test's backend, declares it as
  // data source `dsn` in this test's odbc.ini and points ODBCINI there, so
  // that this process and the programs it starts reach it by that name.
  void AddDataSource(const std::string& dsn);

  // Declares data source `dsn` on a server or file that does not exist.
  void AddUnreachableDataSource(const std::string& dsn);

  // Runs statements (separated by ";") on `dsn`; fails the test on error.
  void Exec(const std::string& dsn, const std::string& sql);

  // Runs one statement on `dsn`; returns false instead of failing.
  bool TryExec(const std::string& dsn, const std::string& sql);

  // Every row of `sql` on `dsn`, each value as text.
  std::vector<Row> Query(const std::string& dsn, const std::string& sql);

  // Creates table CDRMAIN with its indexes on `dsn`.
  void CreateCdrTable(const std::string& dsn);

  // Inserts one call into CDRMAIN; LocalDay is left NULL when empty.
  struct Call {
    int startTime = 0, endTime = 0, sessionId = 1;
    std::string callerNum = "100", targetNum = "200";
    int exitState = 8, callerType = 1, targetType = 1, direction = 1;
    std::string localDay;
  };
  void InsertCall(const std::string& dsn, const Call& call);

  // A folder of this test, removed when the process ends.
  const std::string& ScratchDir() const;

 private:
  void WriteOdbcIni();
  std::vector<std::string> sections_;
};

// The data source the console opens at start-up.
inline constexpr char kLoggerDsn[] = "Internal Logger Database";

// A BackendTest whose "Internal Logger Database" holds an empty CDRMAIN.
class LoggerDatabaseTest : public BackendTest {
 protected:
  void SetUp() override;
};

// The backends to instantiate every BackendTest with.
std::vector<std::string> AllBackends();

#define INSTANTIATE_BACKENDS(Fixture)                                      \
  INSTANTIATE_TEST_SUITE_P(Backends, Fixture, ::testing::ValuesIn(AllBackends()), \
                           [](const ::testing::TestParamInfo<std::string>& info) { return info.param; })

// Reads a whole file; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Statements of a .sql file of the project, split at ";" (comments dropped).
std::vector<std::string> ProjectSqlStatements(const std::string& relativePath);
