#include "data/text.h"
#include "report/session_report.h"

namespace {

// Line breaks of any kind become CR LF; other text stays as it is.
std::u16string withCrLf(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += u"\r\n";
        } else if (text[i] == u'\n') {
            out += u"\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

struct Document {
    std::u16string text;
    void line(const std::u16string& content = {}) { text += withCrLf(content) + u"\r\n"; }
    void heading(const std::u16string& title, char16_t rule) {
        line();
        line(title);
        line(std::u16string(title.size() < 8 ? 8 : title.size(), rule));
    }
};

}  // namespace

std::string reportText(const SessionReport& report) {
    const ReportLabels& l = report.labels;
    const ReportHeader& h = report.header;
    Document doc;
    doc.line(l.title);
    doc.line(std::u16string(l.title.size() < 8 ? 8 : l.title.size(), u'='));
    for (const auto& [label, value] :
         {std::pair{l.computer, h.computer}, std::pair{l.user, h.user}, std::pair{l.windowsVersion, h.windowsVersion},
          std::pair{l.elevation, h.elevation}, std::pair{l.programVersion, h.programVersion},
          std::pair{l.span, h.spanFrom + u" - " + h.spanTo}, std::pair{l.createdAt, h.createdAt}})
        doc.line(label + u": " + value);
    doc.line();
    doc.line(l.caution);

    doc.heading(l.contents, u'-');
    doc.line(u"1. " + l.activity);
    doc.line(u"2. " + l.questions);
    doc.line(u"3. " + l.launches);
    doc.line(u"4. " + l.playbooks);
    doc.line(u"5. " + l.terminals);
    for (const TerminalRecord& terminal : report.terminals) doc.line(u"   - " + terminal.name);

    doc.heading(l.activity, u'-');
    if (report.activity.empty()) doc.line(l.none);
    for (const ActivityRecord& entry : report.activity) doc.line(entry.time + u"  " + entry.text);

    doc.heading(l.questions, u'-');
    if (report.questions.empty()) doc.line(l.none);
    for (const QuestionRecord& q : report.questions)
        doc.line(q.time + u"  " + q.text + u"  (" + asciiToWide(std::to_string(q.tools)) + u")");
    doc.heading(l.launches, u'-');
    if (report.launches.empty()) doc.line(l.none);
    for (const LaunchRecord& launch : report.launches)
        doc.line(launch.time + u"  " + launch.tool + u"  " +
                 (launch.failed ? l.launchFailed + u": " + launch.reason : l.launched));

    doc.heading(l.playbooks, u'-');
    if (report.playbooks.empty()) doc.line(l.none);
    for (const PlaybookRecord& playbook : report.playbooks) {
        doc.line();
        doc.line(playbook.title + u" (" + l.opened + u" " + playbook.openedAt + u")");
        for (size_t s = 0; s < playbook.steps.size(); ++s) {
            const StepRecord& step = playbook.steps[s];
            std::u16string line = asciiToWide(std::to_string(s + 1)) + u". [" + step.kind + u"] " + step.text;
            if (!step.detail.empty()) line += u"  " + step.detail;
            if (!step.verdict.empty()) line += u"  (" + l.verdict + u": " + step.verdict + u")";
            doc.line(line);
            if (step.uses.empty()) doc.line(u"     " + l.notUsed);
            for (const StepUse& use : step.uses) doc.line(u"     " + use.time + u"  " + use.what);
            if (!step.reading.empty()) doc.line(u"     " + l.reading + u": " + step.reading);
            if (!step.captures.empty()) doc.line(u"     " + l.captured + u": " + step.captures);
        }
    }

    doc.heading(l.terminals, u'-');
    if (report.terminals.empty()) doc.line(l.none);
    for (const TerminalRecord& terminal : report.terminals) {
        doc.heading(terminal.name + u" (" + terminal.shell + u", " + terminal.state + u")", u'~');
        for (const CommandBlock& block : terminal.blocks) {
            if (!block.command.empty()) {
                doc.line();
                doc.line(u">>> " + block.time + u"  " + block.command);
            }
            std::u16string output;
            for (const OutputRun& run : block.output) output += run.text;
            if (!output.empty()) doc.text += withCrLf(output);
            if (!output.empty() && output.back() != u'\n' && output.back() != u'\r') doc.line();
        }
    }
    return "\xEF\xBB\xBF" + wideToUtf8(doc.text);
}
