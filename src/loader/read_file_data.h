// Reads the start of a file into a caller's buffer.
#pragma once

#include <cstdint>

// Reads up to *size bytes from the start of the existing file `name` into
// `buffer` and stores the count read at *size. Returns 1 when at least one
// byte was read, else 0. Refuses (0, nothing changed) an empty name, a null
// buffer or size, and a count of 0 or less. The buffer is not terminated;
// a longer file is read only up to the count.
int ReadFileData(const char* name, void* buffer, int32_t* size);
