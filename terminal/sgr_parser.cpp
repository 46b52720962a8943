#include "terminal/sgr_parser.h"

namespace {

constexpr char16_t kEsc = 0x1B;
constexpr char16_t kBel = 0x07;

constexpr Rgb kPalette[16] = {
    {12, 12, 12},   {197, 15, 31},   {19, 161, 14},   {193, 156, 0},   {0, 85, 220},  {136, 23, 152},
    {58, 150, 221}, {204, 204, 204}, {118, 118, 118}, {231, 72, 86},   {22, 198, 12}, {249, 241, 165},
    {59, 120, 255}, {180, 0, 158},   {97, 214, 214},  {242, 242, 242},
};

bool keptCharacter(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c >= 0x20; }

struct Renderer {
    SgrState& state;
    Rgb defaultColor;
    std::vector<OutputRun> runs;
    std::u16string pending;
    bool resetNext = false;  // the pending text came after a bare CR

    void flush() {
        if (pending.empty()) return;
        OutputRun run{pending, state.colorActive ? state.currentColor : defaultColor, state.bold, resetNext,
                      !state.colorActive};
        if (!resetNext && !runs.empty() && !runs.back().lineReset && sameLook(runs.back(), run)) {
            runs.back().text += pending;
        } else {
            runs.push_back(std::move(run));
        }
        pending.clear();
        resetNext = false;
    }

    void text(char16_t c) {
        if (c == u'\r') {
            state.pendingCarriageReturn = true;  // decided by what follows
        } else if (c == u'\n') {
            pending += state.pendingCarriageReturn ? u"\r\n" : u"\n";
            state.pendingCarriageReturn = false;
        } else if (keptCharacter(c)) {
            if (state.pendingCarriageReturn) {
                flush();
                resetNext = true;
                state.pendingCarriageReturn = false;
            }
            pending += c;
        }
    }
};

// The end of an operating-system command: BEL, or ST (ESC backslash).
size_t oscEnd(const std::u16string& chunk, size_t from) {
    for (size_t j = from; j < chunk.size(); ++j) {
        if (chunk[j] == kBel) return j + 1;
        if (chunk[j] == kEsc && j + 1 < chunk.size() && chunk[j + 1] == u'\\') return j + 2;
    }
    return std::u16string::npos;
}

std::vector<uint32_t> sgrNumbers(const std::u16string& params) {
    std::vector<uint32_t> numbers;
    if (params.empty()) return numbers;
    uint32_t value = 0;
    for (char16_t c : params) {
        if (c >= u'0' && c <= u'9') {
            value = value * 10 + uint32_t(c - u'0');
        } else if (c == u';') {
            numbers.push_back(value);
            value = 0;
        }
    }
    numbers.push_back(value);
    return numbers;
}

// 38 and 48 take "5;n" or "2;r;g;b"; returns how many numbers after the code
// were used, or 0 when the form is incomplete.
size_t extendedColor(const std::vector<uint32_t>& n, size_t i, Rgb& color) {
    if (i + 2 < n.size() && n[i + 1] == 5) {
        color = color256(int(n[i + 2] > 1000 ? 1000 : n[i + 2]));  // past 255 all is white grey
        return 2;
    }
    if (i + 4 < n.size() && n[i + 1] == 2) {
        color = {uint8_t(n[i + 2] % 256), uint8_t(n[i + 3] % 256), uint8_t(n[i + 4] % 256)};
        return 4;
    }
    return 0;
}

void resetAttributes(SgrState& state, Rgb defaultColor) {
    state.colorActive = false;
    state.currentColor = defaultColor;
    state.bold = false;
}

void applySgr(SgrState& state, Rgb defaultColor, const std::vector<uint32_t>& codes) {
    if (codes.empty()) {
        resetAttributes(state, defaultColor);
        return;
    }
    for (size_t i = 0; i < codes.size(); ++i) {
        uint32_t code = codes[i];
        if (code == 0) {
            resetAttributes(state, defaultColor);
        } else if (code == 1) {
            state.bold = true;
        } else if (code == 22) {
            state.bold = false;
        } else if (code == 39) {
            state.colorActive = false;
            state.currentColor = defaultColor;
        } else if (code >= 30 && code <= 37) {
            state.currentColor = kPalette[code - 30];
            state.colorActive = true;
        } else if (code >= 90 && code <= 97) {
            state.currentColor = kPalette[code - 82];
            state.colorActive = true;
        } else if (code == 38) {
            Rgb color;
            size_t used = extendedColor(codes, i, color);
            if (used) {
                state.currentColor = color;
                state.colorActive = true;
                i += used;
            }
        } else if (code == 48) {
            // Background colours are not shown, but their numbers belong to them.
            Rgb ignored;
            i += extendedColor(codes, i, ignored);
        }
    }
}

}  // namespace

