#include "playbooks/allowlist.h"

#include <vector>

namespace {

constexpr const char16_t* kEmptyCommand = u"空命令";
constexpr const char16_t* kControlChar = u"含控制字符/换行（疑似命令注入）";
constexpr const char16_t* kForbiddenChar = u"含禁止字符: ";
constexpr const char16_t* kPsForbiddenChar = u"PowerShell 含禁止字符: ";
constexpr const char16_t* kHasPath = u"命令不得含路径/盘符: ";
constexpr const char16_t* kNotListed = u"命令不在白名单: ";
constexpr const char16_t* kPsReadOnly = u"PowerShell 仅允许只读命令(Get-*/Test-*/Resolve-*/...): ";

CommandVerdict allow() {
    return {true, {}};
}

CommandVerdict refuse(const std::u16string& reason) {
    return {false, reason};
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string lowerAscii(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

bool endsWith(const std::u16string& text, const std::u16string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::u16string trimBlanks(const std::u16string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::vector<std::u16string> splitBlanks(const std::u16string& text) {
    std::vector<std::u16string> tokens;
    std::u16string current;
    for (char16_t c : text) {
        if (isBlank(c)) {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

// The words a playbook leaves for the user to fill in. Under PowerShell a brace
// pair is a script block that some cmdlets run, so only these words count, and
// none of them names a command that changes anything (PowerShell's Get- fallback
// makes "host" and "printer" mean Get-Host and Get-Printer at most).
constexpr const char16_t* kPlaceholderNames[] = {u"gateway", u"host", u"printer"};

// Length of the listed placeholder that starts at `at` (its braces included), or 0.
size_t placeholderLength(const std::u16string& command, size_t at, size_t end) {
    if (command[at] != u'{') return 0;
    size_t close = command.find(u'}', at + 1);
    if (close == std::u16string::npos || close >= end) return 0;
    std::u16string name = command.substr(at + 1, close - at - 1);
    for (const char16_t* listed : kPlaceholderNames) {
        if (name == listed) return close - at + 1;
    }
    return 0;
}

// A listed "{name}" becomes "PH" in the copy that is judged; the stored command
// keeps its placeholders. Stops at `end` so the rest is copied unchanged.
std::u16string substitutePlaceholders(const std::u16string& command, size_t end) {
    std::u16string out;
    size_t i = 0;
    while (i < command.size()) {
        size_t length = i < end ? placeholderLength(command, i, end) : 0;
        if (length > 0) {
            out += u"PH";
            i += length;
            continue;
        }
        out += command[i];
        ++i;
    }
    return out;
}

// Characters that end a line, or hide or reorder text, so that what the user
// reads differs from what the shell gets: C0 and C1 controls, the Unicode line
// and paragraph separators, bidi overrides and isolates, zero-width and other
// invisible format characters, and the byte-order mark.
bool isControlOrInvisible(char16_t c) {
    return c < 0x20 || (c >= 0x80 && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

// The first character of `set` (in set order) that occurs in text, or 0.
char16_t firstForbidden(const std::u16string& text, const std::u16string& set) {
    for (char16_t c : set) {
        if (text.find(c) != std::u16string::npos) return c;
    }
    return 0;
}

bool allArgumentsAre(const std::vector<std::u16string>& args, std::initializer_list<const char16_t*> permitted) {
    for (size_t i = 1; i < args.size(); ++i) {
        bool found = false;
        for (const char16_t* p : permitted) found = found || args[i] == p;
        if (!found) return false;
    }
    return true;
}

bool firstArgumentIs(const std::vector<std::u16string>& args, std::initializer_list<const char16_t*> permitted) {
    if (args.size() < 2) return false;
    for (const char16_t* p : permitted) {
        if (args[1] == p) return true;
    }
    return false;
}

// The argument as the program sees it: the C runtime drops double quotes, so
// "/f" in quotes is still /f.
std::u16string withoutQuotes(const std::u16string& arg) {
    std::u16string out;
    for (char16_t c : arg) {
        if (c != u'"') out += c;
    }
    return out;
}

// chkdsk switches may be glued ("/f/r", "c:/f") and carry values ("/L:5000").
bool chkdskArgumentRepairs(const std::u16string& quoted) {
    std::u16string arg = withoutQuotes(quoted);
    static const char16_t* const kRepairSwitches[] = {u"f",       u"r",         u"x",
                                                      u"b",       u"spotfix",   u"offlinescanandfix",
                                                      u"forceofflinefix", u"sdcleanup", u"freeorphanedchains",
                                                      u"markclean", u"l",       u"scan"};
    size_t start = 0;
    while (start <= arg.size()) {
        size_t cut = arg.find_first_of(u"/-", start);
        if (cut == std::u16string::npos) cut = arg.size();
        std::u16string piece = arg.substr(start, cut - start);
        size_t colon = piece.find(u':');
        if (colon != std::u16string::npos) piece.resize(colon);
        for (const char16_t* s : kRepairSwitches) {
            if (piece == s) return true;
        }
        start = cut + 1;
    }
    return false;
}

// route's -f flushes the table wherever it stands, also inside combined switches.
bool routeArgumentFlushes(const std::u16string& quoted) {
    std::u16string arg = withoutQuotes(quoted);
    return !arg.empty() && (arg[0] == u'-' || arg[0] == u'/') && arg.find(u'f') != std::u16string::npos;
}

bool isPowerShellName(const std::u16string& lowerShell) {
    return lowerShell == u"powershell" || lowerShell == u"pwsh" || lowerShell == u"ps";
}

}  // namespace

NormalisedCommandName normaliseCommandName(const std::u16string& token) {
    NormalisedCommandName result;
    result.name = lowerAscii(token);
    result.hasPath = result.name.find_first_of(u"\\/:") != std::u16string::npos;
    if (result.name.size() >= 5 && endsWith(result.name, u".exe")) result.name.resize(result.name.size() - 4);
    return result;
}

CommandVerdict checkCmdCommand(const std::u16string& command) {
    std::vector<std::u16string> tokens = splitBlanks(command);
    if (tokens.empty()) return refuse(kEmptyCommand);
    NormalisedCommandName head = normaliseCommandName(tokens[0]);
    if (head.hasPath) return refuse(kHasPath + tokens[0]);
    // tokens[0] stays as written for the reasons; the arguments are compared lower-cased.
    std::vector<std::u16string> args = tokens;
    for (size_t i = 1; i < args.size(); ++i) args[i] = lowerAscii(args[i]);
    const std::u16string& name = head.name;

    if (name == u"ipconfig") {
        return allArgumentsAre(args, {u"/all", u"/displaydns"}) ? allow() : refuse(u"ipconfig 仅允许 /all /displaydns");
    }
    for (const char16_t* anyArgs : {u"ping", u"tracert", u"pathping", u"nslookup", u"getmac", u"hostname", u"ver",
                                 u"whoami", u"systeminfo", u"driverquery", u"tasklist"}) {
        if (name == anyArgs) return allow();
    }
    if (name == u"netstat") {
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i].find(u'b') != std::u16string::npos) return refuse(u"netstat -b 需管理员，禁用");
        }
        return allow();
    }
    if (name == u"arp") return allArgumentsAre(args, {u"-a"}) ? allow() : refuse(u"arp 仅允许 -a");
    if (name == u"route") {
        if (!firstArgumentIs(args, {u"print"})) return refuse(u"route 仅允许 print");
        for (size_t i = 2; i < args.size(); ++i) {
            if (routeArgumentFlushes(args[i])) return refuse(u"route 仅允许 print");
        }
        return allow();
    }
    if (name == u"sc") return firstArgumentIs(args, {u"query", u"qc"}) ? allow() : refuse(u"sc 仅允许 query/qc");
    if (name == u"net") {
        return firstArgumentIs(args, {u"view", u"statistics"}) ? allow() : refuse(u"net 仅允许 view/statistics");
    }
    if (name == u"powercfg") {
        return firstArgumentIs(args, {u"/list", u"/l", u"/query", u"/q"}) ? allow()
                                                                          : refuse(u"powercfg 仅允许 /list /query");
    }
    if (name == u"chkdsk") {
        for (size_t i = 1; i < args.size(); ++i) {
            if (chkdskArgumentRepairs(args[i])) return refuse(u"chkdsk 修复参数禁用(仅只读扫描)");
        }
        return allow();
    }
    return refuse(kNotListed + tokens[0]);
}

CommandVerdict checkPowerShellSegment(const std::u16string& segment) {
    std::vector<std::u16string> tokens = splitBlanks(segment);
    if (tokens.empty()) return refuse(kEmptyCommand);
    NormalisedCommandName head = normaliseCommandName(tokens[0]);
    if (head.hasPath) return refuse(kHasPath + tokens[0]);
    // A name with ".exe" is a native program, never a cmdlet or alias ("sort.exe /o" writes files).
    if (endsWith(lowerAscii(tokens[0]), u".exe")) return refuse(kPsReadOnly + tokens[0]);
    const std::u16string& name = head.name;
    if (name.compare(0, 4, u"get-") == 0) return allow();
    for (const char16_t* listed : {u"test-netconnection", u"tnc", u"test-connection", u"resolve-dnsname",
                                   u"measure-object", u"select-object", u"sort-object", u"format-table",
                                   u"format-list", u"out-string", u"select", u"sort", u"ft", u"fl"}) {
        if (name == listed) return allow();
    }
    return refuse(kPsReadOnly + tokens[0]);
}

CommandVerdict checkCommand(const std::u16string& shell, const std::u16string& command) {
    std::u16string lowerShell = lowerAscii(shell);
    bool powerShell = isPowerShellName(lowerShell);

    // Under PowerShell a brace after a pipe is a script block run per object,
    // so placeholders count only in the first segment.
    size_t substituteEnd = powerShell ? command.find(u'|') : std::u16string::npos;
    if (substituteEnd == std::u16string::npos) substituteEnd = command.size();
    std::u16string work = trimBlanks(substitutePlaceholders(command, substituteEnd));

    if (work.empty()) return refuse(kEmptyCommand);
    for (char16_t c : work) {
        if (isControlOrInvisible(c)) return refuse(kControlChar);
    }
    if (char16_t c = firstForbidden(work, u">`<")) return refuse(kForbiddenChar + std::u16string(1, c));

    if (powerShell) {
        if (char16_t c = firstForbidden(work, u";&${}()@")) return refuse(kPsForbiddenChar + std::u16string(1, c));
        size_t start = 0;
        while (true) {
            size_t bar = work.find(u'|', start);
            size_t end = bar == std::u16string::npos ? work.size() : bar;
            CommandVerdict verdict = checkPowerShellSegment(trimBlanks(work.substr(start, end - start)));
            if (!verdict.allowed) return verdict;
            if (bar == std::u16string::npos) return allow();
            start = bar + 1;
        }
    }

    // A cmd step goes into a CMD tab in which the user may have started
    // PowerShell, so PowerShell's operators are refused as well.
    if (char16_t c = firstForbidden(work, u"|&%^();${}@")) return refuse(kForbiddenChar + std::u16string(1, c));
    return checkCmdCommand(work);
}
