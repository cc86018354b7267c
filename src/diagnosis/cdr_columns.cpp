#include "diagnosis/cdr_columns.h"

#include <sqlext.h>

namespace {

constexpr CdrColumn kColumns[] = {
    {"StartTime", "start of the call", ColumnNeed::kEpochSeconds},
    {"EndTime", "end of the call", ColumnNeed::kEpochSeconds},
    {"SessionID", "the number shown for the call", ColumnNeed::kInteger},
    {"CallerNum", "calling number", ColumnNeed::kText},
    {"TargetNum", "called number", ColumnNeed::kText},
    {"ExitState", "how the call ended", ColumnNeed::kInteger},
    {"CallerType", "endpoint type of the caller", ColumnNeed::kInteger},
    {"TargetType", "endpoint type of the called side", ColumnNeed::kInteger},
    {"Direction", "1 inbound, 2 outbound", ColumnNeed::kInteger},
    {"LocalDay", "local calendar day of the start", ColumnNeed::kDay},
};

bool IsInteger(SQLSMALLINT type, SQLSMALLINT decimalDigits) {
  switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return true;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return decimalDigits == 0;
    default:
      return false;
  }
}

bool IsText(SQLSMALLINT type) {
  switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::span<const CdrColumn> CdrColumnsRead() { return kColumns; }

const char* NeedText(ColumnNeed need) {
  switch (need) {
    case ColumnNeed::kEpochSeconds:
      return "integer epoch seconds";
    case ColumnNeed::kInteger:
      return "integer";
    case ColumnNeed::kText:
      return "text";
    case ColumnNeed::kDay:
      return "text YYYYMMDD or YYYY-MM-DD, or DATE";
  }
  return "";
}

const char* NeedAdvice(ColumnNeed need) {
  switch (need) {
    case ColumnNeed::kEpochSeconds:
      return "store seconds since 1970-01-01 00:00:00 UTC, or present the table through a view that converts "
             "them (tools/views/)";
    case ColumnNeed::kInteger:
      return "store the value as an integer";
    case ColumnNeed::kText:
      return "store the value as text";
    case ColumnNeed::kDay:
      return "store the local day of the start as text YYYYMMDD or YYYY-MM-DD, or as a DATE";
  }
  return "";
}

bool TypeMeetsNeed(ColumnNeed need, SQLSMALLINT sqlType, SQLSMALLINT decimalDigits) {
  switch (need) {
    case ColumnNeed::kEpochSeconds:
    case ColumnNeed::kInteger:
      return IsInteger(sqlType, decimalDigits);
    case ColumnNeed::kText:
      // Numbers kept as integers reach the tool as their digits.
      return IsText(sqlType) || IsInteger(sqlType, decimalDigits);
    case ColumnNeed::kDay:
      // The days are read as text; an integer 20260209 reads as a day, and
      // the sample of values decides.
      return IsText(sqlType) || IsInteger(sqlType, decimalDigits) || sqlType == SQL_TYPE_DATE ||
             sqlType == SQL_DATE;
  }
  return false;
}
