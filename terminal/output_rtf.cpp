#include "terminal/output_rtf.h"

#include <cstdint>
#include <unordered_map>

namespace {

void appendNumber(std::string& out, long value) { out += std::to_string(value); }

// Returns the character that ends the text, for a CR LF pair split between runs.
char16_t appendRtfText(std::string& out, const std::u16string& text, char16_t before) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\n' && before == u'\r') {
            // the CR already ended the paragraph
        } else if (c == u'\r' && text.compare(i + 1, 2, u"\r\n") == 0) {
            // CR CR LF, as text written twice in text mode ends its lines: one break
        } else if (c == u'\r' || c == u'\n') {
            out += "\\par\n";
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            // Signed 16-bit, as the format wants; "?" is the skipped fallback.
            out += "\\u";
            appendNumber(out, long(int16_t(c)));
            out += '?';
        }
        before = c;
    }
    return before;
}

}  // namespace

std::string outputRunsToRtf(const std::vector<OutputRun>& runs) {
    std::vector<Rgb> colors;
    std::unordered_map<uint32_t, long> indexOf;  // 24-bit output may bring many colours
    auto colorIndex = [&](Rgb color) -> long {
        uint32_t key = uint32_t(color.r) << 16 | uint32_t(color.g) << 8 | color.b;
        auto [found, added] = indexOf.try_emplace(key, long(colors.size()) + 1);
        if (added) colors.push_back(color);
        return found->second;
    };
    // Every attribute written is a style look-up in the editor and every
    // change makes a new run, so only changes are written, and runs of blanks
    // and line breaks, whose colour and weight do not show, keep the
    // attributes before them. The first visible run states both.
    std::string body;
    char16_t before = 0;
    long color = 0;
    bool bold = false, stated = false;
    for (const OutputRun& run : runs) {
        if (run.text.empty()) continue;
        if (run.text.find_first_not_of(u" \t\r\n") != std::u16string::npos) {
            long index = colorIndex(run.color);
            bool changed = false;
            if (!stated || index != color) {
                body += "\\cf";
                appendNumber(body, index);
                color = index;
                changed = true;
            }
            if (!stated || run.bold != bold) {
                body += run.bold ? "\\b" : "\\b0";
                bold = run.bold;
                changed = true;
            }
            if (changed) body += ' ';  // ends the control word
            stated = true;
        }
        before = appendRtfText(body, run.text, before);
    }
    // Index 0 of the table is the automatic colour, which no run uses.
    std::string rtf = "{\\rtf1{\\colortbl;";
    for (const Rgb& c : colors) {
        rtf += "\\red";
        appendNumber(rtf, c.r);
        rtf += "\\green";
        appendNumber(rtf, c.g);
        rtf += "\\blue";
        appendNumber(rtf, c.b);
        rtf += ';';
    }
    // Output is protected by its own format, not by whatever the editor's
    // reader would carry over from the selection.
    rtf += "}\\protect ";
    rtf += body;
    rtf += '}';
    return rtf;
}
