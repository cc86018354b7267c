#include "platform/thread_identity.h"

#include <sys/syscall.h>
#include <unistd.h>

unsigned long CurrentThreadId() { return static_cast<unsigned long>(syscall(SYS_gettid)); }
