#include "diagnosis/table_checks.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <span>

#include <strings.h>

#include "analysis/format_thousands.h"
#include "analysis/record_day.h"
#include "db/osql.h"
#include "db/spider_shard_indexes.h"
#include "db/table_indexes.h"
#include "db/table_kind.h"
#include "db/table_shards.h"
#include "diagnosis/cdr_columns.h"
#include "platform/text.h"

namespace {

constexpr char kTable[] = "CDRMAIN";
// Call records start no earlier than 1990; smaller integers are another
// unit (days, YYYYMMDD). The tool keeps epoch seconds in 32 bits, so larger
// ones (milliseconds, YYYYMMDDhhmmss) are no seconds it can use either.
constexpr int64_t kEarliestEpoch = 631152000;
constexpr int64_t kLatestEpoch = INT32_MAX;
constexpr int kMostColumnsRead = 4;
constexpr SQLLEN kValueSize = OSql::kColumnTextSize;
constexpr SQLSMALLINT kNameSize = 129;
// The endpoint types the checks read: trunks from 7 on, 9 a SIP tie line.
constexpr int kFirstTrunkType = 7;
constexpr int kSipTieType = 9;
// Distinct endpoint types named when no trunk is found.
constexpr size_t kValuesNamed = 8;
// Rows whose LocalDay may differ from the day of their start before the
// zone is taken for the wrong one: a phone system may write a day late
// around a clock change.
constexpr int kDifferingDaysAllowed = 3;

// The driver's diagnostic lines as one clause.
std::string OneLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) text.replace(at, 1, "; ");
  return text.empty() ? "the driver gave no reason" : text;
}

std::string Count(int64_t value) {
  char text[kThousandsTextMax];
  return FormatThousands(value, text);
}

// An epoch second the tool can use; EndTime also 0, which the phone system
// writes for a call it never closed.
bool IsEpochSeconds(const char* text, bool zeroAllowed) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0') return false;
  return (value >= kEarliestEpoch && value <= kLatestEpoch) || (zeroAllowed && value == 0);
}

std::string DayText(const RecordDay& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(day.year), static_cast<int>(day.month),
                static_cast<int>(day.day));
  return text;
}

// The first value of a column that a check refused, and how many it did.
struct Refusals {
  int count = 0;
  char example[kValueSize] = {};

  void Note(const char* text) {
    if (count++ == 0) FormatBounded(example, sizeof example, "%s", text == nullptr ? "NULL" : text);
  }
  std::string Example() const { return example[0] == '\0' ? "''" : std::string("'") + example + "'"; }
};

class Checks {
 public:
  Checks(OSql& session, const std::string& dsn)
      : session_(session), dsn_(dsn), usable_(CdrColumnsRead().size(), false) {}

  std::vector<Finding> Run() {
    if (!CheckColumns()) return findings_;
    ReadTableShards(session_, kTable, &shards_);
    CheckEpochSeconds();
    CheckDays();
    CheckRecords();
    CheckCallKinds();
    CheckTimeZone();
    CheckIndex();
    return findings_;
  }

 private:
  void Pass(std::string text) { findings_.push_back({Verdict::kPassed, std::move(text)}); }
  void Fail(std::string text) { findings_.push_back({Verdict::kFailed, std::move(text)}); }
  void Skip(std::string text) { findings_.push_back({Verdict::kSkipped, std::move(text)}); }

  bool Usable(const char* name) const {
    std::span<const CdrColumn> columns = CdrColumnsRead();
    for (size_t i = 0; i < columns.size(); ++i) {
      if (std::strcmp(columns[i].name, name) == 0) return usable_[i];
    }
    return false;
  }

  // Runs `sql` on the own statement without printing; on failure closes it
  // and gives the driver's reason.
  bool Execute(const std::string& sql, std::string* reason) {
    SQLHSTMT statement = session_.statementHandle;
    SQLRETURN result = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    if (SqlSucceeded(result)) return true;
    *reason = OneLine(session_.DiagnosticText());
    session_.CloseCursor();
    return false;
  }

