// Waiting for things while this thread's windows keep handling their messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Dispatches every message waiting for this thread.
void pumpMessages();
// Pumps until `done` holds or the time is up; false on time-out.
bool waitUntil(DWORD milliseconds, const std::function<bool()>& done);
bool processAlive(DWORD pid);
// A file name in the temporary folder.
std::u16string tempPath(const std::u16string& name);
