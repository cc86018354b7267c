#include "loader/load_sample_cdr.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/settings.h"
#include "db/osql.h"
#include "loader/read_file_data.h"
#include "loader/sample_cdr_sql.h"

void LoadSampleCdr() {
  OSql session;
  char data[kSampleDataLimit] = {};
  int32_t size = kSampleDataLimit;
  // Built to its full length: a deep program directory must neither be cut
  // into another file's name nor overrun a buffer.
  std::string name = ExeDirectory + kSampleDataFile;
  if (ReadFileData(name.c_str(), data, &size) == 0) {
    std::printf("Failed to load SQL data\n");
    return;
  }
  // The record belongs to the internal logger database, which is the data
  // source of that default name, also after DsnName has been changed.
  if (session.Connect(kDefaultDsnName, "", "") == 0) {
    std::printf("Failed to connect with CDR\n");
    session.PrintConnectFailure();
    return;
  }
  // The names must reach the table in the form the database stored them:
  // PostgreSQL folds unquoted names to lower case, MariaDB quotes with
  // back-ticks. A driver that cannot tell gets the classic statement.
  char quote[8] = "\"";
  SQLUSMALLINT identifierCase = SQL_IC_SENSITIVE;
  session.GetIdentifierRules(quote, sizeof quote, &identifierCase);
  session.Execute(SampleCdrSql(quote, identifierCase).c_str());
  session.Disconnect();
}
