// nortesk-etp plan as its users run it: on generated records, on every
// backend, its CSV files read back against a plain per-second recount of
// the same rows, a day without records counted as missing; and the command
// line's answers to bad arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/format_thousands.h"
#include "planning/erlang_b.h"
#include "support/backend.h"
#include "support/tool_runner.h"
#include "support/zone_scope.h"
#include "tools/cdrgen_runner.h"

namespace {

constexpr char kZone[] = "America/New_York";  // the range holds a 23-hour day

long LocalMidnight(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_isdst = -1;
  return static_cast<long>(std::mktime(&tm));
}

std::string LocalText(long seconds, const char* format) {
  time_t t = seconds;
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, format, &tm);
  return text;
}

std::string Fixed3(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

// The records of a file, each a list of fields; every record must end in CRLF.
std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::string text = ReadWholeFile(path);
  std::vector<std::vector<std::string>> records;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "record without CRLF in " << path;
    if (end == std::string::npos) break;
    std::vector<std::string> fields;
    std::stringstream line(text.substr(at, end - at) + ",");
    for (std::string field; std::getline(line, field, ',');) fields.push_back(field);
    records.push_back(fields);
    at = end + 2;
  }
  return records;
}

struct DayCount {
  std::vector<std::string> csv;  // the expected days.csv record, without the busy_day flag
  std::string month;
  double erlangs = 0.0;
  int peak = 0, blocked = 0;
  bool missing = false;  // no record of any kind starts on the day
  // Quarter-hour readings by clock position ("HH:MM" of their start), and
  // the first-pass rows starting in each, carried and turned away.
  std::vector<std::string> clock;
  std::vector<double> readings;
  std::vector<int> carried, turnedAway;
  double peakHour = 0.0;
  double offered = 0.0;  // the peak hour scaled by its own attempts
  bool weekend = false;
  // The first-pass rows as attempts (start and end from the day's start,
  // turned away, lines held), and the daily peak hour in seconds.
  std::vector<std::array<long, 4>> attempts;
  long peakFrom = 0;
};

