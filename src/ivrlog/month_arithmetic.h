// Month arithmetic on calendar dates.
#pragma once

#include <cstdint>

#include "platform/local_time.h"

// month + 12 * (year - 2000): months compare by this value.
int32_t MonthIndex(const SYSTEMTIME& date);

// Moves `date` to day 1 of the month `months` later (earlier when negative),
// across year ends; the time fields are left as they are.
void MoveToFirstOfMonth(SYSTEMTIME* date, int32_t months);
