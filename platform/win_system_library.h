// System DLLs come from the system folder only, never from beside the program.
#pragma once

#include <windows.h>

// The first thing the process does: later loads by bare name search the
// system folder only (the DLL search of Windows 7 without the update that
// brings SetDefaultDllDirectories at least drops the current directory).
void restrictDllSearchToSystem();

// Loads a DLL of the system folder by its full path; nullptr when that fails.
HMODULE loadSystemLibrary(const wchar_t* fileName);

// The version Windows really is: GetVersionEx answers only what the manifest
// claims to know, RtlGetVersion is not shimmed. False when it cannot be read.
bool trueWindowsVersion(OSVERSIONINFOW& info);
