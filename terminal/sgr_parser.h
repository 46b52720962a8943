// Turns one chunk of shell output into coloured text runs: drops control
// characters, skips OSC and CSI sequences and applies SGR colour and bold.
// Pure: the colour state is passed in and carried from chunk to chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct SgrState {
    bool colorActive = false;  // an SGR colour is in force
    Rgb currentColor;  // colour chosen by the last SGR colour code
    bool bold = false;
    // A CR with no text after it yet: a line feed makes it a line break,
    // text makes it a return to the start of the line.
    bool pendingCarriageReturn = false;
};

struct OutputRun {
    std::u16string text;
    Rgb color;
    bool bold = false;
    // Erase the current line (back to just after the last line break) before
    // this run's text: the text came after a bare CR, as progress shows.
    bool lineReset = false;
    // In the terminal's own text colour (no SGR colour in force): shown in
    // whatever that colour is now, through theme changes.
    bool themeColor = false;
};

// Whether two runs look alike, so that one may take the other's text.
bool sameLook(const OutputRun& a, const OutputRun& b);

// Base palette entry 0..15 (out-of-range indices are clamped).
Rgb paletteColor(int index);
// xterm 256-colour index to RGB (negative counts as 0).
Rgb color256(int index);

// Renders one chunk. Text keeps the attributes in force when it was read;
// adjacent runs with equal attributes are merged unless one resets the line.
// A sequence cut by the end of the chunk is dropped, not carried over; a CR
// at its end is decided by what the next chunk brings. CR LF stays "\r\n".
std::vector<OutputRun> parseTerminalOutput(const std::u16string& chunk, SgrState& state, Rgb defaultColor);

// Applies the line resets whose erased text lies within the runs themselves,
// dropping runs left empty, so that only the first run may still carry one.
// Returns true when it does: the line it erases began before these runs.
bool foldLineResets(std::vector<OutputRun>& runs);
