#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include "cli/doctor_command.h"
#include "cli/exit_status.h"
#include "cli/plan_command.h"

int RunCommandLine(int argc, char** argv) {
  CLI::App app("Nortesk Extension/Trunk Projection Tool: capacity planning from call-detail records.\n"
               "Without arguments it starts the interactive console.",
               "nortesk-etp");
  app.set_version_flag("--version", "nortesk-etp " NORTESK_VERSION);
  app.require_subcommand(1);
  PlanOptions planOptions;
  CLI::App* plan = AddPlanCommand(&app, &planOptions);
  DoctorOptions doctorOptions;
  CLI::App* doctor = AddDoctorCommand(&app, &doctorOptions);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version are "errors" with exit code 0; every other one is a
    // usage error, told by CLI11 on standard error.
    const int code = app.exit(e);
    return code == 0 ? kExitDone : kExitUsage;
  }
  if (plan->parsed()) return RunPlan(planOptions);
  if (doctor->parsed()) return RunDoctor(doctorOptions);
  return kExitUsage;
}