// The days of the record range from a per-second recount of the rows: both
// passes of the trunk check, a call occupying [start, end), the busy hour the
// earliest 3600-second window with the most call-seconds, the peak hour the
// earliest four quarter hours with the most.
std::vector<DayCount> Recount(const std::vector<Row>& rows, int year, int month, int day, int days) {
  std::vector<DayCount> counts;
  for (int i = 0; i < days; ++i) {
    const long start = LocalMidnight(year, month, day + i), end = LocalMidnight(year, month, day + i + 1);
    std::vector<long> perSecond(static_cast<size_t>(end - start), 0);
    const size_t quarters = perSecond.size() / 900;
    DayCount count;
    count.carried.assign(quarters, 0);
    count.turnedAway.assign(quarters, 0);
    int calls = 0, blocked = 0;
    bool any = false;
    for (const Row& row : rows) {
      const long s = std::stol(row[0]), e = std::stol(row[1]);
      const bool first = std::stoi(row[2]) >= 7 || std::stoi(row[3]) >= 7;
      const int weight = first + (std::stoi(row[2]) >= 7 && std::stoi(row[3]) >= 7);
      any = any || (s >= start && s < end);
      if (s < start || s >= end || e >= end || weight == 0) continue;
      calls += weight;
      blocked += row[4] == "21";
      count.attempts.push_back({s - start, e - start, row[4] == "21", weight});
      (row[4] == "21" ? count.turnedAway : count.carried)[static_cast<size_t>((s - start) / 900)] += 1;
      if (e - s < 2) continue;
      for (long t = s; t < e; ++t) perSecond[static_cast<size_t>(t - start)] += weight;
    }
    std::vector<long> sums(perSecond.size() + 1, 0);
    for (size_t t = 0; t < perSecond.size(); ++t) sums[t + 1] = sums[t] + perSecond[t];
    size_t busiest = 0;
    for (size_t t = 0; t + 3600 <= perSecond.size(); ++t) {
      if (sums[t + 3600] - sums[t] > sums[busiest + 3600] - sums[busiest]) busiest = t;
    }
    size_t peakQuarter = 0;
    for (size_t q = 0; q + 4 <= quarters; ++q) {
      if (sums[(q + 4) * 900] - sums[q * 900] > sums[(peakQuarter + 4) * 900] - sums[peakQuarter * 900]) {
        peakQuarter = q;
      }
    }
    for (size_t q = 0; q < quarters; ++q) {
      count.readings.push_back(static_cast<double>(sums[(q + 1) * 900] - sums[q * 900]) / 900.0);
      count.clock.push_back(LocalText(start + static_cast<long>(q) * 900, "%H:%M"));
    }
    int c = 0, b = 0;
    for (size_t q = peakQuarter; q < peakQuarter + 4; ++q) c += count.carried[q], b += count.turnedAway[q];
    const size_t peak = static_cast<size_t>(std::max_element(perSecond.begin(), perSecond.end()) - perSecond.begin());
    count.erlangs = static_cast<double>(sums[busiest + 3600] - sums[busiest]) / 3600.0;
    count.peakHour = static_cast<double>(sums[(peakQuarter + 4) * 900] - sums[peakQuarter * 900]) / 3600.0;
    count.offered = count.peakHour * (b > 0 && c > 0 ? static_cast<double>(b + c) / c : 1.0);
    count.weekend = LocalText(start, "%u") >= "6";
    count.peakFrom = static_cast<long>(peakQuarter) * 900;
    count.peak = static_cast<int>(perSecond[peak]);
    count.blocked = blocked;
    count.missing = !any;
    count.month = LocalText(start, "%Y-%m");
    count.csv = {LocalText(start, "%Y-%m-%d"), std::to_string(calls), std::to_string(count.peak),
                 LocalText(start + static_cast<long>(peak), "%H:%M:%S"),
                 LocalText(start + static_cast<long>(busiest), "%H:%M:%S"), Fixed3(count.erlangs),
                 std::to_string(blocked), count.missing ? "1" : "0",
                 count.missing ? "" : LocalText(start + static_cast<long>(peakQuarter) * 900, "%H:%M:%S"),
                 count.missing ? "" : Fixed3(count.peakHour)};
    counts.push_back(count);
  }
  return counts;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0.0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Whether every day is a working day: the weekend days' median peak hour
// reaches 80% of the weekdays'.
bool SevenDays(const std::vector<DayCount>& days) {
  std::vector<double> weekdays, weekends;
  for (const DayCount& day : days) {
    if (!day.missing && day.peakHour > 0.0) (day.weekend ? weekends : weekdays).push_back(day.peakHour);
  }
  return !(Median(weekdays) > 0.0 && Median(weekends) < 0.8 * Median(weekdays));
}

// The lines that the reference loads of `days` (less than a year of them)
// need: the means of the round(30 n / 365) and round(5 n / 365) highest
// offered peak hours of the n measured days, at least one each.
int ReferenceLines(const std::vector<DayCount*>& days, double grade, double highGrade) {
  std::vector<double> offered;
  for (const DayCount* day : days) {
    if (!day->missing) offered.push_back(day->offered);
  }
  std::sort(offered.rbegin(), offered.rend());
  const auto mean = [&offered](int count) {
    const int k = std::max(1, static_cast<int>(std::lround(count * static_cast<double>(offered.size()) / 365.0)));
    double sum = 0.0;
    for (int i = 0; i < k; ++i) sum += offered[static_cast<size_t>(i)];
    return sum / k;
  };
  return std::max(LinesNeeded(mean(30), grade), LinesNeeded(mean(5), highGrade));
}

// The months.csv record of a measured month from its days, by the E.500
// method written out plainly; marks the busy days. `year` holds the days
// up to the month's last one, whose reference loads set its lines.
std::vector<std::string> MonthRecord(std::vector<DayCount*> days, const std::vector<DayCount*>& year,
                                     const std::string& name, const std::string& kind, bool sevenDays, double grade,
                                     double highGrade) {
  std::vector<double> working, offered;
  int peak = 0, blocked = 0;
  for (const DayCount* day : days) {
    peak = std::max(peak, day->peak);
    blocked += day->blocked;
    if (day->missing) continue;
    offered.push_back(day->offered);
    if (sevenDays || !day->weekend) working.push_back(day->peakHour);
  }
  const size_t n = offered.size();
  const double median = Median(working);
  std::map<std::string, double> sum;
  std::map<std::string, int> readings, carried, turnedAway;
  int busyDays = 0;
  for (DayCount* day : days) {
    const bool busy = !day->missing && (sevenDays || !day->weekend) && day->peakHour > 0.0 &&
                      day->peakHour >= median / 2.0;
    day->csv.push_back(busy ? "1" : "0");
    if (!busy) continue;
    ++busyDays;
    for (size_t q = 0; q < day->readings.size(); ++q) {
      sum[day->clock[q]] += day->readings[q];
      ++readings[day->clock[q]];
      carried[day->clock[q]] += day->carried[q];
      turnedAway[day->clock[q]] += day->turnedAway[q];
    }
  }
  std::vector<std::string> positions;
  for (const auto& [clock, total] : sum) positions.push_back(clock);
  size_t best = 0;
  double bestMean = -1.0;
  for (size_t p = 0; p + 4 <= positions.size(); ++p) {
    double mean = 0.0;
    for (size_t q = p; q < p + 4; ++q) mean += sum[positions[q]] / readings[positions[q]];
    if (mean / 4 > bestMean) bestMean = mean / 4, best = p;
  }
  int c = 0, b = 0;
  for (size_t q = best; q < best + 4; ++q) c += carried[positions[q]], b += turnedAway[positions[q]];
  const double ratio = b > 0 && c > 0 ? static_cast<double>(b + c) / c : 1.0;
  std::sort(offered.rbegin(), offered.rend());
  double high = 0.0;
  const size_t taken = std::min<size_t>(5, offered.size());
  for (size_t i = 0; i < taken; ++i) high += offered[i];
  high /= static_cast<double>(taken);
  char share[32];
  std::snprintf(share, sizeof share, "%.4f", b + c > 0 ? static_cast<double>(b) / (b + c) : 0.0);
  return {name, kind, std::to_string(n), std::to_string(busyDays), positions[best].substr(0, 5),
          Fixed3(bestMean), share, Fixed3(bestMean * ratio), Fixed3(high), "", std::to_string(peak),
          std::to_string(blocked), std::to_string(ReferenceLines(year, grade, highGrade)), "", ""};
}

std::string BlockingText(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f%%", share * 100.0);
  return share == 0.0 ? "0%" : share < 0.0001 ? "below 0.01%" : text;
}

// The report's replay line for the measured `days` through `lines`,
// each day's attempts taken in start order (then end, turned away, more
// lines first) through a plain list of the calls held: a turned-away
// attempt holds for the day's mean carried call, rounded.
std::string ReplayLines(std::vector<DayCount> days, int lines, int busiestDays, const std::string& grade) {
  std::erase_if(days, [](const DayCount& day) { return day.missing; });
  std::stable_sort(days.begin(), days.end(), [](const DayCount& a, const DayCount& b) { return a.offered > b.offered; });
  long attempts = 0, lost = 0, peakAttempts = 0, peakLost = 0, busiestAttempts = 0, busiestLost = 0;
  int above = 0;
  double worst = 0.0;
  std::string worstDay;
  for (size_t d = 0; d < days.size(); ++d) {
    auto calls = days[d].attempts;
    long held = 0, carried = 0;
    for (const auto& a : calls) {
      if (a[2] == 0) held += std::max(a[1] - a[0], 1L), ++carried;
    }
    const long hold = carried > 0 ? (held + carried / 2) / carried : 180;
    std::sort(calls.begin(), calls.end(), [](const auto& x, const auto& y) {
      return std::make_tuple(x[0], x[1], x[2], -x[3]) < std::make_tuple(y[0], y[1], y[2], -y[3]);
    });
    std::vector<std::pair<long, long>> busy;
    long dayPeak = 0, dayPeakLost = 0;
    for (const auto& a : calls) {
      const bool inPeak = a[0] >= days[d].peakFrom && a[0] < days[d].peakFrom + 3600;
      std::erase_if(busy, [&](const auto& call) { return call.first <= a[0]; });
      long inUse = 0;
      for (const auto& call : busy) inUse += call.second;
      ++attempts, dayPeak += inPeak;
      if (inUse + a[3] <= lines) {
        busy.push_back({a[2] ? a[0] + hold : std::max(a[1], a[0] + 1), a[3]});
      } else {
        ++lost, dayPeakLost += inPeak;
      }
    }
    peakAttempts += dayPeak, peakLost += dayPeakLost;
    if (d < static_cast<size_t>(busiestDays)) busiestAttempts += dayPeak, busiestLost += dayPeakLost;
    const double share = dayPeak > 0 ? static_cast<double>(dayPeakLost) / dayPeak : 0.0;
    above += share > std::stod(grade) / 100.0;
    if (share > worst || (share == worst && share > 0 && days[d].csv[0] < worstDay)) worst = share, worstDay = days[d].csv[0];
  }
  const auto ratio = [](long part, long whole) { return whole > 0 ? static_cast<double>(part) / whole : 0.0; };
  return "  replayed through " + std::to_string(lines) + " lines: " + BlockingText(ratio(lost, attempts)) +
         " of all attempts lost, " + BlockingText(ratio(peakLost, peakAttempts)) + " in the daily peak hours, " +
         BlockingText(ratio(busiestLost, busiestAttempts)) + " in those of the " + std::to_string(busiestDays) +
          " busiest days; " + std::to_string(above) + (above == 1 ? " day" : " days") + " above " + grade + "%" +
         (worstDay.empty() ? "" : ", the worst " + worstDay + " with " + BlockingText(worst)) + "\n";
}

class PlanTest : public BackendTest {};

TEST_P(PlanTest, FilesAgreeWithAPlainRecountOfTheRows) {
  ZoneScope zone(kZone);
  AddDataSource(kLoggerDsn);
  // 75 days from 2025-12-31 through yesterday, 2026-03-15: a first month
  // of one day, two whole months, and the current month; a trunk group
  // small enough to turn calls away. Today's records are not all in: the
  // plan ends with yesterday.
  ToolRun generated = RunCdrgen({"--dsn", kLoggerDsn, "--days", "76", "--calls-per-day", "300", "--end-date",
                                 "2026-03-16", "--seed", "9", "--growth", "40", "--trunk-lines", "5"},
                                kZone);
  ASSERT_EQ(generated.status, 0) << generated.err;
  // 10 February has no records at all: it is missing, and February is no
  // complete month. 20 January has no trunk calls, but other calls: it is
  // a day without traffic, and January stays complete.
  const std::string feb10 = std::to_string(LocalMidnight(2026, 2, 10));
  const std::string feb11 = std::to_string(LocalMidnight(2026, 2, 11));
  const std::string jan20 = std::to_string(LocalMidnight(2026, 1, 20));
  const std::string jan21 = std::to_string(LocalMidnight(2026, 1, 21));
  Exec(kLoggerDsn, "DELETE FROM CDRMAIN WHERE StartTime >= " + feb10 + " AND StartTime < " + feb11);
  Exec(kLoggerDsn, "DELETE FROM CDRMAIN WHERE StartTime >= " + jan20 + " AND StartTime < " + jan21 +
                       " AND (CallerType >= 7 OR TargetType >= 7)");
  ASSERT_FALSE(
      Query(kLoggerDsn, "SELECT StartTime FROM CDRMAIN WHERE StartTime >= " + jan20 + " AND StartTime < " + jan21)
          .empty());
  ToolOptions options;
  options.timeZone = kZone;
  options.frozenClock = "2026-03-16 09:00:00";
  const std::string dir = ScratchDir() + "/plan csv";
  // Read on three sessions whatever the machine: the files must be those of one.
  options.arguments = {"plan",    "--csv",           dir,          "--lines", "5", "--gos", "2",
                       "--chart", dir + "/plan.svg", "--sessions", "3"};
  ToolRun run = RunTool("", options);
  ASSERT_EQ(run.status, 0) << run.err;
  // The files and the chart, and no temporary file left beside them.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files,
            (std::vector<std::string>{"backtest.csv", "days.csv", "months.csv", "plan.svg", "profile.csv"}));
  EXPECT_NE(ReadWholeFile(dir + "/plan.svg").find("</svg>"), std::string::npos);

  std::vector<DayCount> days =
      Recount(Query(kLoggerDsn, "SELECT StartTime, EndTime, CallerType, TargetType, ExitState FROM CDRMAIN"), 2025,
              12, 31, 75);
  // Months: busy days, the time-consistent busy hour, offered and high load
  // recounted; no projection from one complete month; the current month
  // shown as partial.
  const auto monthsCsv = ReadCsv(dir + "/months.csv");
  const std::vector<std::string> names = {"2025-12", "2026-01", "2026-02", "2026-03"};
  const std::vector<std::string> kinds = {"partial", "complete", "partial", "partial"};
  ASSERT_EQ(monthsCsv.size(), 1u + names.size());
  EXPECT_EQ(monthsCsv[0],
            (std::vector<std::string>{"month", "kind", "days", "busy_days", "busy_hour_start", "carried_erlangs",
                                      "blocked_share", "load_erlangs", "high_load_erlangs", "load_upper_erlangs",
                                      "peak_calls", "blocked_calls", "lines_needed", "lines_needed_upper",
                                      "model"}));
  const bool sevenDays = SevenDays(days);
  EXPECT_FALSE(sevenDays);  // the generator's weekends are quieter
  for (size_t m = 0; m < names.size(); ++m) {
    std::vector<DayCount*> inMonth, year;
    for (DayCount& day : days) {
      if (day.month == names[m]) inMonth.push_back(&day);
      if (day.month <= names[m]) year.push_back(&day);
    }
    EXPECT_EQ(monthsCsv[m + 1], MonthRecord(inMonth, year, names[m], kinds[m], sevenDays, 0.02, 0.07)) << names[m];
  }
  const auto daysCsv = ReadCsv(dir + "/days.csv");
  ASSERT_EQ(daysCsv.size(), 1u + days.size());
  EXPECT_EQ(daysCsv[0], (std::vector<std::string>{"date", "calls", "peak_calls", "peak_time", "busy_hour_start",
                                                   "busy_hour_erlangs", "blocked_calls", "missing",
                                                   "peak_hour_start", "peak_hour_erlangs", "busy_day"}));
  int blocked = 0;
  for (size_t i = 0; i < days.size(); ++i) {
    EXPECT_EQ(daysCsv[i + 1], days[i].csv);
    blocked += days[i].blocked;
  }
  EXPECT_GT(blocked, 0);
  const auto profileCsv = ReadCsv(dir + "/profile.csv");
  ASSERT_EQ(profileCsv.size(), 1u + 4 * 96);
  EXPECT_EQ(profileCsv[1], (std::vector<std::string>{"2025-12", "00:00", profileCsv[1][2]}));
  EXPECT_EQ(profileCsv.back()[1], "23:45");
  EXPECT_EQ(run.out.rfind("Capacity plan for data source \"Internal Logger Database\"\n"
                          "Trunk calls from 2025-12-31 to 2026-03-15: 75 days, ",
                          0),
            0u)
      << run.out;
  EXPECT_NE(run.out.find(" blocking (7% at high load)\n1 day had no call records and counts as missing\n\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nNo projection: 1 complete month, at least 6 are needed.\n"), std::string::npos);
  // The answer before the tables: the lines of the reference loads of the
  // days to yesterday, those of the current month.
  EXPECT_NE(run.out.find("\n\nLines needed now: " + monthsCsv[4][12] +
                         ", set by the "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(" (ITU-T E.520 on the reference loads of the 74 days to "
                         "2026-03-15 (less than a year: the means of the 6 and the 1 highest)"),
            std::string::npos)
      << run.out;
  EXPECT_LT(run.out.find("Lines needed now: "), run.out.find("Month    Kind"));
  EXPECT_NE(run.out.find("\nWith 5 lines installed:\n"), std::string::npos);
  // The replay through the lines given and through those needed, recounted.
  EXPECT_NE(run.out.find(ReplayLines(days, 5, 6, "2")), std::string::npos) << ReplayLines(days, 5, 6, "2") << run.out;
  const int needed = std::stoi(monthsCsv[4][12]);
  EXPECT_NE(run.out.find(ReplayLines(days, needed, 6, "2")), std::string::npos)
      << ReplayLines(days, needed, 6, "2") << run.out;
}

TEST_P(PlanTest, ATableWithoutRecordsFailsWithOneLineNamingTheSource) {
  AddDataSource(kLoggerDsn);
  CreateCdrTable(kLoggerDsn);
  ToolOptions options;
  options.arguments = {"plan"};
  ToolRun run = RunTool("", options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "nortesk-etp: data source \"Internal Logger Database\" holds no usable records of trunk calls\n");
}

// Three days of records up to the day before the runner's frozen clock.
void GenerateFewDays() {
  ToolRun generated = RunCdrgen(
      {"--dsn", kLoggerDsn, "--days", "3", "--calls-per-day", "50", "--end-date", "2026-02-09", "--seed", "4"});
  ASSERT_EQ(generated.status, 0) << generated.err;
}

TEST_P(PlanTest, FileNamesReachGnuplotAsNamesNeverAsCommands) {
  AddDataSource(kLoggerDsn);
  GenerateFewDays();
  // Relative names that gnuplot would take for pipes to a shell, with quotes
  // in them: they must name a folder and a file in the working folder, like
  // any other name.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(ScratchDir());
  ToolOptions options;
  options.arguments = {"plan", "--csv", "<touch csv-ran;cat x''", "--chart", "|touch chart-ran;#''.svg"};
  ToolRun run = RunTool("", options);
  std::filesystem::current_path(previous);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(std::filesystem::exists(ScratchDir() + "/csv-ran"));
  EXPECT_FALSE(std::filesystem::exists(ScratchDir() + "/chart-ran"));
  EXPECT_NE(ReadWholeFile(ScratchDir() + "/<touch csv-ran;cat x''/months.csv"), "");
  EXPECT_NE(ReadWholeFile(ScratchDir() + "/|touch chart-ran;#''.svg").find("</svg>"), std::string::npos);
}

TEST_P(PlanTest, AChartGnuplotDidNotDrawFailsAndLeavesNoFile) {
  AddDataSource(kLoggerDsn);
  GenerateFewDays();
  // A gnuplot that reads its script and ends well without drawing.
  const std::string bin = ScratchDir() + "/bin";
  std::filesystem::create_directories(bin);
  std::ofstream(bin + "/gnuplot") << "#!/bin/sh\ncat >/dev/null\n";
  std::filesystem::permissions(bin + "/gnuplot", std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (bin + ":" + path).c_str(), 1);
  const std::string dir = ScratchDir() + "/out";
  ToolOptions options;
  options.arguments = {"plan", "--csv", dir, "--chart", dir + "/plan.png"};
  ToolRun run = RunTool("", options);
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("nortesk-etp: gnuplot drew no chart into " + dir + "/plan.png\n"), std::string::npos)
      << run.err;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"backtest.csv", "days.csv", "months.csv", "profile.csv"}));
}

