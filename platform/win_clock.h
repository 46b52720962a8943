// The local time as the program shows it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win_text.h"

// "HH:MM:SS", "YYYY-MM-DD HH:MM:SS" and "YYYYMMDD-HHMM" (for file names).
enum class ClockFormat { Time, DateTime, FileStamp };

inline std::u16string clockText(ClockFormat format, const SYSTEMTIME& t) {
    wchar_t text[32] = {};
    switch (format) {
        case ClockFormat::Time: swprintf(text, 32, L"%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond); break;
        case ClockFormat::DateTime:
            swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                     t.wSecond);
            break;
        case ClockFormat::FileStamp:
            swprintf(text, 32, L"%04u%02u%02u-%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
            break;
    }
    return fromWide(text);
}

inline std::u16string clockText(ClockFormat format) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return clockText(format, now);
}
