#include "terminal/output_decoder.h"

#include <algorithm>
#include <cstdint>

namespace {

// OEM text never holds a NUL byte; UTF-16 text from a program nearly always
// holds ASCII, whose high bytes are NUL. This many (text byte, NUL) pairs in
// a row, or as many as the read holds when it ends sooner, mean UTF-16.
constexpr size_t kUtf16Pairs = 4;
// Back to OEM text: a run of bytes without NUL that holds CR LF side by side
// (UTF-16 never does: U+0A0D is unassigned), or one this long, longer than
// any line of UTF-16 text without a single ASCII character in it.
constexpr size_t kOemRunBytes = 128;

constexpr char16_t kByteOrderMark = 0xFEFF;

struct Switch {
    size_t end = std::string::npos;  // where the current encoding's bytes end
    size_t begin = std::string::npos;  // where the other encoding's bytes begin
};

bool looksLikeUtf16(const std::string& data, size_t at) {
    size_t pairs = std::min((data.size() - at) / 2, kUtf16Pairs);
    if (pairs == 0) return false;
    for (size_t j = 0; j < pairs; ++j)
        if (data[at + 2 * j] == 0 || data[at + 2 * j + 1] != 0) return false;
    return true;
}

// Where UTF-16 starts in OEM bytes: after a byte-order mark, or at the text
// byte before a NUL that opens a run of (text byte, NUL) pairs.
Switch utf16Start(const std::string& data, size_t from) {
    for (size_t i = from; i < data.size(); ++i) {
        char c = data[i];
        if (c == '\xFF' && i + 1 < data.size() && data[i + 1] == '\xFE') return {i, i + 2};
        if (c != 0) continue;
        if (i > from && data[i - 1] != 0 && looksLikeUtf16(data, i - 1)) return {i - 1, i - 1};
        // A NUL first in the read: its text byte came with the previous read,
        // where it was shown already (the same character in both encodings).
        if (i == from && looksLikeUtf16(data, i + 1)) return {i, i + 1};
    }
    return {};
}

// Where OEM text starts in UTF-16 bytes that begin (aligned) at from.
size_t oemStart(const std::string& data, size_t from) {
    size_t i = from;
    while (i < data.size()) {
        if (data[i] == 0) {
            ++i;
            continue;
        }
        size_t runStart = i;
        bool lineBreak = false;
        for (; i < data.size() && data[i] != 0; ++i)
            if (data[i] == '\n' && i > runStart && data[i - 1] == '\r') lineBreak = true;
        if (!lineBreak && i - runStart < kOemRunBytes) continue;
        // A run starting inside a code unit (one whose low byte is NUL) begins after it.
        size_t start = runStart + (runStart - from) % 2;
        if (start < i) return start;
    }
    return std::string::npos;
}

// Appends the UTF-16 code units of data[from, end); returns how many bytes
// were used (a lone high surrogate or odd byte at the end is left).
size_t appendUtf16(const std::string& data, size_t from, size_t end, std::u16string& out) {
    size_t units = (end - from) / 2;
    for (size_t u = 0; u < units; ++u) {
        char16_t c = char16_t(uint8_t(data[from + 2 * u]) | uint8_t(data[from + 2 * u + 1]) << 8);
        bool lastUnit = u + 1 == units;
        if (lastUnit && c >= 0xD800 && c <= 0xDBFF) return 2 * u;  // its low half comes later
        if (c != kByteOrderMark) out += c;
    }
    return 2 * units;
}

}  // namespace

std::u16string decodeShellOutput(OutputDecoder& decoder, const char* bytes, size_t size, const OemDecode& oem) {
    std::string data = std::move(decoder.carried);
    decoder.carried.clear();
    data.append(bytes, size);
    std::u16string out;
    size_t at = 0;
    while (at < data.size()) {
        if (decoder.utf16) {
            size_t oemAt = oemStart(data, at);
            size_t end = oemAt == std::string::npos ? data.size() : oemAt;
            size_t used = appendUtf16(data, at, end, out);
            if (oemAt == std::string::npos) {
                decoder.carried = data.substr(at + used);
                break;
            }
            decoder.utf16 = false;
            at = oemAt;
        } else {
            Switch next = utf16Start(data, at);
            size_t end = next.end;
            // A last byte FF may be the first half of a byte-order mark.
            if (end == std::string::npos) end = data.back() == '\xFF' ? data.size() - 1 : data.size();
            size_t left = end > at ? std::min(oem(data.data() + at, end - at, out), end - at) : 0;
            if (next.end == std::string::npos) {
                decoder.carried = data.substr(end - left);
                break;
            }
            decoder.utf16 = true;
            at = next.begin;
        }
    }
    return out;
}

size_t utf8IncompleteTail(const char* bytes, size_t size) {
    for (size_t back = 1; back <= 3 && back <= size; ++back) {
        uint8_t b = uint8_t(bytes[size - back]);
        if ((b & 0xC0) == 0x80) continue;  // a continuation byte: its lead is further back
        size_t length = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}