  // Runs `sql` and hands every value of its first `columns` columns to
  // `look(column, text)`, as text, nullptr for NULL. Returns the rows read,
  // or -1 with the driver's reason.
  template <typename Look>
  int ReadRows(const std::string& sql, int columns, Look look, std::string* reason) {
    if (!Execute(sql, reason)) return -1;
    SQLHSTMT statement = session_.statementHandle;
    char values[kMostColumnsRead][kValueSize] = {};
    SQLLEN indicators[kMostColumnsRead] = {};
    for (int c = 0; c < columns; ++c) {
      if (!SqlSucceeded(SQLBindCol(statement, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, values[c],
                                   kValueSize - 1, &indicators[c]))) {
        *reason = OneLine(session_.DiagnosticText());
        session_.FinishLocalRead();
        return -1;
      }
    }
    int rows = 0;
    SQLRETURN result = SQL_SUCCESS;
    while (SqlSucceeded(result = SQLFetch(statement))) {
      ++rows;
      for (int c = 0; c < columns; ++c) {
        EndBoundText(values[c], indicators[c], sizeof values[c]);
        look(c, indicators[c] == SQL_NULL_DATA ? nullptr : values[c]);
      }
    }
    if (result != SQL_NO_DATA) {
      *reason = OneLine(session_.DiagnosticText());
      rows = -1;
    }
    session_.FinishLocalRead();
    return rows;
  }

