// WorkerMessage: one unit of work for the IVR maintenance worker, written
// into a buffer of the message pool. The buffer holds, byte for byte, the
// type (4 bytes, unsigned), the length of the text in bytes (4 bytes,
// signed) and then `length` bytes of text, which need no terminating NUL.
#pragma once

#include <cstdint>

struct WorkerMessage {
  uint32_t type;
  int32_t length;

  // The text that follows the header in the same buffer.
  const char* Text() const { return reinterpret_cast<const char*>(this) + sizeof(WorkerMessage); }
  char* Text() { return reinterpret_cast<char*>(this) + sizeof(WorkerMessage); }
};
static_assert(sizeof(WorkerMessage) == 8, "the text starts at byte 8");

// Message types. Types 2, 3 and 4 ask for nothing; any type not named here
// carries one SQL statement for the live IVR database.
inline constexpr uint32_t kMessageNoActionFirst = 2;
inline constexpr uint32_t kMessageNoActionLast = 4;
inline constexpr uint32_t kMessageBackupOldRows = 10;
inline constexpr uint32_t kMessageRotateBackupFile = 11;
