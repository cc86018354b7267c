// The time zone of this process, set for a scope of a test.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <string>

// Sets TZ for this process for the life of the object, and puts back what
// was there before (or no TZ at all).
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    const char* old = getenv("TZ");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    if (hadOld_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ZoneScope(const ZoneScope&) = delete;
  ZoneScope& operator=(const ZoneScope&) = delete;

 private:
  bool hadOld_ = false;
  std::string old_;
};
