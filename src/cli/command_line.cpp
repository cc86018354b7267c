#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "analysis/call_peak.h"
#include "cli/check_command.h"
#include "cli/doctor_command.h"
#include "cli/exit_status.h"
#include "cli/index_command.h"
#include "cli/ivr_maintain_command.h"
#include "cli/minutes_command.h"
#include "cli/plan_command.h"
#include "cli/trace_option.h"
#include "console/command_loop.h"
#include "trace/trace.h"

int RunCommandLine(int argc, char** argv) {
  CLI::App app("Nortesk Extension/Trunk Projection Tool: capacity planning from call-detail records.\n"
               "Without a command it starts the interactive console.",
               "nortesk-etp");
  app.set_version_flag("--version", "nortesk-etp " NORTESK_VERSION);
  app.require_subcommand(0, 1);
  std::string tracePath;
  AddTraceOption(&app, &tracePath);
  PlanOptions planOptions;
  CLI::App* plan = AddPlanCommand(&app, &planOptions);
  AddTraceOption(plan, &tracePath);
  IndexOptions indexOptions;
  CLI::App* index = AddIndexCommand(&app, &indexOptions);
  MinutesOptions minutesOptions;
  CLI::App* minutes = AddMinutesCommand(&app, &minutesOptions);
  AddTraceOption(minutes, &tracePath);
  IvrMaintainOptions ivrOptions;
  CLI::App* ivrMaintain = AddIvrMaintainCommand(&app, &ivrOptions);
  int consoleSessions = DefaultRangeSessions();
  app.add_option("--sessions", consoleSessions, "the console's range checks read their days on K sessions at once")
      ->type_name("K")
      ->check(CLI::Range(1, static_cast<int>(CCallPeak::kMaxSessions)))
      ->capture_default_str();
  DoctorOptions doctorOptions;
  CLI::App* doctor = AddDoctorCommand(&app, &doctorOptions);
  CheckOptions checkOptions;
  CLI::App* check = AddCheckCommand(&app, &checkOptions);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version are "errors" with exit code 0; every other one is a
    // usage error, told by CLI11 on standard error.
    const int code = app.exit(e);
    if (code == 0) return kExitDone;
    // A monitoring system reads any status but 3 as the state of the trunks.
    if (check->parsed()) return ReportCheckUsageError(e.what());
    return kExitUsage;
  }
  if (ivrMaintain->parsed()) return RunIvrMaintain(ivrOptions);
  if (index->parsed()) return RunIndex(indexOptions);
  if (doctor->parsed()) return RunDoctor(doctorOptions);
  if (check->parsed()) return RunCheck(checkOptions);
  if (!OpenTraceLog(tracePath)) return kExitFailed;
  int status = kExitUsage;
  if (plan->parsed()) {
    status = RunPlan(planOptions);
  } else if (minutes->parsed()) {
    status = RunMinutes(minutesOptions);
  } else {
    // Only options: the console, with the trace open. It closes the trace
    // when it quits.
    status = RunConsole(stdin, consoleSessions);
  }
  ProcessTrace.Close();
  return status;
}
