#include "terminal/command_history.h"

#include <algorithm>
#include <unordered_set>

#include "data/file_backup.h"
#include "data/files.h"
#include "data/text.h"
#include "terminal/console_rules.h"

namespace {

// Case-insensitive fragments of commands that pass secrets on the command line.
constexpr const char16_t* kSecretFragments[] = {u"password", u"passwd", u"pwd=",        u"secret", u"token",
                                                u"apikey",   u"api_key", u"asplaintext", u"/p:",
                                                u"/pass:"};

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

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

bool isHistoryText(const std::string& bytes) {
    return isValidUtf8(bytes) && bytes.find('\0') == std::string::npos;
}

size_t lineCount(const std::string& bytes) {
    return size_t(std::count(bytes.begin(), bytes.end(), '\n'));
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

std::vector<std::u16string> parseHistory(const std::string& utf8) {
    std::vector<std::u16string> lines;
    size_t start = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < utf8.size()) {
        size_t end = utf8.find('\n', start);
        if (end == std::string::npos) end = utf8.size();
        size_t stop = end > start && utf8[end - 1] == '\r' ? end - 1 : end;
        if (stop > start) lines.push_back(utf8ToWide(utf8.data() + start, stop - start));
        start = end + 1;
    }
    // Newest first, the first sight of each kept, until the cap.
    std::vector<std::u16string> kept;
    std::unordered_set<std::u16string> seen;
    for (auto line = lines.rbegin(); line != lines.rend() && kept.size() < kHistoryCap; ++line)
        if (seen.insert(*line).second) kept.push_back(std::move(*line));
    std::reverse(kept.begin(), kept.end());
    return kept;
}

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
    if (isHistoryText(read.bytes)) {
        load.entries = parseHistory(read.bytes);
        return load;
    }
    underFileLock(path, [&] {
        // Another window may have mended it meanwhile.
        FileRead again = readFile(path);
        if (again.status != ReadStatus::Read || isHistoryText(again.bytes)) return;
        load.keptAs = keepBrokenCopy(path, again.bytes);
        if (!load.keptAs.empty()) saveFileAtomically(path, "");
    });
    return load;
}

bool appendCommandHistory(const std::u16string& path, const std::u16string& command) {
    if (path.empty() || command.empty()) return false;
    bool written = false;
    underFileLock(path, [&] {
        FileRead read = readFile(path);
        if (read.status == ReadStatus::Failed || !isHistoryText(read.bytes)) return;  // never written over
        if (lineCount(read.bytes) + 1 >= 2 * kHistoryCap) {
            std::vector<std::u16string> history = parseHistory(read.bytes);
            rememberCommand(history, command);
            written = saveFileAtomically(path, historyFileText(history));
            return;
        }
        std::string line = wideToUtf8(command) + "\n";
        if (!read.bytes.empty() && read.bytes.back() != '\n') line.insert(line.begin(), '\n');
        written = appendToFile(path, line);
    });
    return written;
}

bool clearCommandHistory(const std::u16string& path) {
    if (path.empty()) return false;
    bool cleared = false;
    underFileLock(path, [&] {
        FileRead read = readFile(path);
        cleared = read.status == ReadStatus::Missing || saveFileAtomically(path, "");
    });
    return cleared;
}
