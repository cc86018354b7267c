// The record day of a call as CDRMAIN holds it in LocalDay: the local
// calendar date as the text "YYYYMMDD" (the phone system's form) or
// "YYYY-MM-DD" (the text of a DATE column).
#pragma once

#include <cstdint>

struct RecordDay {
  int32_t year;
  int32_t month;
  int32_t day;
};

// Reads `text` in either form; blanks after the date are allowed. Returns
// false, leaving `out` alone, for any other text and for a date that is not
// on the calendar (month 13, 30 February, 29 February outside leap years,
// a year before 1970).
bool ParseRecordDay(const char* text, RecordDay* out);

// Orders two days by date: negative, zero or positive as `a` is before, the
// same as, or after `b`.
int CompareRecordDays(const RecordDay& a, const RecordDay& b);

// Today's local date, read from the clock.
RecordDay LocalToday();

// The calendar day before `day` (a valid date).
RecordDay DayBefore(const RecordDay& day);
