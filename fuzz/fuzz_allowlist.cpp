// checkCommand must never crash and never allow a command that still holds a
// control or invisible character, or an operator of its shell (of either shell
// for cmd), once the listed placeholders are set aside.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

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

// The command with blanks trimmed and, before `end`, every listed placeholder removed.
std::u16string withoutPlaceholders(const std::u16string& command, size_t end) {
    std::u16string out;
    for (size_t i = 0; i < command.size(); ++i) {
        bool skipped = false;
        for (const char16_t* ph : kPlaceholders) {
            std::u16string p = ph;
            if (i + p.size() <= end && command.compare(i, p.size(), p) == 0) {
                i += p.size() - 1;
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

// Controls, line and paragraph separators, bidi controls, zero-width and format characters.
bool isControlOrInvisible(char16_t c) {
    return c < 0x20 || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2060 && c <= 0x2064) ||
           c == 0xFEFF;
}

void checkInvariant(const std::u16string& shell, const std::u16string& command) {
    CommandVerdict verdict = checkCommand(shell, command);
    if (verdict.allowed != verdict.reason.empty()) abort();
    if (!verdict.allowed) return;
    std::u16string lower = shell;
    for (char16_t& c : lower) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    bool ps = lower == u"powershell" || lower == u"pwsh" || lower == u"ps";
    size_t end = ps ? command.find(u'|') : std::u16string::npos;
    std::u16string rest = withoutPlaceholders(command, end == std::u16string::npos ? command.size() : end);
    if (rest.empty()) abort();
    for (char16_t c : rest) {
        if (isControlOrInvisible(c)) abort();
    }
    // A cmd step may meet PowerShell in its tab, so it must hold neither shell's operators.
    if (rest.find_first_of(ps ? u"<>`;&${}()@" : u"<>`|&%^();${}@") != std::u16string::npos) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    checkInvariant(kShells[data[0] % 8], decode(data + 1, size - 1));
    return 0;
}
