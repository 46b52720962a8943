// The session report: asks where, then writes it on a worker; the outcome
// comes back as kReportSavedMessage.
#pragma once

#include <windows.h>

#include <string>

#include "report/session_log.h"
#include "terminal/terminal.h"

struct MainState;

constexpr UINT kReportSavedMessage = WM_APP + 51;
void saveSessionReport(MainState& state);
// Writes the report to the path without asking (the dialog's answer); the
// outcome comes back as kReportSavedMessage.
void writeSessionReport(MainState& state, const std::u16string& path, bool html);
void onSessionReportSaved(MainState& state, WPARAM saved, LPARAM path);
// A terminal's part of the report, kept when it closes.
TerminalRecord terminalReportRecord(const Terminal& terminal, const std::u16string& name, bool open);
