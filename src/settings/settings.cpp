#include "settings/settings.h"

#include <cstring>

char DsnName[kDsnNameSize] = {};
std::string ExeDirectory;
int32_t ViewTime = 0;
int32_t CountIPExtToIPExt = 1;
uint32_t CheckMode = 0;

void SetDsnName(const char* name) {
  std::memset(DsnName, 0, sizeof DsnName);
  if (name != nullptr) std::strncpy(DsnName, name, sizeof DsnName - 1);
}
