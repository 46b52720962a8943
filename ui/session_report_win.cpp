// The session report: gathered from the window's records on its own thread,
// then made into a page and written on a worker, so that a report of long
// transcripts never holds up the window.
#include "ui/session_report.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <cderr.h>

#include <thread>

#include "data/files.h"
#include "data/text.h"
#include "platform/win_clock.h"
#include "platform/win_system_library.h"
#include "platform/win_text.h"
#include "resources/version.h"
#include "ui/activity.h"
#include "ui/main_state.h"
#include "ui/ui_text.h"

namespace {

std::u16string text(int offset) { return uiText(kTextReportTitle + offset); }

ReportLabels reportLabels() {
    ReportLabels l;
    l.language = uiLanguage() == 1 ? u"en" : u"zh-CN";
    l.title = text(0);
    l.caution = text(1);
    l.contents = text(2);
    l.activity = text(3);
    l.playbooks = text(4);
    l.terminals = text(5);
    l.computer = text(6);
    l.user = text(7);
    l.windowsVersion = text(8);
    l.elevation = text(9);
    l.programVersion = text(12);
    l.span = text(13);
    l.createdAt = text(14);
    l.opened = text(15);
    l.verdict = text(16);
    l.notUsed = text(17);
    l.none = text(18);
    l.kindNote = text(19);
    l.kindTool = text(20);
    l.kindCommand = text(21);
    l.kindLink = text(22);
    l.usedRun = text(23);
    l.usedFilled = text(24);
    l.usedCopied = text(25);
    l.allowed = text(26);
    l.reading = uiText(kTextReportReading);
    l.readOk = uiText(kTextReportReading + 1);
    l.readFail = uiText(kTextReportReading + 2);
    l.readUnknown = uiText(kTextReportReading + 3);
    l.captured = uiText(kTextReportReading + 4);
    l.questions = uiText(kTextReportQuestions);
    l.launches = uiText(kTextReportQuestions + 1);
    l.launched = uiText(kTextReportQuestions + 2);
    l.launchFailed = uiText(kTextReportQuestions + 3);
    return l;
}

std::u16string computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? fromWide(name) : u"?";
}

std::u16string userName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    return GetUserNameW(name, &size) ? fromWide(name) : u"?";
}

// The version the system really is, as the report shows it.
std::u16string windowsVersion() {
    OSVERSIONINFOW info;
    if (!trueWindowsVersion(info)) return u"?";
    wchar_t version[64] = {};
    swprintf(version, 64, L"%lu.%lu (build %lu)", info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
    return fromWide(version);
}

std::u16string tabName(const MainState& state, size_t terminal) {
    const Terminal* open = state.terminals.terminals[terminal].terminal.get();
    const Page* page = pageAt(state.pages, terminalPageIndex(state.pages, open));
    return page ? page->title : std::u16string();
}

SessionReport gatherReport(const MainState& state) {
    SessionReport report;
    report.labels = reportLabels();
    ReportHeader& h = report.header;
    h.computer = computerName();
    h.user = userName();
    h.windowsVersion = windowsVersion();
    h.elevation = text(isElevated() ? 10 : 11);
    h.programVersion = asciiToWide(TOOLKEEP_VERSION_TEXT);
    h.spanFrom = state.session.startedAt;
    h.createdAt = clockText(ClockFormat::DateTime);
    h.spanTo = h.createdAt;
    report.activity = state.session.activity;
    report.questions = state.session.questions;
    report.launches = state.session.launches;
    report.playbooks = playbookRecords(state.session, report.labels);
    report.terminals = state.session.closedTerminals;
    for (size_t k = 0; k < state.terminals.terminals.size(); ++k)
        report.terminals.push_back(
            terminalReportRecord(*state.terminals.terminals[k].terminal, tabName(state, k), true));
    addStepReadings(report.playbooks, state.session, report.terminals, report.labels);
    return report;
}

// The dialog's filter: HTML first, then text; "\0" separates its parts.
std::wstring fileTypes() {
    std::u16string types = uiText(kTextReportHtmlFiles) + u'\0' + u"*.html" + u'\0' + uiText(kTextReportTextFiles) +
                           u'\0' + u"*.txt" + u'\0' + u'\0';
    return std::wstring(types.begin(), types.end());
}

bool endsWith(const std::u16string& path, const std::u16string& suffix) {
    if (path.size() < suffix.size()) return false;
    std::u16string tail = path.substr(path.size() - suffix.size());
    for (char16_t& c : tail) c = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return tail == suffix;
}

}  // namespace

TerminalRecord terminalReportRecord(const Terminal& terminal, const std::u16string& name, bool open) {
    TerminalRecord record;
    record.name = name;
    record.shell = terminal.kind == ShellKind::Cmd ? u"CMD" : u"PowerShell";
    record.state = text(open ? 27 : 28);
    // What a clear took from view comes first: the report holds the whole session.
    record.blocks = transcriptBlocks(terminal.cleared, terminal.entered);
    for (CommandBlock& block : transcriptBlocks(terminal.mirror, terminal.entered))
        record.blocks.push_back(std::move(block));
    return record;
}

void saveSessionReport(MainState& state) {
    std::u16string suggested = reportFileName(computerName(), clockText(ClockFormat::FileStamp));
    std::vector<wchar_t> path(32768, L'\0');
    std::copy(suggested.begin(), suggested.end(), path.begin());
    std::wstring filter = fileTypes();
    std::u16string title = uiText(kTextSaveSessionReport);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = state.window;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = DWORD(path.size());
    dialog.lpstrTitle = wstr(title);
    dialog.lpstrDefExt = L"html";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            MessageBoxW(state.window, wstr(uiText(kTextPathTooLong)), wstr(title), MB_OK | MB_ICONWARNING);
        return;
    }
    std::u16string chosen = fromWide(path.data());
    // The type chosen decides, unless the name says otherwise.
    bool html = endsWith(chosen, u".html") || endsWith(chosen, u".htm") ||
                (dialog.nFilterIndex != 2 && !endsWith(chosen, u".txt"));
    writeSessionReport(state, chosen, html);
}

void writeSessionReport(MainState& state, const std::u16string& path, bool html) {
    SessionReport report = gatherReport(state);
    HWND window = state.window;
    ++state.reports.beingSaved;
    if (state.statusBar)
        SendMessageW(state.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wstr(uiText(kTextReportSaving))));
    std::thread([window, path, html, report = std::move(report)] {
        bool saved = saveFileAtomically(path, html ? reportHtml(report) : reportText(report));
        auto* where = new std::u16string(path);
        if (!PostMessageW(window, kReportSavedMessage, saved ? 1 : 0, reinterpret_cast<LPARAM>(where))) delete where;
    }).detach();
}

void onSessionReportSaved(MainState& state, WPARAM saved, LPARAM path) {
    std::unique_ptr<std::u16string> where(reinterpret_cast<std::u16string*>(path));
    if (state.reports.beingSaved > 0) --state.reports.beingSaved;
    if (!where) return;
    if (saved) {
        reportActivity(state, uiTextWith(kTextReportSaved, {*where}), kActionBlue);
    } else {
        reportActivity(state, uiTextWith(kTextReportNotSaved, {*where}), kFailureRed);
    }
    // The window was closed while this report was being written: the last goes with it.
    if (state.reports.closeAfterLast && state.reports.beingSaved == 0) DestroyWindow(state.window);
}
