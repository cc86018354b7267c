// The busiest-day lists of e, t and T against a reference written apart from
// the product: a plain per-second counter over random call data, in UTC and
// in a zone whose clock changes, on every backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"
#include "support/zone_scope.h"

namespace {

constexpr char kLogger[] = "Internal Logger Database";

struct GeneratedCall {
  long start, end;
  int callerType, targetType;
  std::string localDay;
};

struct Date {
  int year, month, day;
};

long LocalMidnight(Date date) {
  std::tm tm{};
  tm.tm_year = date.year - 1900;
  tm.tm_mon = date.month - 1;
  tm.tm_mday = date.day;
  tm.tm_isdst = -1;
  return static_cast<long>(std::mktime(&tm));
}

Date NextDate(Date date) {
  std::tm tm{};
  tm.tm_year = date.year - 1900;
  tm.tm_mon = date.month - 1;
  tm.tm_mday = date.day + 1;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  std::mktime(&tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

std::string LocalText(long seconds, const char* format) {
  time_t t = seconds;
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, format, &tm);
  return text;
}

Date DateOf(const std::string& localDay) {
  return {std::stoi(localDay.substr(0, 4)), std::stoi(localDay.substr(4, 2)), std::stoi(localDay.substr(6, 2))};
}

// Random traffic on the given days: short calls around three minutes, some
// long ones, some of 0 or 1 second, some crossing midnight, and bursts at
// the given moments so that peaks land there.
std::vector<GeneratedCall> MakeTraffic(const std::vector<Date>& days, const std::vector<long>& bursts, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int types[] = {1, 2, 7, 8, 9};
  auto type = [&] { return types[random() % 5]; };
  std::vector<GeneratedCall> calls;
  auto add = [&](long start, long length) {
    calls.push_back({start, start + length, type(), type(), LocalText(start, "%Y%m%d")});
  };
  for (const Date& date : days) {
    long midnight = LocalMidnight(date);
    long length = LocalMidnight(NextDate(date)) - midnight;
    int count = 100 + static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      long start = midnight - 1800 + static_cast<long>(unit(random) * static_cast<double>(length + 1800));
      double kind = unit(random);
      long duration = kind < 0.05   ? static_cast<long>(random() % 2)
                      : kind < 0.15 ? 3600 + static_cast<long>(random() % 10800)
                                    : 2 + static_cast<long>(-std::log(1.0 - unit(random)) * 180.0);
      add(start, duration);
    }
  }
  for (long at : bursts) {
    int count = 3 + static_cast<int>(random() % 5);
    for (int i = 0; i < count; ++i) add(at + static_cast<long>(random() % 120), 60 + static_cast<long>(random() % 600));
  }
  return calls;
}

struct Mode {
  const char* word;
  const char* rangeHeader;
  const char* listHeader;
  std::function<bool(const GeneratedCall&)> first, second;
};

bool Ext(int type) { return type == 1 || type == 2; }
bool Trunk(int type) { return type >= 7; }
bool TrunkNoTie(int type) { return type >= 7 && type != 9; }

const std::vector<Mode>& Modes() {
  static const std::vector<Mode> modes = {
      {"t", "Checking trunk records from", "Peak trunk calls\n",
       [](const GeneratedCall& c) { return Trunk(c.callerType) || Trunk(c.targetType); },
       [](const GeneratedCall& c) { return Trunk(c.callerType) && Trunk(c.targetType); }},
      {"e", "Checking extension records from", "Peak extension calls\n",
       [](const GeneratedCall& c) { return Ext(c.callerType) || Ext(c.targetType); },
       [](const GeneratedCall& c) { return Ext(c.callerType) && Ext(c.targetType); }},
      {"T", "Checking trunk records without SIP-TIE from", "Peak trunk calls without SIP-TIE\n",
       [](const GeneratedCall& c) { return TrunkNoTie(c.callerType) || TrunkNoTie(c.targetType); },
       [](const GeneratedCall& c) { return TrunkNoTie(c.callerType) && TrunkNoTie(c.targetType); }},
  };
  return modes;
}

// What one range check prints, computed second by second from the calls.
std::string Reference(const std::vector<GeneratedCall>& calls, const Mode& mode) {
  std::string firstDay = calls[0].localDay, lastDay = calls[0].localDay;
  for (const GeneratedCall& c : calls) {
    firstDay = std::min(firstDay, c.localDay);
    lastDay = std::max(lastDay, c.localDay);
  }
  struct Entry {
    int count;
    long time;
  };
  std::vector<Entry> entries;
  long rows = 0;
  Date last = DateOf(lastDay);
  for (Date date = DateOf(firstDay);; date = NextDate(date)) {
    long dayStart = LocalMidnight(date);
    long dayEnd = LocalMidnight(NextDate(date));
    std::vector<int> perSecond(static_cast<size_t>(dayEnd - dayStart), 0);
    for (const GeneratedCall& c : calls) {
      if (c.start < dayStart || c.start >= dayEnd || c.end >= dayEnd) continue;
      int weight = (mode.first(c) ? 1 : 0) + (mode.second(c) ? 1 : 0);
      rows += weight;
      if (c.end - c.start < 2) continue;
      for (long s = c.start; s < c.end; ++s) perSecond[static_cast<size_t>(s - dayStart)] += weight;
    }
    auto busiest = std::max_element(perSecond.begin(), perSecond.end());  // the first of equals
    if (*busiest >= 2) entries.push_back({*busiest, dayStart + (busiest - perSecond.begin())});
    if (date.year == last.year && date.month == last.month && date.day == last.day) break;
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.count > b.count; });
  if (entries.size() > 10) entries.resize(10);

