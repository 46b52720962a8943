#include <gtest/gtest.h>

#include "terminal/output_decoder.h"

namespace {

using namespace std::string_literals;

// A stand-in OEM code page: ASCII as itself, 0x81 as the lead byte of a
// double-byte character, other high bytes as Cyrillic letters.
size_t fakeOem(const char* bytes, size_t size, std::u16string& out) {
    for (size_t i = 0; i < size; ++i) {
        uint8_t b = uint8_t(bytes[i]);
        if (b == 0x81) {
            if (i + 1 == size) return 1;
            out += char16_t(0x4E00 + uint8_t(bytes[++i]));
        } else {
            out += b < 0x80 ? char16_t(b) : char16_t(0x0400 + b - 0x80);
        }
    }
    return 0;
}

std::string utf16le(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}

std::u16string decodeReads(const std::vector<std::string>& reads, OutputDecoder& decoder) {
    std::u16string text;
    for (const std::string& read : reads) text += decodeShellOutput(decoder, read.data(), read.size(), fakeOem);
    return text;
}

const std::string kBom = "\xFF\xFE";

struct Stream {
    const char* name;
    std::string bytes;
    std::u16string text;
    bool endsInUtf16;
};

std::vector<Stream> streams() {
    return {{"OEM with a double-byte character", "C:\\\201A\202>dir\r\n", u"C:\\\u4E41\u0402>dir\r\n", false},
            {"UTF-16 with a mark, then the prompt",
             "C:\\>sfc\r\n" + kBom + utf16le(u"Beginning scan 45%\r\n") + "\r\nC:\\\x81Z>",
             u"C:\\>sfc\r\nBeginning scan 45%\r\n\r\nC:\\\u4E5A>", false},
            {"UTF-16 without a mark, CJK and a surrogate pair",
             "C:\\>sfc\r\n" + utf16le(u"Windows \u8D44\u6E90\U0001F600 ok\r\n") + "\r\nC:\\>",
             u"C:\\>sfc\r\nWindows \u8D44\u6E90\U0001F600 ok\r\n\r\nC:\\>", false},
            {"UTF-16 still running", kBom + utf16le(u"Verification 7%\r"), u"Verification 7%\r", true}};
}

TEST(OutputDecoder, DecodesEveryStreamTheSameWhereverTheReadsSplitIt) {
    for (const Stream& stream : streams()) {
        for (size_t split = 0; split <= stream.bytes.size(); ++split) {
            OutputDecoder decoder;
            std::u16string text = decodeReads({stream.bytes.substr(0, split), stream.bytes.substr(split)}, decoder);
            ASSERT_EQ(text, stream.text) << stream.name << ", split at " << split;
            EXPECT_EQ(decoder.utf16, stream.endsInUtf16) << stream.name;
        }
    }
}

TEST(OutputDecoder, ShowsEachReadAsFarAsItIsComplete) {
    struct Case {
        const char* name;
        std::vector<std::string> reads;
        std::vector<std::u16string> texts;  // decoded from each read
    } cases[] = {
        {"DBCS lead byte", {"a\x81", "Bc"}, {u"a", u"\u4E42c"}},
        {"odd UTF-16 byte", {kBom + "h\0i"s, "\0"s}, {u"h", u"i"}},
        {"high surrogate", {kBom + utf16le(u"a") + "\x3D\xD8", "\x00\xDE"s}, {u"a", u"\U0001F600"}},
        {"NUL first in a read", {"C:\\>sfc\r\nB", "\0e\0g\0i\0n\0"s}, {u"C:\\>sfc\r\nB", u"egin"}},
        {"prompt after UTF-16 in one read", {kBom + utf16le(u"done\r\n") + "\r\nC:\\>"}, {u"done\r\n\r\nC:\\>"}},
        {"NULs that are no UTF-16", {"a\0\0\0b"s}, {std::u16string(u"a\0\0\0b", 5)}}};
    for (const Case& c : cases) {
        OutputDecoder decoder;
        for (size_t i = 0; i < c.reads.size(); ++i)
            EXPECT_EQ(decodeReads({c.reads[i]}, decoder), c.texts[i]) << c.name << ", read " << i;
    }
}

TEST(OutputDecoder, Utf8TailHoldsOnlyACharacterCutShort) {
    const std::string text = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";  // a, e acute, a CJK character, an emoji
    const size_t boundaries[] = {0, 1, 3, 6, 10};
    for (size_t size = 0; size <= text.size(); ++size) {
        size_t whole = 0;
        for (size_t b : boundaries)
            if (b <= size) whole = b;
        EXPECT_EQ(utf8IncompleteTail(text.data(), size), size - whole) << "cut at " << size;
    }
    // Bytes that can never make a character are not held back.
    for (const std::string& bad : {"\x80\x80\x80"s, "\xFF"s, "\xC0"s, "\xF5\x80"s, "\xC3\xA9\xA9"s})
        EXPECT_EQ(utf8IncompleteTail(bad.data(), bad.size()), 0u);
}

}  // namespace
