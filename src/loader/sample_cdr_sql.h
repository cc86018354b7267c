// The one fixed call-detail record that the sample loader inserts: a trunk
// call (caller type 7) to an extension (target type 2) on 2014-04-11 from
// 15:17:54 to 15:28:29 UTC, exit state 8 (connected). Its columns are named
// quoted and in mixed case, as the phone system's own database expects them;
// LocalDay and Direction are not among them.
#pragma once

#include <sql.h>

#include <string>

// Builds the INSERT of the record, naming each column between `quote`s (no
// quotes when `quote` is empty or a blank, the answer of a driver without
// quoted identifiers) and in the case the database stores unquoted names in
// (`identifierCase`, an SQL_IDENTIFIER_CASE answer: SQL_IC_LOWER and
// SQL_IC_UPPER fold the names, anything else keeps their mixed case). With
// "\"" and SQL_IC_SENSITIVE the text is the record's classic statement.
std::string SampleCdrSql(const char* quote, SQLUSMALLINT identifierCase);
