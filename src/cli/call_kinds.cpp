#include "cli/call_kinds.h"

#include "settings/settings.h"

namespace {

constexpr CallKind kCallKinds[] = {
    {"trunk", kCheckTrunk, "Trunk calls"},
    {"trunk-no-sip-tie", kCheckTrunkWithoutSipTie, "Trunk calls without SIP-TIE"},
    {"extension", kCheckExtension, "Extension calls"},
};

}  // namespace

std::span<const CallKind> CallKinds() { return kCallKinds; }

const CallKind& CallKindNamed(const std::string& name) {
  for (const CallKind& kind : kCallKinds) {
    if (name == kind.name) return kind;
  }
  return kCallKinds[0];
}
