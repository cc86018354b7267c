#include "console/command_loop.h"

#include <cctype>

#include "analysis/call_kinds.h"
#include "analysis/call_peak.h"
#include "console/command_table.h"
#include "settings/settings.h"
#include "console/token_list.h"
#include "platform/program_path.h"
#include "trace/trace.h"

namespace {

constexpr char kBanner[] = "====== Nortesk Extension/Trunk Projection Tool ======\n";
constexpr char kPrompt[] = "\nq->Quit\n";

std::string DirectoryOf(const std::string& path) {
  size_t last = path.rfind(kPathSeparator);
  if (last == std::string::npos) return path;
  return path.substr(0, last + 1);
}

}  // namespace

void PrintMenu() {
  for (uint32_t mode : {kCheckExtension, kCheckTrunk, kCheckTrunkWithoutSipTie}) {
    const CallKind* kind = CallKindOfMode(mode);
    std::printf("%c -> %s\n", kind->letter, kind->menu);
  }
  std::printf("m -> check trunk minutes\n");
  std::printf("M -> check trunk minutes without SIP-TIE\n");
}

bool ReadWord(std::FILE* input, std::string& word) {
  word.clear();
  int c;
  do {
    c = std::fgetc(input);
  } while (c != EOF && std::isspace(c));
  while (c != EOF && !std::isspace(c)) {
    word.push_back(static_cast<char>(c));
    c = std::fgetc(input);
  }
  return !word.empty();
}

int RunConsole(std::FILE* input, int32_t sessions) {
  std::printf("%s", kBanner);
  ExeDirectory = DirectoryOf(ProgramFilePath());
  SetDsnName(kDefaultDsnName);
  CallPeak.OpenDatabase();
  CallPeak.Sessions = sessions > 0 ? sessions : DefaultRangeSessions();
  PrintMenu();

  // The word stays where the tokens point until the next word is read; its
  // storage is reused from one command to the next.
  std::string word;
  for (;;) {
    std::printf("%s", kPrompt);
    std::fflush(stdout);
    if (!ReadWord(input, word)) break;  // end of input ends the loop as 'q' does
    CommandTokens.Split(word.data());
    if (word[0] == 'q') break;
    DispatchCommand(word[0]);
  }

  CallPeak.CloseDatabase();
  ProcessTrace.Close();
  std::fflush(stdout);
  return 0;
}
