// The report entry and the trace log.
//
// Components report failures and milestones with Trace(module, line, format,
// ...). The process-wide COTrace stamps each message with the thread, the local
// time and the reporting module and line:
//
//     "<thread>-<mm/dd HH:MM:SS>: <message>. (<module>-<line>)\r\n"
//
// and sends the line to the outputs its flags select, in this order: the
// debugger output, the log file, standard output. While the log is closed
// (which is how the program leaves it) every report is dropped.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/files.h"
#include "platform/timed_mutex.h"

// Output selection bits of COTrace::flags.
inline constexpr uint32_t kTraceToFile = 0x1;
inline constexpr uint32_t kTraceToDebugger = 0x2;
inline constexpr uint32_t kTraceToConsole = 0x4;
inline constexpr uint32_t kTraceBuffered = 0x10000;  // with kTraceToFile: batch lines

// Above this many bytes the log file is renamed to "<fileName>.bak" at the
// next write and a new file is started.
inline constexpr int64_t kTraceRotateSize = 0x100000;

// A writer that cannot get the log's mutex within this time drops its line.
inline constexpr uint32_t kTraceWaitMilliseconds = 500;

// Waits for the mutex that failed, plus one for each note about them written
// to the log file ("Mutex failed %d times"), which is written whenever the
// count is a nonzero multiple of 11.
extern std::atomic<uint32_t> MutexFailCount;

class COTrace {
 public:
  // Opens the log: `path` (at most 255 characters) is opened for appending,
  // a mutex is created and `outputFlags` selects the outputs. Returns 1 when
  // the log is open, 0 (log stays closed) when the path is empty or too long,
  // `outputFlags` is 0, or the file or the mutex cannot be made. A log that
  // is open already is closed first.
  int Open(const char* path, uint32_t outputFlags);

  // Stamps `message` and sends it to the selected outputs; see the top of
  // this file. Does nothing while the log is closed or has no outputs.
  void LogTrace(const char* sourcePath, int line, const char* message);

  // Writes out buffered lines, closes the file and the mutex. Nothing
  // happens on a closed log.
  void Close();

  ~COTrace();

  int isOpen = 0;
  char auxName[256] = {};
  char fileName[256] = {};
  uint32_t flags = 0;
  FileHandle fileHandle = nullptr;
  MutexHandle mutexHandle = nullptr;
  char buffer[1024] = {};
  uint32_t bufferedLength = 0;
  FileHandle auxHandle = nullptr;

 private:
  void WriteLog(const char* text);
};

// Holds a mutex from a successful wait until the end of its scope.
class CMutexLock {
 public:
  explicit CMutexLock(MutexHandle* owner) : owner_(owner) {}
  ~CMutexLock() {
    if (acquired && owner_ != nullptr) ReleaseMutex(*owner_);
  }
  CMutexLock(const CMutexLock&) = delete;
  CMutexLock& operator=(const CMutexLock&) = delete;

  // Waits for the owner's mutex; sets `acquired` on success. A null handle
  // or a failed wait leaves it clear.
  bool Wait(uint32_t milliseconds);

  int acquired = 0;

 private:
  MutexHandle* owner_;
};

// The process-wide trace log.
extern COTrace ProcessTrace;

// Formats `format` (at most 511 characters of result are kept) and hands it
// to ProcessTrace.LogTrace. `sourcePath` names the reporting module; the
// part after its last directory separator is shown.
void Trace(const char* sourcePath, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
