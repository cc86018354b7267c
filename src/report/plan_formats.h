// How the plan's reports write dates, times and traffic: one place for the
// texts that the table on standard output and the CSV files share.
#pragma once

#include <cstdint>
#include <string>

#include "planning/day_figures.h"

// "YYYY-MM-DD" of the day's local date.
std::string DateText(const DayFigures& day);

// "YYYY<separator>MM".
std::string MonthText(int32_t year, int32_t month, char separator);

// "HH:MM:SS", the local clock `offset` seconds after the day's start (on a
// day the clock goes back, the reading of the hour that comes twice).
std::string ClockText(const DayFigures& day, int32_t offset);

// `erlangs` with three decimals, as "%.3f" gives them: in the report and in
// the files alike.
std::string ErlangsText(double erlangs);

// `erlangs` to one decimal, as the answer's sentences give a load: "23.1".
std::string LoadText(double erlangs);

// `count` and the noun that fits it: "1 day", "14 days".
std::string CountOf(int64_t count, const char* one, const char* many);

// A count with "," between groups of three digits: "12,345".
std::string CountText(int64_t value);

// A share (0..1) as the report shows it: "12.3%".
std::string PercentText(double share);

// A share (0..1) as the files hold it: "0.1234".
std::string ShareText(double share);

// A grade of service given in percent, as the user wrote it: "1%", "0.5%".
std::string GradeText(double percent);

// A share of attempts lost (0..1), as the report gives it: two decimals,
// "below 0.01%" for less, "0%" for none.
std::string BlockingText(double share);

// A blocking probability by Erlang B, which no load above 0 makes 0: two
// decimals, "below 0.01%" for less (0 included).
std::string ErlangBlockingText(double probability);
