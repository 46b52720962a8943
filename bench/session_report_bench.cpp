// The session report of a long session: 50 000 lines in each of two
// terminals, cut at a command every 25 lines, made into the page. This is the
// work the worker does (the page) and the window does (the cutting).
#include <benchmark/benchmark.h>

#include <string>

#include "report/session_report.h"

namespace {

constexpr int kLines = 50000;
constexpr int kLinesPerCommand = 25;

struct Transcript {
    TranscriptMirror mirror;
    std::vector<EnteredCommand> entered;
};

Transcript longTranscript() {
    Transcript t;
    for (int line = 0; line < kLines; ++line) {
        if (line % kLinesPerCommand == 0) {
            std::u16string command = u"dir C:\\Windows\\System32 /s " + std::u16string(1, char16_t(u'a' + line % 26));
            t.entered.push_back({t.mirror.dropped + t.mirror.runs.size(), command, u"10:00:00"});
            mirrorAppend(t.mirror, {{command, {204, 204, 204}, false, false, true}, {u"\r\n", {}, false, false, true}});
        }
        mirrorAppend(t.mirror, {{u"12/07/2026  10:00    <DIR>          ", {204, 204, 204}, false, false, true},
                                {u"WinSxS & <more>\r\n", {58, 150, 221}, false}});
    }
    return t;
}

void BM_CutTranscripts(benchmark::State& state) {
    const Transcript t = longTranscript();
    for (auto _ : state) benchmark::DoNotOptimize(transcriptBlocks(t.mirror, t.entered));
    state.counters["lines"] = kLines;
}
BENCHMARK(BM_CutTranscripts)->Unit(benchmark::kMillisecond);

void BM_ReportPage(benchmark::State& state) {
    const Transcript t = longTranscript();
    SessionReport report;
    for (const char16_t* name : {u"CMD", u"CMD 2"})
        report.terminals.push_back({name, u"CMD", u"open", transcriptBlocks(t.mirror, t.entered)});
    size_t bytes = 0;
    for (auto _ : state) {
        std::string page = reportHtml(report);
        bytes = page.size();
        benchmark::DoNotOptimize(page);
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_ReportPage)->Unit(benchmark::kMillisecond);

}  // namespace