TEST_P(PlanTest, AReportThatCannotBeWrittenExitsWith1) {
  AddDataSource(kLoggerDsn);
  GenerateFewDays();
  ToolOptions options;
  options.arguments = {"plan"};
  options.standardOutput = "/dev/full";
  ToolRun run = RunTool("", options);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("nortesk-etp: cannot write to standard output: No space left on device\n"),
            std::string::npos)
      << run.err;
}

TEST_P(PlanTest, HistoryMonthsReachPastTheChecksYear) {
  AddDataSource(kLoggerDsn);
  // 500 days up to the day before the runner's frozen clock (2026-02-10):
  // from 2024-09-28, past the 395 days the console's checks read.
  ToolRun generated = RunCdrgen({"--dsn", kLoggerDsn, "--days", "500", "--calls-per-day", "60", "--end-date",
                                 "2026-02-09", "--seed", "5"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  const std::string dir = ScratchDir() + "/history";
  const auto plan = [&dir](const std::vector<std::string>& history) {
    ToolOptions options;
    options.arguments = {"plan", "--csv", dir};
    options.arguments.insert(options.arguments.end(), history.begin(), history.end());
    return RunTool("", options);
  };
  // By default 36 months before February 2026: every record day.
  ToolRun whole = plan({});
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_NE(whole.out.find("\nTrunk calls from 2024-09-28 to 2026-02-09: 500 days, "), std::string::npos) << whole.out;
  auto months = ReadCsv(dir + "/months.csv");
  ASSERT_GT(months.size(), 3u);
  EXPECT_EQ(months[1][0], "2024-09");
  EXPECT_EQ(months[2][0], "2024-10");
  EXPECT_EQ(months[2][1], "complete");
  EXPECT_NE(months[2][7], "0.000");
  // 12 months: from 2025-02-01 on.
  ToolRun year = plan({"--history-months", "12"});
  ASSERT_EQ(year.status, 0) << year.err;
  EXPECT_NE(year.out.find("\nTrunk calls from 2025-02-01 to 2026-02-09: 374 days, "), std::string::npos) << year.out;
  months = ReadCsv(dir + "/months.csv");
  ASSERT_GT(months.size(), 1u);
  EXPECT_EQ(months[1][0], "2025-02");
}

TEST_P(PlanTest, ALocalDayThatIsNoDayIsNamedAndTheRangeComesFromTheOthers) {
  AddDataSource(kLoggerDsn);
  // 240 days up to the day before the runner's frozen clock (2026-02-10):
  // seven complete months, enough for check's months figure.
  ToolRun generated = RunCdrgen({"--dsn", kLoggerDsn, "--days", "240", "--calls-per-day", "30", "--end-date",
                                 "2026-02-09", "--seed", "8", "--growth", "50"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  // '2025-13-45' is longer than the column tools/cdrmain.sql declares:
  // SQLite keeps it all the same, the servers need the room.
  if (IsPostgres()) Exec(kLoggerDsn, "ALTER TABLE CDRMAIN ALTER COLUMN LocalDay TYPE VARCHAR(10)");
  if (IsMariaDB()) Exec(kLoggerDsn, "ALTER TABLE CDRMAIN MODIFY LocalDay VARCHAR(10)");
  char records[kThousandsTextMax];
  FormatThousands(std::stol(Query(kLoggerDsn, "SELECT COUNT(*) FROM CDRMAIN")[0][0]) + 1, records);
  const std::string mid = std::to_string(LocalMidnight(2026, 1, 15) + 36000);
  // Each the greatest value ('garbage!', '99999999') or the least ('',
  // '2025-13-45' before '20250615'): an end of the range that is no day.
  for (const std::string value : {"garbage!", "99999999", "", "2025-13-45"}) {
    Exec(kLoggerDsn, "INSERT INTO CDRMAIN (StartTime, EndTime, CallerType, TargetType, LocalDay) VALUES (" + mid +
                         ", " + mid + " + 60, 1, 1, '" + value + "')");
    ToolOptions options;
    options.arguments = {"plan"};
    ToolRun run = RunTool("", options);
    EXPECT_EQ(run.status, 0) << value << "\n" << run.err;
    EXPECT_NE(run.out.find("\nTrunk calls from 2025-06-15 to 2026-02-09: 240 days, "), std::string::npos)
        << value << "\n" << run.out;
    EXPECT_NE(run.err.find("nortesk-etp: LocalDay holds '" + value + "' in 1 of " + std::string(records) +
                           " records, not a day as YYYYMMDD or YYYY-MM-DD, so the range of days is read from the "
                           "others: "),
              std::string::npos)
        << value << "\n" << run.err;
    if (value == "99999999") {
      // check's months figure reads the range as plan does.
      options.arguments = {"check", "--lines", "6", "--warning-months", "3:"};
      ToolRun check = RunTool("", options);
      EXPECT_EQ(check.out.find("TRUNKS UNKNOWN"), std::string::npos) << check.out;
      EXPECT_NE(check.out.find(" months_left="), std::string::npos) << check.out;
    }
    Exec(kLoggerDsn, "DELETE FROM CDRMAIN WHERE StartTime = " + mid + " AND LocalDay = '" + value + "'");
  }
}

TEST_P(PlanTest, TheCsvFilesReplaceTheirOldSetAllTogetherOrNotAtAll) {
  AddDataSource(kLoggerDsn);
  GenerateFewDays();
  // A folder where profile.csv belongs: nothing may be replaced.
  const std::string dir = ScratchDir() + "/set";
  std::filesystem::create_directories(dir + "/profile.csv");
  const std::vector<std::string> old = {"backtest.csv", "days.csv", "months.csv"};
  for (const std::string& name : old) std::ofstream(dir + "/" + name) << "old\r\n";
  ToolOptions options;
  options.arguments = {"plan", "--csv", dir};
  ToolRun run = RunTool("", options);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("nortesk-etp: cannot replace " + dir + "/profile.csv: "), std::string::npos) << run.err;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"backtest.csv", "days.csv", "months.csv", "profile.csv"}));
  for (const std::string& name : old) EXPECT_EQ(ReadWholeFile(dir + "/" + name), "old\r\n") << name;
}

