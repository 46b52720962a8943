// Tab completion of file and folder names in a terminal's input line, as
// cmd.exe does it: the word before the caret is completed with the names
// that begin with it, taken from the shell's current directory as its last
// prompt shows it, quoted when they hold blanks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The directory a default prompt names: "C:\dir>" (cmd) or "PS C:\dir> "
// (PowerShell, also a UNC path); empty when the line is no such prompt.
std::u16string promptDirectory(const std::u16string& promptLine);

// cmd's prompts counted as its output streams past, whatever the cut between
// reads: each one is a line the shell has finished with. A prompt begins a
// line or follows another ('>' ends each); what the shell echoes may follow it.
struct PromptScan {
    std::u16string segment;  // since the line began or the last '>'
    bool overlong = false;  // the segment is longer than any prompt
};
size_t countPrompts(PromptScan& scan, const std::u16string& output);

// The word the caret ends: [start, caret) of the input. A word begins after
// the last blank outside quotes, or at the quote the caret is inside of.
struct CompletionWord {
    size_t start = 0;
    std::u16string path;  // the word without its quotes
};
CompletionWord wordBeforeCaret(const std::u16string& input, size_t caret);

// Quotes the whole text when it holds a blank or a character cmd.exe takes
// for a separator or an operator.
std::u16string quotedForShell(const std::u16string& path);

// What can replace the word: the names in its folder that begin with its last
// part (in any letter case), with the folder part as typed, quoted where
// needed, sorted as cmd.exe lists them. A relative word needs the current
// directory; without one, only absolute words are completed.
std::vector<std::u16string> completionCandidates(const std::u16string& word, const std::u16string& currentDirectory);

// One Tab press on the input with the caret at `caret`: the new input and
// caret. Pressed again on what it produced, it moves through the candidates
// (backwards for Shift+Tab), which the caller keeps between presses.
struct CompletionCycle {
    std::vector<std::u16string> candidates;
    size_t index = 0;
    size_t wordStart = 0;
    std::u16string tail;  // the input after the caret when the cycle began
    std::u16string shownInput;  // what the last press produced
    size_t shownCaret = 0;
};
struct CompletionResult {
    bool completed = false;  // false: nothing begins with the word
    std::u16string input;
    size_t caret = 0;
};
CompletionResult completeInput(CompletionCycle& cycle, const std::u16string& input, size_t caret, bool backwards,
                               const std::u16string& currentDirectory);
