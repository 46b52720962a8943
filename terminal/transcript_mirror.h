// A copy of what a terminal's transcript holds, run by run and line by line.
// The rich-edit control takes time in proportion to its whole text for every
// line it drops from the top, so the oldest lines are dropped by filling a
// fresh control from this copy instead.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "terminal/sgr_parser.h"

struct TranscriptMirror {
    std::deque<OutputRun> runs;  // each holds at most one line break, at its end
    uint64_t lines = 0;  // runs that end a line
    uint64_t dropped = 0;  // runs taken off the front so far: run k is runs[k - dropped]
};

// A command the user entered: the run its line begins with (absolute number),
// the line itself and the time it was entered.
struct EnteredCommand {
    uint64_t run = 0;
    std::u16string line;
    std::u16string time;
};

// Appends runs as they were inserted (no lineReset among them).
void mirrorAppend(TranscriptMirror& mirror, const std::vector<OutputRun>& runs);
// Removes the text after the last line break (a carriage return's erase).
void mirrorEraseLastLine(TranscriptMirror& mirror);
// Removes the last `characters` characters of text.
void mirrorRemoveTail(TranscriptMirror& mirror, size_t characters);
// Drops the oldest whole lines until `keepLines` remain.
void mirrorDropOldest(TranscriptMirror& mirror, uint64_t keepLines);
void mirrorClear(TranscriptMirror& mirror);
// One past the last run that ends a line (absolute run number); the runs
// after it form the unfinished last line, the only text that still changes.
uint64_t mirrorCompleteEnd(const TranscriptMirror& mirror);
// Runs [from, to) by absolute number, stopping after `maxLines` line ends.
// `from` advances past what was returned.
std::vector<OutputRun> mirrorTake(const TranscriptMirror& mirror, uint64_t& from, uint64_t to, uint64_t maxLines);
