#include "analysis/call_line_format.h"

#include "settings/settings.h"

const char* CallLineFormat(uint32_t checkMode) {
  if ((checkMode & kPassTrunkToTrunk) != 0) return "%02d, session %d, caller %s, callee %s, exit %s, Trk2Trk\n";
  if ((checkMode & kPassExtToExt) != 0) return "%02d, session %d, caller %s, callee %s, exit %s, Ext2Ext\n";
  return "%02d, session %d, caller %s, callee %s, exit %s\n";
}
