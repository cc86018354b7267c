#include "loader/sample_cdr_sql.h"

#include <sqlext.h>

#include <cstring>

#include "db/osql.h"

namespace {

// The columns of the record, in the order of its values.
constexpr const char* kSampleCdrColumns[] = {
    "EndTime",      "SessionID",     "ConfSessionID",    "TrunkCall",   "OutGoingWG",      "HoldDuration",
    "AbnTargetType", "CallerSiteNodeId", "EndSKLR",      "CallerDepart", "TargetTenant",   "TargetWGNum",
    "DNIS",         "CallerType",    "CallerPad",        "TargetPad",   "AccountCode",     "AADuration",
    "AnswerWithinSLT", "ExitState",  "StartPriority",    "TargetType",  "CalleeSiteNodeId", "DayOfWeek",
    "SequenceID",   "CallerName",    "MMCallType",       "AdvQAppType", "IVRData",         "StartTime",
    "TargetName",   "CallerNum",     "CallerProject",    "TargetNum",   "TargetProject",   "UserData",
};

constexpr char kSampleCdrValues[] =
    "1397230109,1396986210,0,2,0,0,"
    "0,0,0,'','',7800,"
    "'5550100101',7,'030721','030147','',27,"
    "1,8,5,2,24,5,"
    "1,'Caller,Sample',0,0,'',1397229474,"
    "'Target Sample','5550100202',0,'7856',0,'DDR'";


}  // namespace

std::string SampleCdrSql(const char* quote, SQLUSMALLINT identifierCase) {
  std::string mark = quote != nullptr && std::strcmp(quote, " ") != 0 ? quote : "";
  std::string sql = "INSERT INTO CDRMAIN (";
  for (const char* column : kSampleCdrColumns) {
    if (column != kSampleCdrColumns[0]) sql += ',';
    sql += mark;
    sql += FoldIdentifier(column, identifierCase);
    sql += mark;
  }
  sql += ") VALUES (";
  sql += kSampleCdrValues;
  sql += ')';
  return sql;
}
