#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/debug_output.h"
#include "platform/program_path.h"
#include "platform/text.h"
#include "platform/thread_identity.h"
#include "trace/trace.h"

std::atomic<uint32_t> MutexFailCount{0};

namespace {

const char* ModuleName(const char* sourcePath) {
  if (sourcePath == nullptr) return "";
  const char* last = std::strrchr(sourcePath, kPathSeparator);
  return last != nullptr ? last + 1 : sourcePath;
}

}  // namespace

bool CMutexLock::Wait(uint32_t milliseconds) {
  if (owner_ == nullptr || *owner_ == nullptr) return false;
  acquired = WaitForMutex(*owner_, milliseconds) == WaitResult::kAcquired ? 1 : 0;
  return acquired != 0;
}

int COTrace::Open(const char* path, uint32_t outputFlags) {
  Close();
  if (IsEmptyText(path) || std::strlen(path) >= sizeof fileName || outputFlags == 0) return 0;
  FileHandle file = OpenFileForWriting(path);
  if (file == nullptr) return 0;
  MutexHandle mutex = CreateMutexHandle();
  if (mutex == nullptr) {
    CloseFile(file);
    return 0;
  }
  SeekToEnd(file);  // keep what earlier runs logged
  std::memset(fileName, 0, sizeof fileName);
  std::strncpy(fileName, path, sizeof fileName - 1);
  fileHandle = file;
  mutexHandle = mutex;
  flags = outputFlags;
  std::memset(buffer, 0, sizeof buffer);
  bufferedLength = 0;
  isOpen = 1;
  return 1;
}

void COTrace::LogTrace(const char* sourcePath, int line, const char* message) {
  if (isOpen == 0 || flags == 0) return;

  CMutexLock lock(&mutexHandle);
  if (mutexHandle != nullptr && !lock.Wait(kTraceWaitMilliseconds)) ++MutexFailCount;
  if (!lock.acquired) {
    std::printf("Failed to wait for mutex in %s-%d", sourcePath != nullptr ? sourcePath : "", line);
    return;
  }

  try {
    char stamp[32] = {};
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%m/%d %H:%M:%S", &local);

    char text[512] = {};
    FormatBounded(text, sizeof text, "%lu-%s: %s. (%s-%d)\r\n", CurrentThreadId(), stamp,
                  message != nullptr ? message : "", ModuleName(sourcePath), line);

    if (flags & kTraceToDebugger) OutputDebugText(text);
    if (flags & kTraceToFile) {
      if (flags & kTraceBuffered) {
        size_t n = std::strlen(text);
        if (bufferedLength + n >= sizeof buffer) {
          WriteLog(buffer);
          std::memset(buffer, 0, sizeof buffer);
          bufferedLength = 0;
        }
        std::memcpy(buffer + bufferedLength, text, n);
        bufferedLength += static_cast<uint32_t>(n);
      } else {
        WriteLog(text);
      }
    }
    if (flags & kTraceToConsole) std::fputs(text, stdout);
  } catch (...) {
    OutputDebugText("Exception in COTrace::LogTrace()\r\n");
  }
}

void COTrace::WriteLog(const char* text) {
  if (fileHandle == nullptr) return;
  if (FileSizeOf(fileHandle) > kTraceRotateSize) {
    CloseFile(fileHandle);
    fileHandle = nullptr;
    char backupName[260] = {};
    FormatBounded(backupName, sizeof backupName, "%s.bak", fileName);
    DeleteFilePath(backupName);
    MoveFilePath(fileName, backupName);
    fileHandle = OpenFileForWriting(fileName);
    if (fileHandle == nullptr) return;
    SeekToStart(fileHandle);
  }
  WriteToFile(fileHandle, text, std::strlen(text));

  uint32_t failures = MutexFailCount.load();
  if (failures != 0 && failures % 11 == 0) {
    char note[260] = {};
    FormatBounded(note, sizeof note, "Mutex failed %u times\r\n", failures);
    WriteToFile(fileHandle, note, std::strlen(note));
    ++MutexFailCount;
  }
}

void COTrace::Close() {
  if (isOpen == 0) return;
  if (bufferedLength > 0) WriteLog(buffer);
  CloseFile(fileHandle);
  CloseMutexHandle(mutexHandle);
  CloseFile(auxHandle);
  fileHandle = nullptr;
  mutexHandle = nullptr;
  auxHandle = nullptr;
  isOpen = 0;
}

COTrace::~COTrace() {
  if (isOpen != 0) Close();
}
