#include "terminal/pipe_limits.h"

#include <vector>

#include "data/text.h"

namespace {

// The words of one part of a command line; quotes group, they are dropped.
std::vector<std::u16string> words(const std::u16string& part) {
    std::vector<std::u16string> out;
    std::u16string word;
    bool quoted = false;
    for (char16_t c : part) {
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (!word.empty()) out.push_back(lowerAscii(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) out.push_back(lowerAscii(word));
    return out;
}

// "C:\Windows\System32\WindowsPowerShell\v1.0\powershell.exe" -> "powershell".
std::u16string programName(const std::u16string& word) {
    size_t slash = word.find_last_of(u"\\/");
    std::u16string name = slash == std::u16string::npos ? word : word.substr(slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, u".exe") == 0) name.resize(name.size() - 4);
    return name;
}

bool has(const std::vector<std::u16string>& list, const std::u16string& word) {
    for (const std::u16string& w : list)
        if (w == word) return true;
    return false;
}

// PowerShell reads its input to the end before it runs -Command (or when it
// has neither a command nor a file, its prompt) while that input is redirected.
bool powerShellWaits(const std::vector<std::u16string>& w) {
    for (size_t i = 1; i + 1 < w.size(); ++i)
        if ((w[i] == u"-inputformat" || w[i] == u"-inp" || w[i] == u"-if") && w[i + 1] == u"none") return false;
    if (has(w, u"-file") || has(w, u"-f")) return false;
    return true;
}

PipeLimitHint hintFor(const std::vector<std::u16string>& w) {
    if (w.empty()) return {};
    const std::u16string name = programName(w[0]);
    if (name == u"powershell" || name == u"pwsh") {
        if (powerShellWaits(w)) return {PipeLimit::WaitsForEndOfInput, name, name + u" -Command \u2026 < nul"};
    } else if (name == u"wmic") {
        return {PipeLimit::WaitsForEndOfInput, name, u"wmic \u2026 < nul"};
    } else if (name == u"timeout") {
        return {PipeLimit::NeedsConsole, name, u"ping -n 6 127.0.0.1 > nul"};
    } else if (name == u"more") {
        return {PipeLimit::NeedsConsole, name, u"type \u2026"};
    } else if (name == u"choice") {
        return {PipeLimit::NeedsConsole, name, u"set /p ANSWER=\u2026"};
    }
    return {};
}

}  // namespace

PipeLimitHint pipeLimitHint(const std::u16string& commandLine) {
    std::u16string part;
    bool quoted = false;
    for (size_t i = 0; i <= commandLine.size(); ++i) {
        char16_t c = i < commandLine.size() ? commandLine[i] : u'|';
        if (c == u'"') quoted = !quoted;
        if (quoted || (c != u'|' && c != u'&' && c != u'<')) {
            part += c;
            continue;
        }
        if (c == u'<') {  // the program's input comes from elsewhere: this part is fine
            part.clear();
            while (i + 1 < commandLine.size() && commandLine[i + 1] != u'|' && commandLine[i + 1] != u'&') ++i;
            continue;
        }
        PipeLimitHint hint = hintFor(words(part));
        if (hint.limit != PipeLimit::None) return hint;
        part.clear();
    }
    return {};
}
