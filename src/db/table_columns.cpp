#include "db/table_columns.h"

#include <sqlext.h>
#include <strings.h>

#include <algorithm>
#include <utility>

#include "db/osql.h"
#include "db/table_indexes.h"

namespace {

constexpr SQLLEN kTextSize = 256;

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Column `number` of the current row as text; "" and `isNull` for NULL. False
// when the driver cannot deliver it.
bool GetText(SQLHSTMT statement, SQLUSMALLINT number, std::string* out, bool* isNull = nullptr) {
  char text[kTextSize] = {};
  SQLLEN indicator = 0;
  if (!SqlSucceeded(SQLGetData(statement, number, SQL_C_CHAR, text, kTextSize, &indicator))) return false;
  bool null = indicator == SQL_NULL_DATA;
  if (isNull != nullptr) *isNull = null;
  text[kTextSize - 1] = '\0';  // a name cut short still ends
  *out = null ? "" : text;
  return true;
}

bool GetNumber(SQLHSTMT statement, SQLUSMALLINT number, SQLINTEGER* out) {
  SQLLEN indicator = 0;
  *out = 0;
  if (!SqlSucceeded(SQLGetData(statement, number, SQL_C_SLONG, out, 0, &indicator))) return false;
  if (indicator == SQL_NULL_DATA) *out = 0;
  return true;
}

const char* ClassName(TypeClass c) {
  switch (c) {
    case TypeClass::kText:
      return "text";
    case TypeClass::kExact:
      return "an exact number";
    case TypeClass::kApproximate:
      return "an approximate number";
    case TypeClass::kDateTime:
      return "a date or time";
    case TypeClass::kBinary:
      return "binary";
    case TypeClass::kOther:
      break;
  }
  return "of SQL type";
}

std::string Describe(const TableColumn& column) {
  TypeClass c = ClassOfType(column.type);
  std::string text = ClassName(c);
  if (c == TypeClass::kOther) text += " " + std::to_string(column.type);
  return text;
}

}  // namespace

TypeClass ClassOfType(SQLSMALLINT type) {
  switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return TypeClass::kText;
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return TypeClass::kExact;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return TypeClass::kApproximate;
    case SQL_DATE:  // also SQL_DATETIME, the verbose code of the three below
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
      return TypeClass::kDateTime;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return TypeClass::kBinary;
    default:
      if (type >= SQL_INTERVAL_YEAR && type <= SQL_INTERVAL_MINUTE_TO_SECOND) return TypeClass::kDateTime;
      return TypeClass::kOther;
  }
}

int ReadTableColumns(OSql& session, const char* table, std::vector<TableColumn>* out, std::string* reason) {
  out->clear();
  if (table == nullptr || !session.IsOpen() || session.statementHandle == SQL_NULL_HSTMT) return 0;
  std::string name = FoldedTableName(session, table);
  SQLHSTMT statement = session.statementHandle;
  session.FinishLocalRead();
  SQLRETURN result = SQLColumns(statement, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(name.data()),
                                static_cast<SQLSMALLINT>(name.size()), nullptr, 0);
  if (!SqlSucceeded(result)) {
    if (reason != nullptr) *reason = session.DiagnosticText();
    session.FinishLocalRead();
    return 0;
  }
  // Columns of the result: 1 TABLE_CAT, 2 TABLE_SCHEM, 3 TABLE_NAME,
  // 4 COLUMN_NAME, 5 DATA_TYPE, 11 NULLABLE, 13 COLUMN_DEF, 17
  // ORDINAL_POSITION; read in that order, as drivers require.
  std::vector<std::pair<SQLINTEGER, TableColumn>> listed;
  std::string firstSchema;
  bool ok = true;
  while ((result = SQLFetch(statement)) != SQL_NO_DATA) {
    std::string catalog, schema, tableName, defaultValue;
    SQLINTEGER type = 0, nullable = 0, position = 0;
    bool defaultIsNull = true;
    TableColumn column;
    ok = SqlSucceeded(result) && GetText(statement, 1, &catalog) && GetText(statement, 2, &schema) &&
         GetText(statement, 3, &tableName) && GetText(statement, 4, &column.name) &&
         GetNumber(statement, 5, &type) && GetNumber(statement, 11, &nullable) &&
         GetText(statement, 13, &defaultValue, &defaultIsNull) && GetNumber(statement, 17, &position);
    if (!ok) break;
    // The table name is a search pattern, in which "_" stands for any
    // character.
    if (!SameName(tableName, name)) continue;
    std::string where = catalog + '\n' + schema;
    if (listed.empty()) firstSchema = where;
    if (where != firstSchema) continue;
    column.type = static_cast<SQLSMALLINT>(type);
    column.nullable = nullable != SQL_NO_NULLS;
    column.hasDefault = !defaultIsNull && !defaultValue.empty();
    listed.emplace_back(position, std::move(column));
  }
  if (!ok && reason != nullptr) *reason = session.DiagnosticText();
  session.FinishLocalRead();
  if (!ok) return 0;
  std::stable_sort(listed.begin(), listed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& entry : listed) out->push_back(std::move(entry.second));
  return 1;
}

std::string ColumnDifference(const std::vector<TableColumn>& from, const std::vector<TableColumn>& to,
                             const char* fromName, const char* toName) {
  if (to.empty()) return std::string("the ") + toName + " table does not exist or has no columns";
  for (size_t i = 0; i < from.size(); ++i) {
    const TableColumn& wanted = from[i];
    std::string number = std::to_string(i + 1);
    if (i >= to.size()) {
      return "column " + number + ", " + wanted.name + ", is missing in the " + toName + " table";
    }
    const TableColumn& have = to[i];
    if (!SameName(wanted.name, have.name)) {
      return "column " + number + " is " + wanted.name + " in the " + fromName + " table but " + have.name + " in the " +
             toName + " table";
    }
    TypeClass a = ClassOfType(wanted.type), b = ClassOfType(have.type);
    if (a != b || (a == TypeClass::kOther && wanted.type != have.type)) {
      return "column " + wanted.name + " is " + Describe(wanted) + " in the " + fromName + " table but " +
             Describe(have) + " in the " + toName + " table";
    }
  }
  for (size_t i = from.size(); i < to.size(); ++i) {
    if (!to[i].nullable && !to[i].hasDefault) {
      return "column " + to[i].name + " of the " + toName + " table, which the " + fromName +
             " table lacks, takes no NULL and has no default";
    }
  }
  return "";
}
