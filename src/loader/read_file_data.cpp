#include "loader/read_file_data.h"

#include "platform/files.h"
#include "platform/text.h"

int ReadFileData(const char* name, void* buffer, int32_t* size) {
  if (IsEmptyText(name) || buffer == nullptr || size == nullptr || *size <= 0) return 0;
  FileHandle file = OpenExistingFileForReading(name);
  if (file == nullptr) return 0;
  int64_t wanted = FileSizeOf(file);
  // A size the system cannot tell is treated as "more than the limit".
  if (wanted < 0 || wanted > *size) wanted = *size;
  size_t read = ReadFromFile(file, buffer, static_cast<size_t>(wanted));
  CloseFile(file);
  *size = static_cast<int32_t>(read);
  return read > 0 ? 1 : 0;
}
