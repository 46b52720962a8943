#include "terminal/transcript_mirror.h"

namespace {

bool endsLine(const OutputRun& run) {
    return !run.text.empty() && (run.text.back() == u'\n' || run.text.back() == u'\r');
}

void pushPiece(TranscriptMirror& mirror, OutputRun piece) {
    if (piece.text.empty()) return;
    // The LF of a CR LF pair split between two runs belongs to the CR's line.
    if (piece.text[0] == u'\n' && !mirror.runs.empty() && mirror.runs.back().text.back() == u'\r') {
        mirror.runs.back().text += u'\n';
        piece.text.erase(0, 1);
        if (piece.text.empty()) return;
    }
    if (endsLine(piece)) ++mirror.lines;
    mirror.runs.push_back(std::move(piece));
}

}  // namespace

void mirrorAppend(TranscriptMirror& mirror, const std::vector<OutputRun>& runs) {
    for (const OutputRun& run : runs) {
        size_t start = 0;
        const std::u16string& text = run.text;
        for (size_t i = 0; i < text.size(); ++i) {
            bool lineEnd = text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'));
            if (!lineEnd) continue;
            pushPiece(mirror, {text.substr(start, i + 1 - start), run.color, run.bold, false, run.themeColor});
            start = i + 1;
        }
        if (start < text.size()) pushPiece(mirror, {text.substr(start), run.color, run.bold, false, run.themeColor});
    }
}

void mirrorEraseLastLine(TranscriptMirror& mirror) {
    while (!mirror.runs.empty() && !endsLine(mirror.runs.back())) mirror.runs.pop_back();
}

void mirrorRemoveTail(TranscriptMirror& mirror, size_t characters) {
    while (characters > 0 && !mirror.runs.empty()) {
        OutputRun& last = mirror.runs.back();
        if (endsLine(last)) --mirror.lines;
        if (last.text.size() <= characters) {
            characters -= last.text.size();
            mirror.runs.pop_back();
            continue;
        }
        last.text.erase(last.text.size() - characters);
        characters = 0;
        if (endsLine(last)) ++mirror.lines;
    }
}

void mirrorDropOldest(TranscriptMirror& mirror, uint64_t keepLines) {
    while (mirror.lines > keepLines && !mirror.runs.empty()) {
        if (endsLine(mirror.runs.front())) --mirror.lines;
        mirror.runs.pop_front();
        ++mirror.dropped;
    }
}

void mirrorClear(TranscriptMirror& mirror) {
    mirror.dropped += mirror.runs.size();
    mirror.runs.clear();
    mirror.lines = 0;
}

uint64_t mirrorCompleteEnd(const TranscriptMirror& mirror) {
    size_t end = mirror.runs.size();
    while (end > 0 && !endsLine(mirror.runs[end - 1])) --end;
    return mirror.dropped + end;
}

std::vector<OutputRun> mirrorTake(const TranscriptMirror& mirror, uint64_t& from, uint64_t to, uint64_t maxLines) {
    std::vector<OutputRun> taken;
    if (from < mirror.dropped) from = mirror.dropped;
    uint64_t end = mirror.dropped + mirror.runs.size();
    if (to > end) to = end;
    uint64_t lineEnds = 0;
    while (from < to && lineEnds < maxLines) {
        const OutputRun& run = mirror.runs[size_t(from - mirror.dropped)];
        if (endsLine(run)) ++lineEnds;
        taken.push_back(run);
        ++from;
    }
    return taken;
}
