#include "db/spider_shard_indexes.h"

#include <algorithm>
#include <optional>

#include "db/osql.h"
#include "db/spider_comment.h"
#include "db/sql_literal.h"

namespace {

// TABLE_COMMENT and PARTITION_COMMENT hold up to 2048 characters.
constexpr SQLLEN kCommentSize = 2049 * 4;
constexpr char kAnswers[] = "nortesk_shard_index";

std::string OneLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) text.replace(at, 1, "; ");
  return text.empty() ? "the driver gave no reason" : text;
}

// Runs `sql` on the own statement; false with the driver's reason.
bool Run(OSql& session, const std::string& sql, std::string* reason) {
  SQLRETURN result =
      SQLExecDirect(session.statementHandle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
  if (!SqlSucceeded(result)) *reason = OneLine(session.DiagnosticText());
  session.CloseCursor();
  return SqlSucceeded(result);
}

// The first two columns of every row of `sql`, NULL as "".
bool ReadPairs(OSql& session, const std::string& sql, std::vector<std::pair<std::string, std::string>>* rows,
               std::string* reason) {
  SQLHSTMT statement = session.statementHandle;
  if (!SqlSucceeded(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS))) {
    *reason = OneLine(session.DiagnosticText());
    session.CloseCursor();
    return false;
  }
  std::vector<char> first(kCommentSize), second(kCommentSize);
  SQLLEN firstIndicator = 0, secondIndicator = 0;
  if (SQLBindCol(statement, 1, SQL_C_CHAR, first.data(), kCommentSize - 1, &firstIndicator) != SQL_SUCCESS ||
      SQLBindCol(statement, 2, SQL_C_CHAR, second.data(), kCommentSize - 1, &secondIndicator) != SQL_SUCCESS) {
    *reason = OneLine(session.DiagnosticText());
    session.FinishLocalRead();
    return false;
  }
  SQLRETURN result = SQL_SUCCESS;
  while (SqlSucceeded(result = SQLFetch(statement))) {
    rows->emplace_back(firstIndicator == SQL_NULL_DATA ? "" : first.data(),
                       secondIndicator == SQL_NULL_DATA ? "" : second.data());
  }
  if (result != SQL_NO_DATA) *reason = OneLine(session.DiagnosticText());
  session.FinishLocalRead();
  return result == SQL_NO_DATA;
}

// A value that goes back into a parameter list between double quotes
// unchanged: no quote and no backslash in it.
bool Plain(const std::string& value) { return value.find_first_of("\"'\\") == std::string::npos; }

struct Shard {
  std::string server, database, table;  // database "" for the server definition's
};

}  // namespace

int ReadSpiderShardIndexes(OSql& session, const char* table, const char* column, std::vector<ShardIndex>* out,
                           std::string* reason) {
  out->clear();
  if (!session.IsOpen() || session.statementHandle == SQL_NULL_HSTMT) return 0;
  std::vector<std::pair<std::string, std::string>> comments;  // the table's, the partition's
  if (!ReadPairs(session,
                 "SELECT t.TABLE_COMMENT, p.PARTITION_COMMENT FROM information_schema.TABLES t JOIN "
                 "information_schema.PARTITIONS p ON p.TABLE_SCHEMA = t.TABLE_SCHEMA AND p.TABLE_NAME = t.TABLE_NAME "
                 "WHERE t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = " +
                     SqlStringLiteral(table) +
                     " ORDER BY p.PARTITION_ORDINAL_POSITION, p.SUBPARTITION_ORDINAL_POSITION",
                 &comments, reason)) {
    return 0;
  }
  std::vector<Shard> shards;
  for (const auto& row : comments) {
    // References, not a structured binding: clang 14 (the fuzz build) cannot capture one in a lambda.
    const std::string& tableComment = row.first;
    const std::string& partitionComment = row.second;
    auto parameter = [&](const char* name) {
      std::optional<std::string> value = SpiderParameter(partitionComment, name);
      return value.has_value() ? value : SpiderParameter(tableComment, name);
    };
    const std::optional<std::string> server = parameter("srv");
    if (!server.has_value() || !Plain(*server)) {
      *reason = "a partition names its shard by host rather than by server, or not at all";
      return 0;
    }
    Shard shard{*server, parameter("database").value_or(""), parameter("tbl").value_or(table)};
    // MariaDB reads a backslash in a string literal as an escape.
    if (!Plain(shard.database) || !Plain(shard.table)) {
      *reason = "a partition names a database or table with a quote or a backslash in it";
      return 0;
    }
    if (std::none_of(shards.begin(), shards.end(), [&](const Shard& s) {
          return s.server == shard.server && s.database == shard.database && s.table == shard.table;
        })) {
      shards.push_back(shard);
    }
  }
  if (shards.empty()) {
    *reason = "the head's catalogue lists no partition";
    return 0;
  }
  if (!Run(session, std::string("CREATE TEMPORARY TABLE ") + kAnswers + " (led BIGINT)", reason)) return 0;
  bool asked = true;
  for (const Shard& shard : shards) {
    // Without a database of the partition's own, the shard's connection is
    // in the one its server definition names.
    const std::string schema = shard.database.empty() ? "DATABASE()" : SqlStringLiteral(shard.database);
    const std::string question = "SELECT COUNT(*) FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = " + schema +
                                 " AND TABLE_NAME = " + SqlStringLiteral(shard.table) +
                                 " AND SEQ_IN_INDEX = 1 AND COLUMN_NAME = " + SqlStringLiteral(column);
    std::vector<std::pair<std::string, std::string>> answer;
    asked = Run(session, std::string("DELETE FROM ") + kAnswers, reason) &&
            Run(session,
                "SELECT spider_direct_sql(" + SqlStringLiteral(question) + ", '" + kAnswers + "', " +
                    SqlStringLiteral("srv \"" + shard.server + "\"") + ")",
                reason) &&
            ReadPairs(session, std::string("SELECT led, led FROM ") + kAnswers, &answer, reason);
    if (!asked) break;
    out->push_back({shard.server, answer.empty() ? -1 : (answer[0].first != "0" ? 1 : 0)});
  }
  std::string ignored;
  Run(session, std::string("DROP TEMPORARY TABLE ") + kAnswers, &ignored);
  if (!asked) out->clear();
  return asked ? 1 : 0;
}
