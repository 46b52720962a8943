#include "report/session_report.h"

namespace {

// The line break the terminal writes after an entered command.
void dropLeadingBreak(std::vector<OutputRun>& output) {
    if (output.empty()) return;
    std::u16string& text = output.front().text;
    if (text.compare(0, 2, u"\r\n") == 0) {
        text.erase(0, 2);
    } else if (!text.empty() && (text[0] == u'\n' || text[0] == u'\r')) {
        text.erase(0, 1);
    }
    if (text.empty()) output.erase(output.begin());
}

}  // namespace

std::vector<CommandBlock> transcriptBlocks(const TranscriptMirror& mirror,
                                           const std::vector<EnteredCommand>& commands) {
    std::vector<CommandBlock> blocks(1);
    size_t next = 0;
    while (next < commands.size() && commands[next].run < mirror.dropped) ++next;
    size_t skipChars = 0;  // what is left of the command line being passed over
    for (size_t i = 0; i < mirror.runs.size(); ++i) {
        uint64_t run = mirror.dropped + i;
        while (next < commands.size() && commands[next].run <= run) {
            if (commands[next].run == run) {
                blocks.push_back({commands[next].line, commands[next].time, {}});
                skipChars = commands[next].line.size();
            }
            ++next;
        }
        const OutputRun& piece = mirror.runs[i];
        if (skipChars > 0) {
            size_t taken = std::min(skipChars, piece.text.size());
            skipChars -= taken;
            if (taken == piece.text.size()) continue;
            OutputRun rest = piece;
            rest.text.erase(0, taken);
            blocks.back().output.push_back(std::move(rest));
            continue;
        }
        std::vector<OutputRun>& output = blocks.back().output;
        if (output.empty() && !blocks.back().command.empty()) {
            output.push_back(piece);
            dropLeadingBreak(output);
        } else {
            output.push_back(piece);
        }
    }
    if (blocks.front().output.empty() && blocks.size() > 1) blocks.erase(blocks.begin());
    return blocks;
}
