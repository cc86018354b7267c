#include "cli/doctor_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <vector>

#include "cli/doctor_odbc_ini.h"
#include "cli/exit_status.h"
#include "db/osql.h"
#include "diagnosis/table_checks.h"
#include "settings/settings.h"

namespace {

// Wide enough for the longest label, so that the findings line up.
constexpr int kLabelWidth = 6;

const char* Label(Verdict verdict) {
  switch (verdict) {
    case Verdict::kPassed:
      return "ok";
    case Verdict::kFailed:
      return "FAIL";
    case Verdict::kSkipped:
      return "skip";
  }
  return "";
}

void PrintFinding(Verdict verdict, const std::string& text) {
  std::printf("%-*s%s\n", kLabelWidth, Label(verdict), text.c_str());
}

// The driver's reason under the failed connection, indented past the labels.
void PrintIndented(const std::string& lines) {
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    std::printf("%*s%.*s\n", kLabelWidth, "", static_cast<int>(end - start), lines.c_str() + start);
    start = end + 1;
  }
}

std::string CheckNotEmpty(std::string& text) { return text.empty() ? "a name is needed" : ""; }

}  // namespace

CLI::App* AddDoctorCommand(CLI::App* app, DoctorOptions* options) {
  CLI::App* doctor = app->add_subcommand(
      "doctor", "Check a data source: the connection, table CDRMAIN, its columns, records and indexes");
  options->dsn = kDefaultDsnName;
  doctor->add_option("--dsn", options->dsn, "ODBC data source of the call records")
      ->type_name("NAME")
      ->check(CLI::Validator(CheckNotEmpty, ""))
      ->capture_default_str();
  return doctor;
}

int RunDoctor(const DoctorOptions& options) {
  const std::string source = "data source \"" + options.dsn + "\"";
  OSql session;
  if (session.Connect(options.dsn.c_str(), "", "") == 0) {
    const std::optional<std::string> ini = UserOdbcIniPath();
    PrintFinding(Verdict::kFailed,
                 ConnectFailureAdvice(options.dsn, ini && ReadOnlyForThisUser(*ini) ? *ini : std::string()));
    PrintIndented(session.ConnectFailureText());
    return kExitFailed;
  }
  PrintFinding(Verdict::kPassed, "connected to " + source);
  bool failed = false;
  if (const std::optional<Finding> commLog = CommLogFinding(options.dsn)) {
    PrintFinding(commLog->verdict, commLog->text);
    failed = true;
  }
  for (const Finding& finding : CheckCdrTable(session, options.dsn)) {
    PrintFinding(finding.verdict, finding.text);
    failed = failed || finding.verdict == Verdict::kFailed;
  }
  session.Disconnect();
  return failed ? kExitFailed : kExitDone;
}
