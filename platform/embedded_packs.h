// Data packs compiled into the native program (generated at build time from
// the same files the Windows build embeds as RCDATA).
#pragma once

#include <string>

std::string embeddedPackBytes(int resourceId);
