// checkCommand must never crash and never allow a command that still holds a
// control character or an operator of its shell once placeholders are set aside.
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

bool isLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The command with blanks trimmed and, before `end`, every {letters} removed.
std::u16string withoutPlaceholders(const std::u16string& command, size_t end) {
    std::u16string out;
    for (size_t i = 0; i < command.size(); ++i) {
        if (i < end && command[i] == u'{') {
            size_t j = i + 1;
            while (j < end && isLetter(command[j])) ++j;
            if (j > i + 1 && j < end && command[j] == u'}') {
                i = j;
                continue;
            }
        }
        out += command[i];
    }
    size_t b = out.find_first_not_of(u" \t");
    if (b == std::u16string::npos) return {};
    return out.substr(b, out.find_last_not_of(u" \t") - b + 1);
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
        if (c < 0x20) abort();
    }
    if (rest.find_first_of(ps ? u"<>`;&${}()@" : u"<>`|&%^()") != std::u16string::npos) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    checkInvariant(kShells[data[0] % 8], decode(data + 1, size - 1));
    return 0;
}
