#include "platform/output_redirect.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

StandardOutputRedirect::StandardOutputRedirect(int target) {
  std::fflush(stdout);
  saved_ = dup(STDOUT_FILENO);
  if (saved_ >= 0 && target >= 0) dup2(target, STDOUT_FILENO);
}

StandardOutputRedirect StandardOutputRedirect::ToNowhere() {
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  StandardOutputRedirect redirect(null);
  if (null >= 0) close(null);
  return redirect;
}

StandardOutputRedirect::~StandardOutputRedirect() {
  std::fflush(stdout);
  if (saved_ < 0) return;
  dup2(saved_, STDOUT_FILENO);
  close(saved_);
}

int StandardOutputRedirect::Saved() const { return saved_ >= 0 ? saved_ : STDOUT_FILENO; }
