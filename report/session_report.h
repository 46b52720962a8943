// The session report: what happened in one window's session (the Activity
// log, the playbooks walked, the terminals' transcripts with the commands
// entered) as plain records, and the two files made from them: one
// self-contained HTML page and a plain-text variant.
#pragma once

#include <string>
#include <vector>

#include "terminal/sgr_parser.h"  // OutputRun, Rgb
#include "terminal/transcript_mirror.h"  // TranscriptMirror, EnteredCommand

struct ReportHeader {
    std::u16string computer;
    std::u16string user;
    std::u16string windowsVersion;
    std::u16string elevation;  // in words
    std::u16string programVersion;
    std::u16string spanFrom;  // when the session began
    std::u16string spanTo;
    std::u16string createdAt;
};

struct ActivityRecord {
    std::u16string time;
    std::u16string text;
    Rgb color;
};

// What the user did with a playbook step, and when.
struct StepUse {
    std::u16string what;  // in words: run, filled into a terminal, copied
    std::u16string time;
};

struct StepRecord {
    std::u16string kind;  // in words: note, tool, command, link
    std::u16string text;
    std::u16string detail;  // the command, tool or address, when there is one
    std::u16string verdict;  // command steps: the allowlist's verdict in words
    std::vector<StepUse> uses;
    std::u16string reading;  // what the command's output read as, with the deciding line; empty when unread
    std::u16string captures;  // "name = value" of what that output gave, comma-separated
};

// A question put to the Assistant, and how many tools its answer named.
struct QuestionRecord {
    std::u16string time;
    std::u16string text;
    size_t tools = 0;
};

// A tool started from the window, and whether the shell started it.
struct LaunchRecord {
    std::u16string time;
    std::u16string tool;
    bool failed = false;
    std::u16string reason;  // what the launcher said, when it failed
};

struct PlaybookRecord {
    std::u16string title;
    std::u16string openedAt;
    std::vector<StepRecord> steps;
};

// A command the user entered and the output that followed it, up to the next
// one. The first block of a transcript may have no command: what the shell
// printed before any.
struct CommandBlock {
    std::u16string command;
    std::u16string time;
    std::vector<OutputRun> output;
};

// What the transcript still holds, cut at the commands entered: each command
// is a block's heading, not part of the output before it. Commands whose line
// has been dropped from the transcript are left out.
std::vector<CommandBlock> transcriptBlocks(const TranscriptMirror& mirror, const std::vector<EnteredCommand>& commands);

struct TerminalRecord {
    std::u16string name;
    std::u16string shell;
    std::u16string state;  // in words: open, closed
    std::vector<CommandBlock> blocks;
};

// The report's own words, in the language it is written in.
struct ReportLabels {
    std::u16string language = u"en";  // the HTML lang attribute
    std::u16string title;
    std::u16string caution;
    std::u16string contents;
    std::u16string activity;
    std::u16string playbooks;
    std::u16string terminals;
    std::u16string computer;
    std::u16string user;
    std::u16string windowsVersion;
    std::u16string elevation;
    std::u16string programVersion;
    std::u16string span;
    std::u16string createdAt;
    std::u16string opened;  // "opened" before a playbook's time
    std::u16string verdict;  // "allowlist" before a verdict
    std::u16string notUsed;  // a step nobody acted on
    std::u16string none;  // an empty section
    // Step kinds, what was done with a step, and the verdict of an allowed command.
    std::u16string kindNote, kindTool, kindCommand, kindLink;
    std::u16string usedRun, usedFilled, usedCopied;
    std::u16string allowed;
    // A step's reading: its heading, the three outcomes, and the values taken.
    std::u16string reading, readOk, readFail, readUnknown, captured;
    // The Assistant's questions and the tool launches: headings and outcomes.
    std::u16string questions, launches, launched, launchFailed;
};

struct SessionReport {
    ReportLabels labels;
    ReportHeader header;
    std::vector<ActivityRecord> activity;
    std::vector<PlaybookRecord> playbooks;
    std::vector<TerminalRecord> terminals;
    std::vector<QuestionRecord> questions;
    std::vector<LaunchRecord> launches;
};

// Text made safe for HTML: markup characters as entities, line breaks kept,
// other control characters as their visible symbols (U+2400 block), unpaired
// surrogates as U+FFFD.
std::u16string escapeHtml(const std::u16string& text);
// Runs as spans with their colours made legible on the page's white; text in
// the terminal's own colour takes the page's.
std::u16string runsToHtml(const std::vector<OutputRun>& runs);
// The whole page, UTF-8.
std::string reportHtml(const SessionReport& report);
// The same sections as text: UTF-8 with a byte-order mark, CR LF line ends.
std::string reportText(const SessionReport& report);
// "wrenly-report-<computer>-<yyyyMMdd-HHmm>.html", with characters that are
// not allowed in file names replaced.
std::u16string reportFileName(const std::u16string& computer, const std::u16string& stamp);
