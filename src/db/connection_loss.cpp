#include "db/connection_loss.h"

#include <cstring>

namespace {

constexpr int kMariaServerGone = 2006;
constexpr int kMariaConnectionLost = 2013;

}  // namespace

bool IsConnectionLost(const char* state, int nativeError) {
  if (state == nullptr) return false;
  if (std::strncmp(state, "08", 2) == 0) return true;
  if (std::strcmp(state, "HYT01") == 0) return true;
  if (std::strcmp(state, "57P01") == 0 || std::strcmp(state, "57P02") == 0 || std::strcmp(state, "57P03") == 0) {
    return true;
  }
  return std::strcmp(state, "HY000") == 0 && (nativeError == kMariaServerGone || nativeError == kMariaConnectionLost);
}
