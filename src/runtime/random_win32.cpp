#include "runtime/random_platform.h"

#include <windows.h>

std::uint32_t random_seed_material() { return GetCurrentThreadId() ^ GetTickCount(); }
