#include "terminal/path_completion.h"

#include <algorithm>

#include "platform/platform.h"
#include "terminal/console_rules.h"

namespace {

// What a PowerShell prompt puts before a path outside the drives.
constexpr char16_t kProviderPrefix[] = u"Microsoft.PowerShell.Core\\FileSystem::";
// Characters after which cmd.exe starts a new word, or that it treats as
// operators, so a name holding one must be quoted.
constexpr char16_t kNeedsQuotes[] = u" \t&()[]{}^=;!'+,`~";

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool isDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// "C:\..." or "\\server\share...".
bool isAbsolutePath(const std::u16string& path) {
    if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == u':' && isSeparator(path[2])) return true;
    return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string withoutTrailingBlanks(std::u16string text) {
    while (!text.empty() && isBlank(text.back())) text.pop_back();
    return text;
}

bool lessFolded(const std::u16string& a, const std::u16string& b) {
    std::u16string x = foldedText(a), y = foldedText(b);
    return x != y ? x < y : a < b;
}

}  // namespace

std::u16string promptDirectory(const std::u16string& promptLine) {
    std::u16string line = withoutTrailingBlanks(promptLine);
    if (line.size() < 2 || line.back() != u'>') return {};
    line.pop_back();
    if (line.compare(0, 3, u"PS ") == 0) {
        line.erase(0, 3);
        if (line.compare(0, std::size(kProviderPrefix) - 1, kProviderPrefix) == 0)
            line.erase(0, std::size(kProviderPrefix) - 1);
    }
    if (!isAbsolutePath(line) && !(line.size() == 2 && isDriveLetter(line[0]) && line[1] == u':')) return {};
    if (line.find_first_of(u"<>|\"*?") != std::u16string::npos) return {};
    if (line.size() == 2) line += u'\\';
    return line;
}

size_t countPrompts(PromptScan& scan, const std::u16string& output) {
    // A prompt names a path, which MAX_PATH bounds on the shell's side.
    constexpr size_t kLongestPrompt = 1024;
    size_t prompts = 0;
    for (char16_t c : output) {
        if (c == u'\r' || c == u'\n') {
            scan = {};
            continue;
        }
        if (scan.segment.size() < kLongestPrompt) {
            scan.segment += c;
        } else {
            scan.overlong = true;
        }
        if (c != u'>') continue;
        if (!scan.overlong && !promptDirectory(scan.segment).empty()) ++prompts;
        scan = {};
    }
    return prompts;
}

CompletionWord wordBeforeCaret(const std::u16string& input, size_t caret) {
    caret = std::min(caret, input.size());
    CompletionWord word;
    bool quoted = false;
    size_t quoteStart = 0;
    for (size_t i = 0; i < caret; ++i) {
        char16_t c = input[i];
        if (c == u'"') {
            if (!quoted) quoteStart = i;
            quoted = !quoted;
        } else if (isBlank(c) && !quoted) {
            word.start = i + 1;
        }
    }
    if (quoted && quoteStart < word.start) word.start = quoteStart;
    for (size_t i = word.start; i < caret; ++i)
        if (input[i] != u'"') word.path += input[i];
    return word;
}

std::u16string quotedForShell(const std::u16string& path) {
    if (path.find_first_of(kNeedsQuotes) == std::u16string::npos) return path;
    return u"\"" + path + u"\"";
}

std::vector<std::u16string> completionCandidates(const std::u16string& word, const std::u16string& currentDirectory) {
    size_t split = word.find_last_of(u"\\/");
    std::u16string folderPart = split == std::u16string::npos ? u"" : word.substr(0, split + 1);
    std::u16string prefix = foldedText(split == std::u16string::npos ? word : word.substr(split + 1));
    std::u16string folder;
    if (isAbsolutePath(word)) {
        folder = folderPart;
    } else if (!currentDirectory.empty() && !(word.size() >= 2 && word[1] == u':')) {
        // "\name" is relative to the current drive's root.
        bool fromRoot = !folderPart.empty() && isSeparator(folderPart[0]);
        folder =
            fromRoot ? currentDirectory.substr(0, 2) + folderPart : platform::joinPath(currentDirectory, folderPart);
    }
    if (folder.empty()) return {};
    std::vector<std::u16string> names;
    for (const platform::DirEntry& entry : platform::listDirectory(folder).value_or(std::vector<platform::DirEntry>{}))
        if (foldedText(entry.name).compare(0, prefix.size(), prefix) == 0) names.push_back(entry.name);
    std::sort(names.begin(), names.end(), lessFolded);
    std::vector<std::u16string> candidates;
    for (const std::u16string& name : names) candidates.push_back(quotedForShell(folderPart + name));
    return candidates;
}

CompletionResult completeInput(CompletionCycle& cycle, const std::u16string& input, size_t caret, bool backwards,
                               const std::u16string& currentDirectory) {
    bool again = !cycle.candidates.empty() && input == cycle.shownInput && caret == cycle.shownCaret;
    if (again) {
        size_t count = cycle.candidates.size();
        cycle.index = backwards ? (cycle.index + count - 1) % count : (cycle.index + 1) % count;
    } else {
        CompletionWord word = wordBeforeCaret(input, caret);
        cycle = CompletionCycle{};
        cycle.candidates = completionCandidates(word.path, currentDirectory);
        if (cycle.candidates.empty()) return {};
        cycle.index = backwards ? cycle.candidates.size() - 1 : 0;
        cycle.wordStart = word.start;
        cycle.tail = input.substr(std::min(caret, input.size()));
    }
    CompletionResult result;
    result.completed = true;
    result.input = input.substr(0, cycle.wordStart) + cycle.candidates[cycle.index];
    result.caret = result.input.size();
    result.input += cycle.tail;
    cycle.shownInput = result.input;
    cycle.shownCaret = result.caret;
    return result;
}
