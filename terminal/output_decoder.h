// Turns the bytes a shell's output pipe delivers into text. The shell and
// most programs write the OEM code page, but some (sfc, for one) write
// UTF-16LE when their output is a pipe; both can follow each other in one
// stream, so the decoder watches the bytes and switches between the two.
// Pure: the OEM conversion is passed in.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Appends the OEM text of the bytes to out and returns how many bytes at the
// end it left undecoded: the lead byte of a double-byte character whose
// second byte has not arrived yet.
using OemDecode = std::function<size_t(const char* bytes, size_t size, std::u16string& out)>;

struct OutputDecoder {
    bool utf16 = false;  // the stream currently carries UTF-16LE
    std::string carried;  // bytes held back for the next read
};

// Decodes one read. Bytes that cannot be decoded yet (an odd UTF-16 byte, a
// lone high surrogate, a DBCS lead byte) are held in the decoder.
std::u16string decodeShellOutput(OutputDecoder& decoder, const char* bytes, size_t size, const OemDecode& oem);

// Bytes at the end of UTF-8 text that start a character whose other bytes
// have not arrived yet (0 to 3); bytes that can never complete one count as
// whole, so nothing is held back for good.
size_t utf8IncompleteTail(const char* bytes, size_t size);
