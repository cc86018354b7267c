// The line that the scan prints for a call in progress at the view time.
#pragma once

#include <cstdint>

// printf format for one printed call, chosen by the pass flags of
// `checkMode`: the trunk-to-trunk label wins over the extension-to-extension
// one. Arguments: line number, SessionID, CallerNum, TargetNum, exit name.
const char* CallLineFormat(uint32_t checkMode);
