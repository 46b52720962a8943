#include "terminal/console_rules.h"

#include <algorithm>

namespace {

bool isBlankOrBreak(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

char16_t asciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// Simple case folding: ASCII, Latin-1, Greek and Cyrillic capitals.
char16_t foldCase(char16_t c) {
    if (c < 0x80) return asciiLower(c);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return char16_t(c + 32);
    if (c >= 0x400 && c <= 0x40F) return char16_t(c + 80);
    return c;
}

}  // namespace

std::u16string foldedText(const std::u16string& s) {
    std::u16string out = s;
    for (char16_t& c : out) c = foldCase(c);
    return out;
}

std::u16string shellCommandLine(ShellKind kind) {
    return kind == ShellKind::Cmd ? u"cmd.exe /K" : u"powershell.exe -NoLogo -NoProfile -NoExit";
}

std::u16string shellInputText(const std::u16string& text) {
    std::u16string out = text;
    for (char16_t& c : out)
        if (c == u'\r') c = u'\n';
    return out;
}

std::u16string automaticTerminalName(ShellKind kind, size_t sameKindOpen) {
    std::u16string name = kind == ShellKind::Cmd ? u"CMD" : u"PowerShell";
    if (sameKindOpen >= 1) {
        std::string digits = std::to_string(sameKindOpen + 1);
        name += u' ';
        name.append(digits.begin(), digits.end());
    }
    return name;
}

ShellKind shellKindForName(const std::u16string& shellName) {
    std::u16string name = shellName;
    for (char16_t& c : name) c = asciiLower(c);
    return (name == u"powershell" || name == u"pwsh" || name == u"ps") ? ShellKind::PowerShell : ShellKind::Cmd;
}

std::u16string substitutePrompt(ShellKind kind, const std::u16string& directory) {
    return kind == ShellKind::Cmd ? directory + u">" : u"PS " + directory + u"> ";
}

EchoMatch matchShellEcho(const std::u16string& chunk, const std::u16string& pendingEcho) {
    if (pendingEcho == kEchoLineBreak) {
        size_t end = 0;
        if (end < chunk.size() && chunk[end] == u'\r') ++end;
        if (end < chunk.size() && chunk[end] == u'\n') ++end;
        return {end, true, {}};
    }
    // The next part of an echo that began in an earlier chunk may start with a blank.
    size_t start = 0;
    size_t direct = std::min(chunk.size(), pendingEcho.size());
    if (pendingEcho.empty() || pendingEcho.compare(0, direct, chunk, 0, direct) != 0) {
        while (start < chunk.size() && isBlankOrBreak(chunk[start])) ++start;
        if (start == chunk.size()) return {0, false, pendingEcho};
    }
    size_t length = std::min(chunk.size() - start, pendingEcho.size());
    if (pendingEcho.empty() || pendingEcho.compare(0, length, chunk, start, length) != 0) return {0, true, {}};
    size_t end = start + length;
    if (length < pendingEcho.size()) return {end, false, pendingEcho.substr(length)};
    if (end < chunk.size() && chunk[end] == u'\r') ++end;
    if (end < chunk.size() && chunk[end] == u'\n') return {end + 1, true, {}};
    if (end == chunk.size()) return {end, false, kEchoLineBreak};
    return {end, true, {}};
}

bool isLocalClearCommand(const std::u16string& line) {
    size_t begin = 0, end = line.size();
    while (begin < end && isBlankOrBreak(line[begin])) ++begin;
    while (end > begin && isBlankOrBreak(line[end - 1])) --end;
    std::u16string word = line.substr(begin, end - begin);
    for (char16_t& c : word) c = foldCase(c);
    return word == u"cls" || word == u"clear";
}

bool isHistoryWorthy(const std::u16string& line) {
    for (char16_t c : line)
        if (!isBlankOrBreak(c)) return true;
    return false;
}

long reverseHistoryMatch(const std::vector<std::u16string>& history, const std::u16string& query, size_t start) {
    if (history.empty() || query.empty()) return -1;
    if (start > history.size()) start = history.size();
    std::u16string q = foldedText(query);
    auto matches = [&](size_t i) { return foldedText(history[i]).find(q) != std::u16string::npos; };
    for (size_t i = start; i-- > 0;)
        if (matches(i)) return long(i);
    for (size_t i = history.size(); i-- > start;)
        if (matches(i)) return long(i);
    return -1;
}
