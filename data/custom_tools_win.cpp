#include <windows.h>

#include "data/custom_tools.h"

uint64_t systemTickCount() { return GetTickCount64(); }