TEST_P(PlanTest, AMonthOfRecordsWithoutOneCountedCallIsPartial) {
  AddDataSource(kLoggerDsn);
  // 2025-12-27 to 2026-02-09; every trunk call of January lost, the other
  // records kept: January is no month of 0 E.
  ToolRun generated = RunCdrgen(
      {"--dsn", kLoggerDsn, "--days", "45", "--calls-per-day", "40", "--end-date", "2026-02-09", "--seed", "6"});
  ASSERT_EQ(generated.status, 0) << generated.err;
  const std::string from = std::to_string(LocalMidnight(2026, 1, 1));
  const std::string to = std::to_string(LocalMidnight(2026, 2, 1));
  const std::string january = " StartTime >= " + from + " AND StartTime < " + to;
  Exec(kLoggerDsn, "DELETE FROM CDRMAIN WHERE" + january + " AND (CallerType >= 7 OR TargetType >= 7)");
  const long left = std::stol(Query(kLoggerDsn, "SELECT COUNT(*) FROM CDRMAIN WHERE" + january)[0][0]);
  ASSERT_GT(left, 0);
  char count[kThousandsTextMax];
  ToolOptions options;
  options.arguments = {"plan"};
  ToolRun run = RunTool("", options);
  EXPECT_EQ(run.status, 0) << run.err;
  const size_t row = run.out.find("\n2026/01  partial ");
  ASSERT_NE(row, std::string::npos) << run.out;
  const std::string line = run.out.substr(row + 1, run.out.find('\n', row + 1) - row - 1);
  const std::string reason = std::string("no trunk calls among ") + FormatThousands(left, count) + " records";
  EXPECT_EQ(line.substr(line.size() - std::min(line.size(), reason.size())), reason) << line;
}

