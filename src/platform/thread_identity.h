// Identity of the calling thread, as the kernel numbers it.
#pragma once

unsigned long CurrentThreadId();
