#include "support/backend.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "db/sql_script.h"
#include "support/raw_odbc.h"

namespace {

constexpr char kSqliteDriver[] = "SQLite3";
constexpr char kPostgresDriver[] = "PostgreSQL ANSI";
constexpr char kMariaDriver[] = "MariaDB Unicode";

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

bool PostgresAvailable() { return Env("NORTESK_PG_HOST") != nullptr && Env("NORTESK_PG_PORT") != nullptr; }

std::string PostgresConnection(const std::string& database) {
  return std::string("Driver=") + kPostgresDriver + ";Servername=" + Env("NORTESK_PG_HOST") +
         ";Port=" + Env("NORTESK_PG_PORT") + ";Database=" + database + ";Username=postgres";
}

// CommLog=0 overrides Debian's driver entry, whose communication log would
// leave a file in /tmp for every session (doctor tells of it).
std::string PostgresSection(const std::string& dsn, const std::string& database, const std::string& host) {
  return "[" + dsn + "]\nDriver=" + kPostgresDriver + "\nServername=" + host + "\nPort=" + Env("NORTESK_PG_PORT") +
         "\nDatabase=" + database + "\nUsername=postgres\nCommLog=0\n";
}

bool MariaAvailable() { return Env("NORTESK_MARIA_SOCKET") != nullptr; }

std::string MariaConnection(const std::string& database, const std::string& socket) {
  std::string text = std::string("Driver=") + kMariaDriver + ";Socket=" + socket + ";User=root";
  return database.empty() ? text : text + ";Database=" + database;
}

// Data sources log in as a user of their own, not as the operating-system
// user that runs the tests, so that a connection shows whose user it took.
constexpr char kMariaUser[] = "nortesk";

std::string MariaSection(const std::string& dsn, const std::string& database, const std::string& socket) {
  return "[" + dsn + "]\nDriver=" + kMariaDriver + "\nSocket=" + socket + "\nDatabase=" + database + "\nUser=" +
         kMariaUser + "\n";
}

std::string SqliteSection(const std::string& dsn, const std::string& file) {
  return "[" + dsn + "]\nDriver=" + kSqliteDriver + "\nDatabase=" + file + "\nTimeout=5000\n";
}

struct Scratch {
  std::string dir;
  int counter = 0;
  std::map<std::string, std::string> postgresDatabases;  // dsn -> database, one per process
  std::map<std::string, std::string> mariaDatabases;     // likewise on MariaDB
  Scratch() {
    char pattern[] = "/tmp/nortesk-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir = made != nullptr ? made : "/tmp";
  }
  ~Scratch() {
    if (PostgresAvailable() && !postgresDatabases.empty()) {
      RawConnection admin(PostgresConnection("postgres"));
      for (const auto& [dsn, database] : postgresDatabases) admin.Exec("DROP DATABASE IF EXISTS " + database);
    }
    if (MariaAvailable() && !mariaDatabases.empty()) {
      RawConnection admin(MariaConnection("", Env("NORTESK_MARIA_SOCKET")));
      for (const auto& [dsn, database] : mariaDatabases) admin.Exec("DROP DATABASE IF EXISTS " + database);
    }
    std::error_code ignored;
    if (dir != "/tmp") std::filesystem::remove_all(dir, ignored);
  }
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

// Connection string of the database behind data source `dsn`, read back from
// the sections this process wrote.
std::map<std::string, std::string>& ConnectionStrings() {
  static std::map<std::string, std::string> strings;
  return strings;
}

}  // namespace

std::vector<std::string> AllBackends() { return {"SQLite", "PostgreSQL", "MariaDB"}; }

void BackendTest::SetUp() {
  if (IsPostgres() && !PostgresAvailable()) {
    if (Env("NORTESK_REQUIRE_PG") != nullptr) FAIL() << "PostgreSQL cluster required but NORTESK_PG_HOST/PORT unset";
    GTEST_SKIP() << "no PostgreSQL cluster (run through scripts/test)";
  }
  if (IsMariaDB() && !MariaAvailable()) {
    if (Env("NORTESK_REQUIRE_MARIA") != nullptr) FAIL() << "MariaDB server required but NORTESK_MARIA_SOCKET unset";
    GTEST_SKIP() << "no MariaDB server (run through scripts/test)";
  }
  sections_.clear();
}

void BackendTest::TearDown() { unsetenv("ODBCINI"); }

const std::string& BackendTest::ScratchDir() const { return TheScratch().dir; }

void BackendTest::WriteOdbcIni() {
  Scratch& scratch = TheScratch();
  std::string path = scratch.dir + "/odbc-" + std::to_string(++scratch.counter) + ".ini";
  std::ofstream out(path);
  for (const std::string& section : sections_) out << section << "\n";
  out.close();
  setenv("ODBCINI", path.c_str(), 1);
}

// Fails the test when `dsn` was declared before in this process: the driver
// manager would still connect it to the earlier declaration.
static void ClaimDataSourceName(const std::string& dsn) {
  static std::set<std::string> declared;
  if (!declared.insert(dsn).second) {
    FAIL() << "data source \"" << dsn << "\" declared twice in one process; "
           << "run each test in a process of its own (ctest does, or --gtest_filter one test)";
  }
}

void BackendTest::AddDataSource(const std::string& dsn) {
  ClaimDataSourceName(dsn);
  if (HasFatalFailure()) return;
  Scratch& scratch = TheScratch();
  if (IsPostgres()) {
    auto found = scratch.postgresDatabases.find(dsn);
    std::string database;
    if (found == scratch.postgresDatabases.end()) {
      database = "nortesk_" + std::to_string(getpid()) + "_" + std::to_string(scratch.postgresDatabases.size());
      RawConnection admin(PostgresConnection("postgres"));
      ASSERT_TRUE(admin.ok()) << admin.error();
      admin.Exec("DROP DATABASE IF EXISTS " + database);
      ASSERT_TRUE(admin.Exec("CREATE DATABASE " + database)) << admin.error();
      scratch.postgresDatabases[dsn] = database;
    } else {
      database = found->second;
    }
    ConnectionStrings()[dsn] = PostgresConnection(database);
    RawConnection db(ConnectionStrings()[dsn]);
    ASSERT_TRUE(db.ok()) << db.error();
    ASSERT_TRUE(db.Exec("DROP SCHEMA public CASCADE")) << db.error();
    ASSERT_TRUE(db.Exec("CREATE SCHEMA public")) << db.error();
    sections_.push_back(PostgresSection(dsn, database, Env("NORTESK_PG_HOST")));
  } else if (IsMariaDB()) {
    std::string socket = Env("NORTESK_MARIA_SOCKET");
    std::string database = "nortesk_" + std::to_string(getpid()) + "_" + std::to_string(scratch.mariaDatabases.size());
    RawConnection admin(MariaConnection("", socket));
    ASSERT_TRUE(admin.ok()) << admin.error();
    admin.Exec("DROP DATABASE IF EXISTS " + database);
    ASSERT_TRUE(admin.Exec("CREATE DATABASE " + database)) << admin.error();
    ASSERT_TRUE(admin.Exec(std::string("CREATE USER IF NOT EXISTS '") + kMariaUser + "'@'localhost'")) << admin.error();
    ASSERT_TRUE(admin.Exec(std::string("GRANT ALL ON *.* TO '") + kMariaUser + "'@'localhost'")) << admin.error();
    scratch.mariaDatabases[dsn] = database;
    ConnectionStrings()[dsn] = MariaConnection(database, socket);
    sections_.push_back(MariaSection(dsn, database, socket));
  } else {
    std::string file = scratch.dir + "/db-" + std::to_string(++scratch.counter) + ".sqlite";
    ConnectionStrings()[dsn] = std::string("Driver=") + kSqliteDriver + ";Database=" + file;
    sections_.push_back(SqliteSection(dsn, file));
  }
  WriteOdbcIni();
}

void BackendTest::AddUnreachableDataSource(const std::string& dsn) {
  ClaimDataSourceName(dsn);
  if (HasFatalFailure()) return;
  if (IsPostgres()) {
    sections_.push_back(PostgresSection(dsn, "nosuchdb", ScratchDir() + "/no-such-socket-dir"));
  } else if (IsMariaDB()) {
    sections_.push_back(MariaSection(dsn, "nosuchdb", ScratchDir() + "/no-such-folder/mariadb.sock"));
  } else {
    sections_.push_back(SqliteSection(dsn, ScratchDir() + "/no/such/folder/db.sqlite"));
  }
  WriteOdbcIni();
}

void BackendTest::Exec(const std::string& dsn, const std::string& sql) {
  RawConnection db(ConnectionStrings()[dsn]);
  ASSERT_TRUE(db.ok()) << db.error();
  for (const std::string& statement : SplitSqlScript(sql)) {
    ASSERT_TRUE(db.Exec(statement)) << statement << "\n" << db.error();
  }
}

bool BackendTest::TryExec(const std::string& dsn, const std::string& sql) {
  RawConnection db(ConnectionStrings()[dsn]);
  return db.ok() && db.Exec(sql);
}

std::vector<Row> BackendTest::Query(const std::string& dsn, const std::string& sql) {
  RawConnection db(ConnectionStrings()[dsn]);
  std::vector<Row> rows;
  EXPECT_TRUE(db.ok()) << db.error();
  EXPECT_TRUE(db.Query(sql, &rows, kNullText)) << sql << "\n" << db.error();
  return rows;
}

void BackendTest::CreateCdrTable(const std::string& dsn) {
  RawConnection db(ConnectionStrings()[dsn]);
  ASSERT_TRUE(db.ok()) << db.error();
  for (const std::string& statement : ProjectSqlStatements("tools/cdrmain.sql")) {
    ASSERT_TRUE(db.Exec(statement)) << statement << "\n" << db.error();
  }
}

void LoggerDatabaseTest::SetUp() {
  BackendTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
}

void BackendTest::InsertCall(const std::string& dsn, const Call& call) {
  std::ostringstream sql;
  sql << "INSERT INTO CDRMAIN (StartTime, EndTime, SessionID, CallerNum, TargetNum, ExitState, CallerType, "
         "TargetType, Direction, LocalDay) VALUES ("
      << call.startTime << ", " << call.endTime << ", " << call.sessionId << ", '" << call.callerNum << "', '"
      << call.targetNum << "', " << call.exitState << ", " << call.callerType << ", " << call.targetType << ", "
      << call.direction << ", " << (call.localDay.empty() ? "NULL" : "'" + call.localDay + "'") << ")";
  Exec(dsn, sql.str());
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::vector<std::string> ProjectSqlStatements(const std::string& relativePath) {
  return SplitSqlScript(ReadWholeFile(std::string(NORTESK_SOURCE_DIR) + "/" + relativePath));
}
