#include "analysis/exit_state_names.h"

const char ExitStateNames[kExitStateCount][kExitStateNameSize] = {
    "Unknown",         "AA",           "FORWARD",       "REDIRECT",          "RNA",
    "BUSY",            "QUEUE",        "OVERFLOW",      "CONNECT",           "CONFERENCE",
    "CONF_MEMBER",     "HOLD",         "XFER",          "XFER_DEST_UNAVAIL", "XFER_CANCEL",
    "VM_N_MSG",        "VM_MSG",       "GENERAL_VM",    "VM_ACCESS",         "VM_NOTIFY",
    "PICK_UP",         "ALL_TRK_BUSY", "NO_SESSION",    "PARK_PERSONAL",     "PARK_SYSTEM",
    "PARK_LINE",       "CALL_MONITOR", "PAGING",        "REMIND",            "AGENT_RNA",
    "ONA",             "APC_CONNECT",  "RING",          "XFER_RING",         "XFER_CONNECTED",
    "EXCHANGE_BRIDGE", "EXCHANGE_VM",  "EXCHANGE_DIVERSION",
};

const char* ExitStateName(int32_t exitState) {
  if (exitState < 0 || exitState >= kExitStateCount) exitState = 0;
  return ExitStateNames[exitState];
}