  // Check 1; false when the table cannot be read at all.
  bool CheckColumns() {
    std::string reason;
    if (!Execute(std::string("SELECT * FROM ") + kTable + " WHERE 1=0", &reason)) {
      Fail(std::string("table ") + kTable + " cannot be read: " + reason +
           ". Create it with tools/cdrmain.sql (README, \"Creating the table\"), or let the data source's "
           "account read it");
      return false;
    }
    std::span<const CdrColumn> columns = CdrColumnsRead();
    std::vector<std::string> found(columns.size());  // the type's name; empty: missing
    SQLHSTMT statement = session_.statementHandle;
    SQLSMALLINT count = 0;
    if (!SqlSucceeded(SQLNumResultCols(statement, &count))) count = 0;
    for (SQLUSMALLINT n = 1; n <= count; ++n) {
      SQLCHAR name[kNameSize] = {};
      SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      if (!SqlSucceeded(SQLDescribeCol(statement, n, name, kNameSize, &nameLength, &type, &size, &digits, &nullable))) {
        continue;
      }
      for (size_t i = 0; i < columns.size(); ++i) {
        if (strcasecmp(reinterpret_cast<const char*>(name), columns[i].name) != 0) continue;
        char typeName[kNameSize] = {};
        SQLSMALLINT typeNameLength = 0;
        SQLColAttribute(statement, n, SQL_DESC_TYPE_NAME, typeName, kNameSize, &typeNameLength, nullptr);
        found[i] = typeName[0] != '\0' ? typeName : "of ODBC type " + std::to_string(type);
        usable_[i] = TypeMeetsNeed(columns[i].need, type, digits);
      }
    }
    session_.CloseCursor();
    bool allUsable = true;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (usable_[i]) continue;
      allUsable = false;
      const std::string column = std::string("column ") + columns[i].name + " (" + columns[i].meaning + ")";
      if (found[i].empty()) {
        Fail(column + " is missing: add it as " + NeedText(columns[i].need));
      } else {
        Fail(column + " is " + found[i] + ", needs " + NeedText(columns[i].need) + ": " + NeedAdvice(columns[i].need));
      }
    }
    if (allUsable) {
      Pass(std::string("table ") + kTable + " has the " + std::to_string(columns.size()) +
           " columns the tool reads, in types it can use");
    }
    return true;
  }

  std::string Sample(const char* columns) const {
    return std::string("SELECT ") + columns + " FROM " + kTable + " LIMIT " + std::to_string(kSampledRows);
  }

  // Check 2.
  void CheckEpochSeconds() {
    constexpr const char* kNames[] = {"StartTime", "EndTime"};
    if (!Usable(kNames[0]) || !Usable(kNames[1])) {
      Skip("StartTime and EndTime not sampled until their columns are mended");
      return;
    }
    Refusals refused[2];
    std::string reason;
    const int rows = ReadRows(
        Sample("StartTime, EndTime"), 2,
        [&refused](int column, const char* text) {
          if (!IsEpochSeconds(text, column == 1)) refused[column].Note(text);
        },
        &reason);
    if (rows < 0) return Fail("StartTime and EndTime cannot be read: " + reason);
    if (rows == 0) return Skip("StartTime and EndTime not sampled: the table holds no rows");
    for (int c = 0; c < 2; ++c) {
      if (refused[c].count == 0) continue;
      Fail(std::string(kNames[c]) + " holds " + refused[c].Example() + " in " + std::to_string(refused[c].count) +
           " of " + std::to_string(rows) + " sampled rows, not epoch seconds of 1990 to 2038: " +
           NeedAdvice(ColumnNeed::kEpochSeconds));
    }
    if (refused[0].count + refused[1].count == 0) {
      Pass("StartTime and EndTime hold epoch seconds (" + std::to_string(rows) + " rows sampled)");
    }
  }

  // Check 3.
  void CheckDays() {
    if (!Usable("LocalDay")) return Skip("LocalDay not sampled until its column is mended");
    Refusals refused;
    std::string reason;
    const int rows = ReadRows(
        Sample("LocalDay"), 1,
        [&refused](int, const char* text) {
          RecordDay day{};
          if (!ParseRecordDay(text, &day)) refused.Note(text);
        },
        &reason);
    if (rows < 0) return Fail("LocalDay cannot be read: " + reason);
    if (rows == 0) return Skip("LocalDay not sampled: the table holds no rows");
    if (refused.count > 0) {
      return Fail("LocalDay holds " + refused.Example() + " in " + std::to_string(refused.count) + " of " +
                  std::to_string(rows) + " sampled rows, not a day as YYYYMMDD or YYYY-MM-DD: " +
                  NeedAdvice(ColumnNeed::kDay));
    }
    Pass("LocalDay holds record days (" + std::to_string(rows) + " rows sampled)");
  }

  // The figures of check 4 over one table or partition.
  struct RecordFigures {
    int64_t records = 0;
    std::string first, last;  // LocalDay; "" when there is none
    int64_t endingEarly = 0;
  };

  // Adds the figures of `from` to `figures`; false with the driver's reason.
  bool AddRecordFigures(const std::string& from, RecordFigures* figures, std::string* reason) {
    char values[kMostColumnsRead][kValueSize] = {};
    const int rows = ReadRows(
        "SELECT COUNT(*), MIN(LocalDay), MAX(LocalDay), SUM(CASE WHEN EndTime < StartTime THEN 1 ELSE 0 END) FROM " +
            from,
        kMostColumnsRead,
        [&values](int column, const char* text) {
          FormatBounded(values[column], sizeof values[column], "%s", text == nullptr ? "" : text);
        },
        reason);
    if (rows < 0) return false;
    figures->records += std::atoll(values[0]);
    figures->endingEarly += std::atoll(values[3]);
    // Record days as the phone system writes them (YYYYMMDD, YYYY-MM-DD)
    // sort alike by byte and by any collation.
    if (values[1][0] != '\0' && (figures->first.empty() || figures->first > values[1])) figures->first = values[1];
    if (values[2][0] != '\0' && (figures->last.empty() || figures->last < values[2])) figures->last = values[2];
    return true;
  }

  // Check 4. A head over postgres_fdw partitions would pull every row to
  // itself for one statement over the whole table; each partition's own
  // statement is answered where its rows are.
  void CheckRecords() {
    if (!Usable("StartTime") || !Usable("EndTime") || !Usable("LocalDay")) {
      return Skip("records not counted until StartTime, EndTime and LocalDay are mended");
    }
    std::vector<std::string> sources = {kTable};
    if (shards_.kind == ShardKind::kForeignPartitions && !shards_.partitions.empty()) sources = shards_.partitions;
    RecordFigures figures;
    std::string reason;
    for (const std::string& source : sources) {
      if (!AddRecordFigures(source, &figures, &reason)) return Fail("the records cannot be counted: " + reason);
    }
    if (figures.records == 0) {
      return Fail(std::string(kTable) +
                  " holds no records, so the checks find no day to check: point the data source at the "
                  "database that the phone system writes into");
    }
    RecordDay first{}, last{};
    if (!ParseRecordDay(figures.first.c_str(), &first) || !ParseRecordDay(figures.last.c_str(), &last)) {
      return Fail(Count(figures.records) + " records, but the first and last LocalDay, '" + figures.first + "' and '" +
                  figures.last + "', are no days, so the checks refuse the range: " + NeedAdvice(ColumnNeed::kDay));
    }
    Pass(Count(figures.records) + " records from " + DayText(first) + " to " + DayText(last) + ", " +
         Count(figures.endingEarly) + " of them end before they start");
  }

  // Check 5: the kinds of calls the checks read, on the sample. A table
  // without trunk calls passes every other check, and plan then reads the
  // whole history to find nothing to plan.
  void CheckCallKinds() {
    if (!Usable("CallerType") || !Usable("TargetType")) {
      return Skip("call kinds not counted until CallerType and TargetType are mended");
    }
    int extension = 0, trunk = 0, trunkWithoutTie = 0;
    std::vector<std::string> seen;
    std::string reason;
    int types[2] = {};
    const int rows = ReadRows(
        Sample("CallerType, TargetType"), 2,
        [&](int column, const char* text) {
          types[column] = text == nullptr ? 0 : std::atoi(text);
          const std::string value = text == nullptr ? "NULL" : text;
          if (seen.size() < kValuesNamed && std::find(seen.begin(), seen.end(), value) == seen.end()) {
            seen.push_back(value);
          }
          if (column == 0) return;
          auto isExtension = [](int type) { return type == 1 || type == 2; };
          auto isTrunk = [](int type) { return type >= kFirstTrunkType; };
          auto isTrunkWithoutTie = [&](int type) { return isTrunk(type) && type != kSipTieType; };
          extension += isExtension(types[0]) || isExtension(types[1]);
          trunk += isTrunk(types[0]) || isTrunk(types[1]);
          trunkWithoutTie += isTrunkWithoutTie(types[0]) || isTrunkWithoutTie(types[1]);
        },
        &reason);
    if (rows < 0) return Fail("CallerType and TargetType cannot be read: " + reason);
    if (rows == 0) return Skip("call kinds not counted: the table holds no rows");
    const std::string counts = std::to_string(extension) + " extension, " + std::to_string(trunk) + " trunk, " +
                               std::to_string(trunkWithoutTie) + " trunk without SIP tie records in " +
                               std::to_string(rows) + " sampled rows";
    if (trunk > 0) return Pass(counts);
    std::string values;
    for (const std::string& value : seen) values += (values.empty() ? "" : ", ") + value;
    std::string advice = "trunks are 7 and above, a SIP tie line 9 (README, \"The columns the tool reads\")";
    if (IsView(session_, kTable)) {
      advice +=
          "; in the views of tools/views/ the table cdr_trunk_prefix decides which channels are trunks (on "
          "MariaDB, store the types again after changing it: README, \"Asterisk records on MariaDB\")";
    }
    Fail(counts + ", so t, T, m and plan find nothing: CallerType and TargetType hold " + values + "; " + advice);
  }

  // Check 6: LocalDay against the local day of StartTime in this process's
  // zone. The tool cuts days at its own midnight, so a zone other than the
  // phone system's moves calls into the wrong days.
  void CheckTimeZone() {
    if (!Usable("StartTime") || !Usable("LocalDay")) {
      return Skip("the time zone not checked until StartTime and LocalDay are mended");
    }
    int compared = 0, differing = 0;
    int64_t start = 0;
    bool startUsable = false;
    std::string reason;
    const int rows = ReadRows(
        Sample("StartTime, LocalDay"), 2,
        [&](int column, const char* text) {
          if (column == 0) {
            startUsable = IsEpochSeconds(text, false);
            start = startUsable ? std::atoll(text) : 0;
            return;
          }
          RecordDay day{};
          if (!startUsable || !ParseRecordDay(text, &day)) return;
          const time_t seconds = static_cast<time_t>(start);
          std::tm local{};
          localtime_r(&seconds, &local);
          ++compared;
          differing += local.tm_year + 1900 != day.year || local.tm_mon + 1 != day.month || local.tm_mday != day.day;
        },
        &reason);
    if (rows < 0) return Fail("StartTime and LocalDay cannot be read: " + reason);
    if (rows == 0) return Skip("the time zone not checked: the table holds no rows");
    if (compared == 0) return Skip("the time zone not checked: no sampled row holds both a start and a day");
    const char* zone = std::getenv("TZ");
    const std::string zoneText = zone != nullptr && *zone != '\0' ? std::string("TZ=") + zone
                                                                    : std::string("TZ unset (the system's zone)");
    if (differing <= kDifferingDaysAllowed) {
      return Pass("LocalDay is the day of StartTime in this zone, " + zoneText + " (" + std::to_string(compared) +
                  " rows sampled)");
    }
    char share[16];
    std::snprintf(share, sizeof share, "%.1f%%", 100.0 * differing / compared);
    Fail("LocalDay is not the day of StartTime in this zone, " + zoneText + ", in " + share + " of " +
         std::to_string(compared) + " sampled rows: run the tool in the phone system's zone, for example "
         "TZ=Europe/Berlin");
  }

  // Check 7. A head lists its own declarations, if any: the day checks are
  // answered from each shard's indexes.
  void CheckIndex() {
    if (shards_.kind != ShardKind::kNone) return CheckShardIndexes();
    std::vector<TableIndex> indexes;
    std::string reason;
    if (ReadTableIndexes(session_, kTable, &indexes, &reason) == 0) {
      return Fail(std::string("the indexes of ") + kTable + " cannot be listed: " + OneLine(reason));
    }
    if (HasIndexLedBy(indexes, "StartTime")) return Pass("an index led by StartTime serves the day checks");
    if (IsView(session_, kTable)) {
      return Skip(std::string(kTable) +
                  " is a view: the day checks find their rows through the indexes of the tables beneath it");
    }
    Fail(std::string("no index of ") + kTable +
         " is led by StartTime, so every day checked reads the whole table: create one with nortesk-etp index "
         "--dsn \"" +
         dsn_ + "\"");
  }

  // Spider lets the head ask each shard; postgres_fdw shows nothing of a
  // remote table's indexes.
  void CheckShardIndexes() {
    std::string unseen = "which postgres_fdw does not show to the head";
    if (shards_.kind == ShardKind::kSpider) {
      std::vector<ShardIndex> indexes;
      std::string reason;
      const bool asked = ReadSpiderShardIndexes(session_, kTable, "StartTime", &indexes, &reason) != 0;
      const bool answered =
          std::none_of(indexes.begin(), indexes.end(), [](const ShardIndex& index) { return index.ledBy < 0; });
      if (asked && answered) return JudgeShards(indexes);
      unseen = "which the head could not ask the shards about (" + (asked ? "a shard gave no answer" : reason) + ")";
    }
    const std::string where = shards_.kind == ShardKind::kSpider ? "each shard" : "each server";
    std::string servers;
    for (const std::string& server : shards_.servers) servers += (servers.empty() ? " (servers " : ", ") + server;
    if (!servers.empty()) servers += ")";
    Skip(std::string(kTable) + " is " + ShardKindText(shards_.kind) + servers + ": the day checks read the index led "
         "by StartTime of " + where + "'s CDRMAIN, " + unseen + "; check it with nortesk-etp doctor --dsn SHARD on " +
         where + ", SHARD a data source of its database, and create it there with nortesk-etp index --dsn SHARD");
  }

  void JudgeShards(const std::vector<ShardIndex>& indexes) {
    std::string all, lacking;
    for (const ShardIndex& index : indexes) {
      all += (all.empty() ? "" : ", ") + index.server;
      if (index.ledBy == 0) lacking += (lacking.empty() ? "" : ", ") + index.server;
    }
    const std::string head = std::string(kTable) + " is " + ShardKindText(shards_.kind);
    if (lacking.empty()) {
      return Pass(head + ", and the CDRMAIN of each of its shards (servers " + all +
                  ") has an index led by StartTime, which serves the day checks there");
    }
    Fail(head + ", and the CDRMAIN of its shards on servers " + lacking +
         " has no index led by StartTime, so every day checked there reads the whole table: create one on each "
         "with nortesk-etp index --dsn SHARD, SHARD a data source of that shard's database");
  }

  OSql& session_;
  const std::string dsn_;
  TableShards shards_;
  std::vector<Finding> findings_;
  std::vector<bool> usable_;  // by the position in CdrColumnsRead()
};

}  // namespace

std::vector<Finding> CheckCdrTable(OSql& session, const std::string& dsn) { return Checks(session, dsn).Run(); }