bool sameLook(const OutputRun& a, const OutputRun& b) {
    return a.color == b.color && a.bold == b.bold && a.themeColor == b.themeColor;
}

Rgb paletteColor(int index) {
    if (index < 0) index = 0;
    if (index > 15) index = 15;
    return kPalette[index];
}

Rgb color256(int n) {
    if (n < 16) return paletteColor(n);
    if (n <= 231) {
        int i = n - 16;
        auto level = [](int l) { return uint8_t(l == 0 ? 0 : 55 + 40 * l); };
        return {level(i / 36), level((i / 6) % 6), level(i % 6)};
    }
    long grey = 8 + 10L * (n - 232);
    if (grey > 255) grey = 255;
    return {uint8_t(grey), uint8_t(grey), uint8_t(grey)};
}

std::vector<OutputRun> parseTerminalOutput(const std::u16string& chunk, SgrState& state, Rgb defaultColor) {
    Renderer out{state, defaultColor, {}, {}};
    const size_t size = chunk.size();
    size_t i = 0;
    while (i < size) {
        char16_t c = chunk[i];
        if (c != kEsc) {
            out.text(c);
            ++i;
            continue;
        }
        if (i + 1 >= size) break;  // a lone ESC at the end is dropped
        char16_t next = chunk[i + 1];
        if (next == u']') {
            size_t end = oscEnd(chunk, i + 2);
            if (end == std::u16string::npos) break;  // swallows the rest of the chunk
            i = end;
        } else if (next == u'[') {
            size_t j = i + 2;
            while (j < size && !(chunk[j] >= 0x40 && chunk[j] <= 0x7E)) ++j;
            if (j >= size) break;  // cut by the chunk's end: dropped
            if (chunk[j] == u'm') {
                out.flush();
                applySgr(state, defaultColor, sgrNumbers(chunk.substr(i + 2, j - i - 2)));
            }
            i = j + 1;
        } else {
            ++i;  // only the ESC goes
        }
    }
    out.flush();
    return std::move(out.runs);
}

bool foldLineResets(std::vector<OutputRun>& runs) {
    std::vector<OutputRun> folded;
    bool resetBefore = false;  // a reset reached back past the first run
    for (OutputRun& run : runs) {
        if (run.lineReset) {
            bool lineStartFound = false;
            while (!folded.empty()) {
                std::u16string& text = folded.back().text;
                size_t lineFeed = text.rfind(u'\n');
                if (lineFeed != std::u16string::npos) {
                    text.erase(lineFeed + 1);
                    lineStartFound = true;
                    break;
                }
                folded.pop_back();
            }
            if (!lineStartFound) resetBefore = true;
            run.lineReset = false;
        }
        if (!run.text.empty()) folded.push_back(std::move(run));
    }
    if (resetBefore) {
        if (folded.empty()) folded.push_back(OutputRun{});  // nothing left but the erase itself
        folded.front().lineReset = true;
    }
    runs = std::move(folded);
    return resetBefore;
}
