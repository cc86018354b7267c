#include <cstdio>
#include <cstring>

#include "ivrlog/ivr_log.h"
#include "ivrlog/month_arithmetic.h"
#include "platform/text.h"

namespace {

// Month counts that the retention settings may take.
constexpr int32_t kMinMonths = 0;
constexpr int32_t kMaxMonths = 24;

bool MonthsInRange(int32_t months) { return months >= kMinMonths && months <= kMaxMonths; }

}  // namespace

int CIvrLog::RetainBeginDate(SYSTEMTIME* out, int32_t months) {
  *out = SYSTEMTIME{};
  if (!MonthsInRange(months)) return 0;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  out->wYear = now.wYear;
  out->wMonth = now.wMonth;
  out->wDay = now.wDay;
  std::printf("Today is %d/%02d/%02d\n", out->wYear, out->wMonth, out->wDay);
  if (out->wYear < 2000) return 0;
  MoveToFirstOfMonth(out, -months);
  std::printf("Retain %d month, begin date is %d/%02d/%02d\n", months, out->wYear, out->wMonth, 1);
  return 1;
}

int CIvrLog::BackupRetainRange(SYSTEMTIME* begin, SYSTEMTIME* end, int32_t liveMonths, int32_t backupMonths) {
  *begin = SYSTEMTIME{};
  *end = SYSTEMTIME{};
  if (!MonthsInRange(liveMonths) || !MonthsInRange(backupMonths)) return 0;
  if (RetainBeginDate(begin, liveMonths + backupMonths) == 0) return 0;
  *end = *begin;
  MoveToFirstOfMonth(end, backupMonths);
  std::printf("Backup retain %d month, end date is %d/%02d/%02d\n", backupMonths, end->wYear, end->wMonth, end->wDay);
  return 1;
}

int CIvrLog::ParseDateText(const char* text, SYSTEMTIME* out) {
  if (IsEmptyText(text) || strnlen(text, 8) < 8) return 0;
  out->wYear = static_cast<uint16_t>(ParseLeadingIntOf(text, 4));
  out->wMonth = static_cast<uint16_t>(ParseLeadingIntOf(text + 4, 2));
  out->wDay = static_cast<uint16_t>(ParseLeadingIntOf(text + 6, 2));
  return 1;
}

int CIvrLog::IsNewMonth() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  SYSTEMTIME last{};
  if (ParseDateText(lastRunDate, &last) == 0) return 1;
  return MonthIndex(now) > MonthIndex(last) ? 1 : 0;
}