INSTANTIATE_BACKENDS(PlanTest);

ToolRun RunArguments(const std::vector<std::string>& arguments) {
  ToolOptions options;
  options.arguments = arguments;
  const std::string ini = ::testing::TempDir() + "no-sources-" + std::to_string(::getpid()) + ".ini";
  std::ofstream(ini) << "";
  options.environment = {"ODBCINI=" + ini};
  return RunTool("", options);
}

TEST(PlanCommandLine, BadArgumentsExitWith2AndSayWhy) {
  const std::vector<std::vector<std::string>> cases = {
      {"plan", "--gos", "0"},        {"plan", "--gos", "100"},        {"plan", "--gos", "1%"},
      {"plan", "--months", "0"},     {"plan", "--months", "61"},      {"plan", "--lines", "0"},
      {"plan", "--lines", "x"},      {"plan", "--calls", "trunks"},   {"plan", "--chart", "plan.gif"},
      {"plan", "--dsn", ""},         {"plan", "--csv"},               {"plan", "extra"},
      {"plan", "--unknown"},         {"plot"},                        {"--dsn", "x"},
      {"plan", "--csv", "a\tb"},     {"plan", "--chart", "a\nb.png"},
  };
  for (const auto& arguments : cases) {
    ToolRun run = RunArguments(arguments);
    std::string joined;
    for (const std::string& a : arguments) joined += " '" + a + "'";
    EXPECT_EQ(run.status, 2) << joined;
    EXPECT_EQ(run.out, "") << joined;
    EXPECT_NE(run.err, "") << joined;
  }
}

TEST(PlanCommandLine, HelpVersionAndAMissingSource) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"}, {"plan", "--help"}, {"--version"}}) {
    ToolRun run = RunArguments(arguments);
    EXPECT_EQ(run.status, 0) << arguments.back();
    EXPECT_NE(run.out.find("nortesk-etp"), std::string::npos) << run.out;
  }
  EXPECT_NE(RunArguments({"plan", "--help"}).out.find("--lines N"), std::string::npos);
  ToolRun missing = RunArguments({"plan", "--dsn", "Nowhere At All"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  // One line naming the source, then the driver manager's reason.
  EXPECT_EQ(missing.err.rfind("nortesk-etp: cannot open data source \"Nowhere At All\"\n[unixODBC]", 0), 0u)
      << missing.err;
}

}  // namespace
