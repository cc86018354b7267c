#include "cli/minutes_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <vector>

#include "analysis/month_minutes.h"
#include "cli/exit_status.h"
#include "cli/standard_output.h"
#include "settings/settings.h"
#include "db/osql.h"
#include "platform/local_time.h"
#include "report/minutes_csv.h"
#include "timeutil/calendar_months.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "nortesk-etp: %s\n", message.c_str());
  return kExitFailed;
}

}  // namespace

CLI::App* AddMinutesCommand(CLI::App* app, MinutesOptions* options) {
  CLI::App* minutes = app->add_subcommand(
      "minutes", "Trunk minutes talked per month, inbound and outbound, as the commands m and M print them");
  options->dsn = kDefaultDsnName;
  minutes->add_option("--dsn", options->dsn, "ODBC data source of the call records")
      ->type_name("NAME")
      ->check(CLI::Validator([](std::string& text) { return text.empty() ? "a name is needed" : ""; }, ""))
      ->capture_default_str();
  minutes->add_option("--months", options->months, "the current month and the N-1 before it")
      ->type_name("N")
      ->check(CLI::Range(1, 120))
      ->capture_default_str();
  minutes->add_flag("--without-sip-tie", options->withoutSipTie,
                    "leave out calls whose only trunk end is a SIP tie line (as M does)");
  minutes->add_option("--csv", options->csvPath, "write the months into FILE as CSV")->type_name("FILE");
  return minutes;
}

int RunMinutes(const MinutesOptions& options) {
  OSql session;
  if (session.Connect(options.dsn.c_str(), "", "") == 0) {
    return Fail("cannot open data source \"" + options.dsn + "\"");
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const int32_t current = MonthCount(now.wYear, now.wMonth);
  std::vector<MonthMinutes> months(static_cast<size_t>(options.months));
  bool summed = true;
  for (int32_t i = 0; i < options.months && summed; ++i) {
    const int32_t count = current - (options.months - 1) + i;
    summed = SumMonthTrunkMinutes(session, YearOfMonthCount(count), MonthOfMonthCount(count), options.withoutSipTie,
                                  &months[static_cast<size_t>(i)]);
  }
  session.Disconnect();
  // All or nothing: a script must not take a gap for a month without calls.
  if (!summed) return Fail("a trunk-minutes statement failed on data source \"" + options.dsn + "\"");
  for (const MonthMinutes& month : months) PrintMonthMinutesLine(month);
  std::string error;
  if (!FlushStandardOutput(&error)) return Fail(error);
  if (!options.csvPath.empty() && !WriteMinutesCsv(options.csvPath, months, &error)) return Fail(error);
  return kExitDone;
}
