#include "terminal/command_history.h"

#include <algorithm>
#include <unordered_set>

#include "data/file_backup.h"
#include "data/files.h"
#include "data/text.h"
#include "terminal/console_rules.h"

namespace {

// Case-insensitive fragments of commands that pass secrets on the command line.
constexpr const char16_t* kSecretFragments[] = {u"password", u"passwd",  u"pwd=",        u"secret", u"token",
                                                u"apikey",   u"api_key", u"asplaintext", u"/p:",    u"/pass:"};

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Words split at blanks; a quoted stretch belongs to its word, quotes removed.
std::vector<std::u16string> commandWords(const std::u16string& command) {
    std::vector<std::u16string> words;
    std::u16string word;
    bool inWord = false;
    bool quoted = false;
    for (char16_t c : command) {
        if (c == u'"') {
            quoted = !quoted;
            inWord = true;
        } else if (isBlank(c) && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// "net user NAME VALUE" sets NAME's password to VALUE; a switch ("/add",
// "/delete", "/active:no") in that place sets none.
bool setsUserPassword(const std::u16string& command) {
    std::vector<std::u16string> words = commandWords(command);
    if (words.size() < 4) return false;
    std::u16string program = foldedText(words[0]);
    size_t slash = program.find_last_of(u"\\/");
    if (slash != std::u16string::npos) program.erase(0, slash + 1);
    if (program != u"net" && program != u"net.exe") return false;
    return foldedText(words[1]) == u"user" && !words[3].empty() && words[3][0] != u'/';
}

// A line that ends inside a UTF-8 character: what a cut write leaves.
bool endsInsideCharacter(const std::string& line) {
    if (line.empty() || isValidUtf8(line)) return false;
    size_t lead = line.size();
    for (size_t back = 1; back <= 3 && back <= line.size(); ++back) {
        if ((static_cast<unsigned char>(line[line.size() - back]) & 0xC0) == 0xC0) {
            lead = line.size() - back;
            break;
        }
    }
    if (lead == line.size()) return false;
    const auto first = static_cast<unsigned char>(line[lead]);
    const size_t whole = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
    const size_t have = line.size() - lead;
    if (have >= whole) return false;
    // Completed with continuation bytes each lead byte accepts, it reads as UTF-8.
    for (unsigned char fill : {0x80, 0x90, 0xA0})
        if (isValidUtf8(line + std::string(whole - have, char(fill)))) return true;
    return false;
}

std::u16string lineText(std::string line) {
    line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
    return isValidUtf8(line) ? utf8ToWide(line) : ansiToWide(line);
}

std::vector<std::u16string> underTheRules(std::vector<std::u16string> lines) {
    // Newest first, the first sight of each kept, until the cap.
    std::vector<std::u16string> kept;
    std::unordered_set<std::u16string> seen;
    for (auto line = lines.rbegin(); line != lines.rend() && kept.size() < kHistoryCap; ++line)
        if (seen.insert(*line).second) kept.push_back(std::move(*line));
    std::reverse(kept.begin(), kept.end());
    return kept;
}

}  // namespace

std::u16string historyFilePath(ShellKind kind) {
    return userFilePath(kind == ShellKind::Cmd ? u"history-cmd.txt" : u"history-powershell.txt");
}

bool looksSecret(const std::u16string& command) {
    std::u16string text = foldedText(command);
    for (const char16_t* fragment : kSecretFragments)
        if (text.find(fragment) != std::u16string::npos) return true;
    return setsUserPassword(command);
}

bool mayStoreCommand(const std::u16string& command) {
    return !command.empty() && !isBlank(command[0]) && !looksSecret(command);
}

void rememberCommand(std::vector<std::u16string>& history, const std::u16string& command) {
    history.erase(std::remove(history.begin(), history.end(), command), history.end());
    history.push_back(command);
    if (history.size() > kHistoryCap) history.erase(history.begin(), history.end() - kHistoryCap);
}

HistoryText scanHistory(const std::string& bytes) {
    HistoryText scan;
    scan.textStart = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    size_t end = bytes.size();
    while (end > scan.textStart && bytes[end - 1] == '\0') --end;
    const size_t lastBreak = end > scan.textStart ? bytes.rfind('\n', end - 1) : std::string::npos;
    const size_t lastLine =
        lastBreak == std::string::npos || lastBreak < scan.textStart ? scan.textStart : lastBreak + 1;
    std::string last = bytes.substr(lastLine, end - lastLine);
    last.erase(std::remove(last.begin(), last.end(), '\0'), last.end());
    if (endsInsideCharacter(last)) end = lastLine;
    scan.keptLength = end;
    scan.tailHeldText = std::any_of(bytes.begin() + long(end), bytes.end(), [](char c) { return c != '\0'; });
    for (size_t start = scan.textStart; start < end;) {
        size_t stop = std::min(bytes.find('\n', start), end);
        if (stop < end) ++scan.lineBreaks;
        size_t text = stop > start && bytes[stop - 1] == '\r' ? stop - 1 : stop;
        if (std::u16string line = lineText(bytes.substr(start, text - start)); !line.empty())
            scan.lines.push_back(std::move(line));
        start = stop + 1;
    }
    return scan;
}

std::vector<std::u16string> parseHistory(const std::string& bytes) { return underTheRules(scanHistory(bytes).lines); }

std::string historyFileText(const std::vector<std::u16string>& history) {
    std::string text;
    for (const std::u16string& command : history) text += wideToUtf8(command) + "\n";
    return text;
}

HistoryLoad loadCommandHistory(const std::u16string& path) {
    HistoryLoad load;
    if (path.empty()) return load;
    FileRead read = readFile(path);
    if (read.status != ReadStatus::Read) return load;  // an unreadable one is left alone, and not appended to
    HistoryText scan = scanHistory(read.bytes);
    load.entries = underTheRules(std::move(scan.lines));
    if (scan.keptLength == read.bytes.size()) return load;
    underFileLock(
        path,
        [&] {
            // Another window may have mended it meanwhile.
            FileRead again = readFile(path);
            if (again.status != ReadStatus::Read) return;
            HistoryText now = scanHistory(again.bytes);
            if (now.keptLength == again.bytes.size()) return;
            if (now.tailHeldText) load.keptAs = keepBrokenCopy(path, again.bytes);
            writeFileTail(path, now.keptLength, "");
        },
        kLockMomentMs);
    return load;
}

HistoryStore appendCommandHistory(const std::u16string& path, const std::u16string& command, uint32_t lockWaitMs) {
    if (path.empty() || command.empty()) return HistoryStore::Failed;
    bool written = false;
    LockOutcome lock = underFileLock(
        path,
        [&] {
            FileRead read = readFile(path);
            if (read.status == ReadStatus::Failed) return;  // never written over
            HistoryText scan = scanHistory(read.bytes);
            // The torn tail goes; what else it held is kept aside (the cut part of one line at most).
            if (scan.tailHeldText) keepBrokenCopy(path, read.bytes);
            if (scan.lineBreaks + 1 >= 2 * kHistoryCap) {
                std::vector<std::u16string> history = underTheRules(std::move(scan.lines));
                rememberCommand(history, command);
                written = saveFileAtomically(path, historyFileText(history));
                return;
            }
            std::string line = wideToUtf8(command) + "\n";
            if (scan.keptLength > scan.textStart && read.bytes[scan.keptLength - 1] != '\n')
                line.insert(line.begin(), '\n');
            written = writeFileTail(path, scan.keptLength, line);
        },
        lockWaitMs);
    if (lock == LockOutcome::Busy) return HistoryStore::Busy;
    return written ? HistoryStore::Stored : HistoryStore::Failed;
}

bool clearCommandHistory(const std::u16string& path) {
    if (path.empty()) return false;
    bool cleared = false;
    underFileLock(
        path,
        [&] {
            FileRead read = readFile(path);
            cleared = read.status == ReadStatus::Missing || saveFileAtomically(path, "");
        },
        kLockMomentMs);
    return cleared;
}
