#include "console/options_command.h"

#include <cstdio>
#include <cstring>

#include "analysis/call_peak.h"
#include "console/date_tokens.h"
#include "settings/settings.h"
#include "console/token_list.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "timeutil/time_conversions.h"

namespace {

void SetViewTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const auto [month, day, year] = DateTokensOrToday(CommandTokens, 2, now);
  int32_t hour = CommandTokens.GetInt(5);
  int32_t minute = CommandTokens.GetInt(6);
  int32_t second = CommandTokens.GetInt(7);
  ViewTime = LocalDateTimeToEpoch(year, month, day, hour, minute, second);
  std::printf("View record time is %02d/%02d/%04d %02d:%02d:%02d = %d\n", static_cast<int>(month),
              static_cast<int>(day), static_cast<int>(year), static_cast<int>(hour), static_cast<int>(minute),
              static_cast<int>(second), static_cast<int>(ViewTime));
}

void SetCountIPExtToIPExt() {
  CountIPExtToIPExt = CommandTokens.GetInt(2);
  std::printf("Count IPExt to IPExt %d\n", static_cast<int>(CountIPExtToIPExt));
}

void SetDataSourceName() {
  std::printf("DSN %s\n", DsnName);
  const char* text = CommandTokens.GetText(2);
  if (IsEmptyText(text)) {
    std::printf("No DSN is specified\n");
    return;
  }
  // A command word holds no blanks: an underscore stands for one.
  size_t length = strnlen(text, kDsnNameSize - 1);
  std::memset(DsnName, 0, sizeof DsnName);
  for (size_t i = 0; i < length; ++i) DsnName[i] = text[i] == '_' ? ' ' : text[i];
  std::printf("DSN is changed to %s\n", DsnName);
}

void ViewTimeFromPeakList() {
  // Positions on screen count from 1; anything below names no entry.
  int32_t position = CommandTokens.GetInt(2);
  CallPeak.ViewPeak(position >= 1 ? position - 1 : -1);
}

}  // namespace

void OptionsCommand() {
  switch (CommandTokens.GetInt(1)) {
    case 0:
      std::printf("1: specify view record time, 2: count IPExt calls, 3: DSN, 4: view record time from peak calls\n");
      break;
    case 1:
      SetViewTime();
      break;
    case 2:
      SetCountIPExtToIPExt();
      break;
    case 3:
      SetDataSourceName();
      break;
    case 4:
      ViewTimeFromPeakList();
      break;
    default:
      break;
  }
}
