// Standard output sent elsewhere for a while: to another descriptor or to
// /dev/null, and back when the object goes. What was buffered is flushed
// to where it was meant for on both changes.
#pragma once

class StandardOutputRedirect {
 public:
  // To descriptor `target` (STDERR_FILENO, say).
  explicit StandardOutputRedirect(int target);
  // To /dev/null.
  static StandardOutputRedirect ToNowhere();
  ~StandardOutputRedirect();
  StandardOutputRedirect(StandardOutputRedirect&& other) noexcept : saved_(other.saved_) { other.saved_ = -1; }
  StandardOutputRedirect(const StandardOutputRedirect&) = delete;
  StandardOutputRedirect& operator=(const StandardOutputRedirect&) = delete;
  StandardOutputRedirect& operator=(StandardOutputRedirect&&) = delete;

  // The standard output of before, for what must still reach it; standard
  // output itself when it could not be kept (then nothing was redirected).
  int Saved() const;

 private:
  StandardOutputRedirect() = default;
  int saved_ = -1;
};