  std::string text = std::string(mode.rangeHeader) + " " + firstDay.substr(4, 2) + "/" + firstDay.substr(0, 4) +
                     " to " + lastDay.substr(4, 2) + "/" + lastDay.substr(0, 4) + "...\n\n";
  if (!entries.empty()) text += mode.listHeader;
  for (size_t i = 0; i < entries.size(); ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "\t%2d: %d calls at %s\n", static_cast<int>(i + 1), entries[i].count,
                  LocalText(entries[i].time, "%Y/%m/%d %H:%M:%S").c_str());
    text += line;
  }
  return text + "Checked " + std::to_string(rows) + " records, elapsed time 0.000 seconds\n";
}

class PeakReferenceTest : public BackendTest {
 protected:
  void Load(const std::vector<GeneratedCall>& calls) {
    AddDataSource(kLogger);
    CreateCdrTable(kLogger);
    for (size_t at = 0; at < calls.size(); at += 250) {
      std::string sql = "INSERT INTO CDRMAIN (StartTime, EndTime, SessionID, CallerType, TargetType, LocalDay) VALUES ";
      for (size_t i = at; i < std::min(calls.size(), at + 250); ++i) {
        const GeneratedCall& c = calls[i];
        sql += (i > at ? "," : "") + std::string("(") + std::to_string(c.start) + "," + std::to_string(c.end) + "," +
               std::to_string(i) + "," + std::to_string(c.callerType) + "," + std::to_string(c.targetType) + ",'" +
               c.localDay + "')";
      }
      Exec(kLogger, sql);
    }
  }
  void Compare(const std::vector<GeneratedCall>& calls, const char* zone, const char* clock) {
    std::string expected = StartupText() + kPromptText;
    for (const Mode& mode : Modes()) expected += Reference(calls, mode) + kPromptText;
    ToolOptions options;
    options.timeZone = zone;
    options.frozenClock = clock;
    ToolRun run = RunTool("t e T q", options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected);
  }
};

TEST_P(PeakReferenceTest, AgreesInUtc) {
  ZoneScope zone("UTC");
  std::vector<Date> days;
  for (Date d{2026, 1, 3}; d.day <= 24; d = NextDate(d)) days.push_back(d);
  std::vector<GeneratedCall> calls = MakeTraffic(days, {LocalMidnight({2026, 1, 10}) + 86400 - 700}, 20260103);
  Load(calls);
  Compare(calls, "UTC", "2026-02-01 12:00:00");
}

TEST_P(PeakReferenceTest, AgreesAcrossClockChanges) {
  ZoneScope zone("America/New_York");
  std::vector<Date> days;
  for (Date d{2026, 3, 2}; d.day <= 12; d = NextDate(d)) days.push_back(d);
  for (Date d{2026, 10, 27}; d.month < 11 || d.day <= 6; d = NextDate(d)) days.push_back(d);
  // The 23-hour day's last hour, both runs of the repeated hour, and the
  // last hour of the 25-hour day.
  long march8 = LocalMidnight({2026, 3, 8});
  long november1 = LocalMidnight({2026, 11, 1});
  std::vector<long> bursts = {march8 + 82800 - 800, november1 + 3600 + 600, november1 + 7200 + 600,
                              november1 + 90000 - 800, november1 + 90000 - 800};
  std::vector<GeneratedCall> calls = MakeTraffic(days, bursts, 20261101);
  Load(calls);
  Compare(calls, "America/New_York", "2026-11-20 12:00:00");
}

INSTANTIATE_BACKENDS(PeakReferenceTest);

}  // namespace
