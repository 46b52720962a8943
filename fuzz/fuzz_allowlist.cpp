// checkCommand must never crash and never allow a command that is too long, or
// that still holds a control or default-ignorable character, an operator of
// either shell, a literal remote host, Win32_Product or a parameter that
// writes, connects or carries credentials, once the listed placeholders are set
// aside. Refusals say why in both languages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "playbooks/allowlist.h"

namespace {

const char16_t* const kShells[] = {u"cmd", u"powershell", u"pwsh", u"ps", u"", u"PowerShell", u"CMD", u"bash"};

// ASCII bytes stand for themselves so commands are easy to reach; 0x80-0xFE
// joins the next byte into a wider unit, 0xFF takes the next two as one unit.
std::u16string decode(const uint8_t* data, size_t size) {
    std::u16string text;
    size_t i = 0;
    while (i < size) {
        uint8_t b = data[i];
        if (b < 0x80 || i + 1 >= size) {
            text += static_cast<char16_t>(b);
            i += 1;
        } else if (b < 0xff || i + 2 >= size) {
            text += static_cast<char16_t>(((b & 0x7f) << 8) | data[i + 1]);
            i += 2;
        } else {
            text += static_cast<char16_t>((data[i + 1] << 8) | data[i + 2]);
            i += 3;
        }
    }
    return text;
}

const char16_t* const kPlaceholders[] = {u"{gateway}", u"{host}", u"{printer}"};

// The command with blanks trimmed and, before `end`, every listed placeholder
// replaced by `mark` (removed by default).
std::u16string withoutPlaceholders(const std::u16string& command, size_t end, const std::u16string& mark = {}) {
    std::u16string out;
    for (size_t i = 0; i < command.size(); ++i) {
        bool skipped = false;
        for (const char16_t* ph : kPlaceholders) {
            std::u16string p = ph;
            if (i + p.size() <= end && command.compare(i, p.size(), p) == 0) {
                i += p.size() - 1;
                out += mark;
                skipped = true;
                break;
            }
        }
        if (!skipped) out += command[i];
    }
    size_t b = out.find_first_not_of(u" \t");
    if (b == std::u16string::npos) return {};
    return out.substr(b, out.find_last_not_of(u" \t") - b + 1);
}

// Controls, separators, private use, unpaired surrogates and
// Default_Ignorable_Code_Point (Unicode 15.1.0), written out apart from the checker.
bool hidesText(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || c == 0x34F || c == 0x61C || c == 0x115F ||
            c == 0x1160 || c == 0x17B4 || c == 0x17B5 || (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) ||
            (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0x3164 ||
            (c >= 0xE000 && c <= 0xF8FF) || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFA0 ||
            (c >= 0xFFF0 && c <= 0xFFF8) || (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A) ||
            (c >= 0xE0000 && c <= 0xE0FFF))
            return true;
    }
    return false;
}

std::u16string lower(std::u16string text) {
    for (char16_t& c : text) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    return text;
}

// The words of the text with quotes dropped and commas and blanks as separators, lower-cased.
std::vector<std::u16string> pieces(const std::u16string& text) {
    std::vector<std::u16string> out(1);
    for (char16_t c : text) {
        if (c == u'"' || c == u'\'') continue;
        if (c == u' ' || c == u'\t' || c == u',' || c == u'|') {
            if (!out.back().empty()) out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    if (out.back().empty()) out.pop_back();
    for (std::u16string& piece : out) piece = lower(piece);
    return out;
}

bool isOneOf(const std::u16string& word, std::initializer_list<const char16_t*> listed) {
    for (const char16_t* item : listed) {
        if (word == item) return true;
    }
    return false;
}

void checkInvariant(const std::u16string& shell, const std::u16string& command) {
    CommandVerdict verdict = checkCommand(shell, command);
    if (verdict.allowed != verdict.reason.empty() || verdict.allowed != verdict.reasonEn.empty()) abort();
    if (!verdict.allowed) return;
    if (command.size() > kMaxCommandLength) abort();
    bool ps = isOneOf(lower(shell), {u"powershell", u"pwsh", u"ps"});
    size_t end = ps ? command.find(u'|') : std::u16string::npos;
    std::u16string rest = withoutPlaceholders(command, end == std::u16string::npos ? command.size() : end);
    if (rest.empty() || hidesText(rest)) abort();
    // Either shell may run the step, so it holds neither shell's operators, nor
    // a typographic dash or quote that PowerShell would read as one.
    if (rest.find_first_of(ps ? u"<>`;&${}()@%^!" : u"<>`|&%^();${}@!") != std::u16string::npos) abort();
    for (char16_t c : rest) {
        if ((c >= 0x2010 && c <= 0x2015) || (c >= 0x2018 && c <= 0x201F)) abort();
    }
    // No literal remote host: two separators in a row only before a placeholder.
    std::u16string marked = withoutPlaceholders(command, end == std::u16string::npos ? command.size() : end, u"\x01");
    for (size_t i = 0; i + 1 < marked.size(); ++i) {
        bool separators =
            (marked[i] == u'\\' || marked[i] == u'/') && (marked[i + 1] == u'\\' || marked[i + 1] == u'/');
        if (separators && (i + 2 >= marked.size() || marked[i + 2] != 0x01)) abort();
        if (separators) ++i;
    }
    std::u16string unquoted;
    for (char16_t c : marked) {
        if (c != u'"' && c != u'\'') unquoted += c;
    }
    if (lower(unquoted).find(u"win32_product") != std::u16string::npos) abort();
    std::vector<std::u16string> words = pieces(marked);
    for (size_t i = 0; i < words.size(); ++i) {
        std::u16string name = words[i].substr(0, words[i].find(u':'));
        // Never a parameter that writes, connects with a session or carries credentials.
        if (ps && isOneOf(name, {u"-logpath", u"-destinationpath", u"-destination", u"-scratchdirectory", u"-outfile",
                                 u"-filepath", u"-credential", u"-cimsession", u"-session", u"-cn"}))
            abort();
        if (!ps && isOneOf(name, {u"/u", u"-u", u"/p", u"-p"}) &&
            isOneOf(words[0], {u"systeminfo", u"tasklist", u"driverquery", u"getmac", u"systeminfo.exe",
                               u"tasklist.exe", u"driverquery.exe", u"getmac.exe"}))
            abort();
        // A host parameter names a placeholder only.
        bool hostParameter = ps ? isOneOf(name, {u"-computername", u"-server", u"-targetname"})
                                : isOneOf(name, {u"/s", u"-s"}) && i > 0 &&
                                      isOneOf(words[0], {u"systeminfo", u"tasklist", u"driverquery", u"getmac"});
        if (hostParameter) {
            size_t colon = words[i].find(u':');
            std::u16string value = colon != std::u16string::npos ? words[i].substr(colon + 1)
                                   : i + 1 < words.size()        ? words[i + 1]
                                                                 : std::u16string();
            if (value != u"\x01") abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    checkInvariant(kShells[data[0] % 8], decode(data + 1, size - 1));
    return 0;
}
