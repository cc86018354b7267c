// The subcommands' options as a shell hands them over: one argument per
// line of the input. Any arguments are taken or refused with a usage
// error; names taken for --csv and --chart hold no control character, and
// the retention months of ivr-maintain stay in their bounds.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/ivr_maintain_command.h"
#include "cli/minutes_command.h"
#include "cli/plan_command.h"
#include "report/gnuplot_literal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments{"nortesk-etp"};
  std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    arguments.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());

  CLI::App app("fuzz");
  PlanOptions plan;
  IvrMaintainOptions ivr;
  MinutesOptions minutes;
  CheckOptions check;
  CLI::App* planCommand = AddPlanCommand(&app, &plan);
  CLI::App* ivrCommand = AddIvrMaintainCommand(&app, &ivr);
  AddMinutesCommand(&app, &minutes);
  AddCheckCommand(&app, &check);
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::Error&) {
    return 0;
  }
  if (planCommand->parsed() && (HasControlCharacter(plan.csvDir) || HasControlCharacter(plan.chartPath))) std::abort();
  if (ivrCommand->parsed()) {
    const int32_t live = ivr.host.retainMonths, backup = ivr.host.backupRetainMonths;
    if (live < 0 || backup < 0 || live + backup > 24) std::abort();
  }
  return 0;
}
