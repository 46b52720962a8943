#include "data/text.h"
#include "report/session_report.h"
#include "terminal/readable_color.h"

namespace {

constexpr Rgb kPageBackground = {255, 255, 255};

// Light colours on white that print well; no script, no external resource.
constexpr char16_t kStyle[] =
    u"body{font-family:'Segoe UI',Arial,'Microsoft YaHei',sans-serif;color:#1b1b1b;background:#fff;margin:2em;"
    u"line-height:1.4}"
    u"h1{font-size:1.6em;margin-bottom:.3em}h2{border-bottom:1px solid #ccc;padding-bottom:.2em;margin-top:1.6em}"
    u"h4{margin:1em 0 .3em;font-weight:normal}"
    u"table{border-collapse:collapse}th,td{text-align:left;vertical-align:top;padding:.15em .8em .15em 0}"
    u".caution{border:1px solid #c88a00;background:#fff8e1;padding:.6em .8em}"
    u".time{color:#555;white-space:nowrap;font-family:Consolas,'Courier New',monospace}"
    u"code,pre{font-family:Consolas,'Courier New',monospace}"
    u"pre{background:#f6f6f6;border:1px solid #ddd;padding:.6em;white-space:pre-wrap;word-wrap:break-word}"
    u".kind{color:#555}.verdict{color:#555;font-size:.9em}.uses{margin:.2em 0 .6em}.reading{font-weight:bold}"
    u"@media print{body{margin:0}pre{border:none;background:none}nav{page-break-after:always}"
    u"article{page-break-inside:auto}h2,h3,h4{page-break-after:avoid}}";

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
// Characters that reorder what follows them on screen.
bool isBidiControl(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

std::u16string hexColor(Rgb color) {
    static const char16_t digits[] = u"0123456789abcdef";
    std::u16string text = u"#";
    for (uint8_t channel : {color.r, color.g, color.b}) {
        text += digits[channel >> 4];
        text += digits[channel & 15];
    }
    return text;
}

struct Page {
    std::u16string html;
    void add(const std::u16string& text) { html += text; }
    void text(const std::u16string& text) { html += escapeHtml(text); }
    void element(const char16_t* tag, const std::u16string& content, const std::u16string& attributes = {}) {
        html.append(u"<").append(tag).append(attributes).append(u">");
        html.append(escapeHtml(content)).append(u"</").append(tag).append(u">");
    }
};

std::u16string terminalId(size_t terminal) {
    std::u16string id = u"t";
    return id.append(decimalText(terminal + 1));
}
std::u16string commandId(size_t terminal, size_t block) {
    return terminalId(terminal).append(u"-c").append(decimalText(block + 1));
}

void header(Page& page, const SessionReport& report) {
    const ReportLabels& l = report.labels;
    const ReportHeader& h = report.header;
    page.element(u"h1", l.title);
    page.add(u"<table class=\"header\">");
    const std::pair<const std::u16string*, std::u16string> rows[] = {
        {&l.computer, h.computer},
        {&l.user, h.user},
        {&l.windowsVersion, h.windowsVersion},
        {&l.elevation, h.elevation},
        {&l.programVersion, h.programVersion},
        {&l.span, h.spanFrom + u" \u2013 " + h.spanTo},
        {&l.createdAt, h.createdAt},
    };
    for (const auto& [label, value] : rows) {
        page.add(u"<tr>");
        page.element(u"th", *label);
        page.element(u"td", value);
        page.add(u"</tr>");
    }
    page.add(u"</table>");
    page.element(u"p", l.caution, u" class=\"caution\"");
}

void contents(Page& page, const SessionReport& report) {
    const ReportLabels& l = report.labels;
    page.add(u"<nav>");
    page.element(u"h2", l.contents);
    page.add(u"<ol><li><a href=\"#activity\">" + escapeHtml(l.activity) + u"</a></li>");
    page.add(u"<li><a href=\"#assistant\">" + escapeHtml(l.questions) + u"</a></li>");
    page.add(u"<li><a href=\"#launches\">" + escapeHtml(l.launches) + u"</a></li>");
    page.add(u"<li><a href=\"#playbooks\">" + escapeHtml(l.playbooks) + u"</a></li>");
    page.add(u"<li><a href=\"#terminals\">" + escapeHtml(l.terminals) + u"</a><ol>");
    for (size_t t = 0; t < report.terminals.size(); ++t) {
        const TerminalRecord& terminal = report.terminals[t];
        page.add(u"<li><a href=\"#" + terminalId(t) + u"\">" + escapeHtml(terminal.name) + u"</a>");
        std::u16string commands;
        for (size_t b = 0; b < terminal.blocks.size(); ++b) {
            const CommandBlock& block = terminal.blocks[b];
            if (block.command.empty()) continue;
            commands += u"<li><a href=\"#" + commandId(t, b) + u"\"><span class=\"time\">" + escapeHtml(block.time) +
                        u"</span> <code>" + escapeHtml(block.command) + u"</code></a></li>";
        }
        if (!commands.empty()) page.add(u"<ol>" + commands + u"</ol>");
        page.add(u"</li>");
    }
    page.add(u"</ol></li></ol></nav>");
}

// A section's start: its anchor, its heading, and a word for an empty one.
void openSection(Page& page, const char16_t* id, const std::u16string& title, bool empty, const ReportLabels& labels) {
    page.add(u"<section id=\"");
    page.add(id);
    page.add(u"\">");
    page.element(u"h2", title);
    if (empty) page.element(u"p", labels.none);
}

void activity(Page& page, const SessionReport& report) {
    openSection(page, u"activity", report.labels.activity, report.activity.empty(), report.labels);
    page.add(u"<table>");
    for (const ActivityRecord& line : report.activity) {
        page.add(u"<tr>");
        page.element(u"td", line.time, u" class=\"time\"");
        page.add(u"<td><span style=\"color:" + hexColor(readableOn(line.color, kPageBackground)) + u"\">" +
                 escapeHtml(line.text) + u"</span></td></tr>");
    }
    page.add(u"</table></section>");
}

void playbooks(Page& page, const SessionReport& report) {
    const ReportLabels& l = report.labels;
    openSection(page, u"playbooks", l.playbooks, report.playbooks.empty(), l);
    for (const PlaybookRecord& playbook : report.playbooks) {
        page.add(u"<article>");
        page.element(u"h3", playbook.title);
        page.element(u"p", l.opened + u" " + playbook.openedAt, u" class=\"time\"");
        page.add(u"<ol>");
        for (const StepRecord& step : playbook.steps) {
            page.add(u"<li>");
            page.element(u"span", u"[" + step.kind + u"]", u" class=\"kind\"");
            page.add(u" ");
            page.text(step.text);
            if (!step.detail.empty()) {
                page.add(u" ");
                page.element(u"code", step.detail);
            }
            if (!step.verdict.empty()) {
                page.add(u" ");
                page.element(u"span", u"(" + l.verdict + u": " + step.verdict + u")", u" class=\"verdict\"");
            }
            page.add(u"<ul class=\"uses\">");
            if (step.uses.empty()) page.element(u"li", l.notUsed, u" class=\"verdict\"");
            for (const StepUse& use : step.uses) {
                page.add(u"<li><span class=\"time\">" + escapeHtml(use.time) + u"</span> " + escapeHtml(use.what) +
                         u"</li>");
            }
            if (!step.reading.empty()) page.element(u"li", l.reading + u": " + step.reading, u" class=\"reading\"");
            if (!step.captures.empty()) page.element(u"li", l.captured + u": " + step.captures, u" class=\"reading\"");
            page.add(u"</ul></li>");
        }
        page.add(u"</ol></article>");
    }
    page.add(u"</section>");
}

// A section of rows that each hold a time, a text and a verdict.
struct TimedRow {
    std::u16string time, text, verdict;
};

void timedTable(Page& page, const char16_t* id, const std::u16string& title, const std::vector<TimedRow>& rows,
                const ReportLabels& labels) {
    openSection(page, id, title, rows.empty(), labels);
    page.add(u"<table>");
    for (const TimedRow& row : rows) {
        page.add(u"<tr>");
        page.element(u"td", row.time, u" class=\"time\"");
        page.element(u"td", row.text);
        page.element(u"td", row.verdict, u" class=\"verdict\"");
        page.add(u"</tr>");
    }
    page.add(u"</table></section>");
}

void questionsAndLaunches(Page& page, const SessionReport& report) {
    const ReportLabels& l = report.labels;
    std::vector<TimedRow> rows;
    for (const QuestionRecord& q : report.questions) rows.push_back({q.time, q.text, decimalText(q.tools)});
    timedTable(page, u"assistant", l.questions, rows, l);
    rows.clear();
    for (const LaunchRecord& launch : report.launches)
        rows.push_back({launch.time, launch.tool, launch.failed ? l.launchFailed + u": " + launch.reason : l.launched});
    timedTable(page, u"launches", l.launches, rows, l);
}

void terminals(Page& page, const SessionReport& report) {
    openSection(page, u"terminals", report.labels.terminals, report.terminals.empty(), report.labels);
    for (size_t t = 0; t < report.terminals.size(); ++t) {
        const TerminalRecord& terminal = report.terminals[t];
        page.add(u"<article id=\"" + terminalId(t) + u"\">");
        page.element(u"h3", terminal.name + u" (" + terminal.shell + u", " + terminal.state + u")");
        for (size_t b = 0; b < terminal.blocks.size(); ++b) {
            const CommandBlock& block = terminal.blocks[b];
            if (!block.command.empty()) {
                page.add(u"<h4 id=\"" + commandId(t, b) + u"\"><span class=\"time\">" + escapeHtml(block.time) +
                         u"</span> <code>" + escapeHtml(block.command) + u"</code></h4>");
            }
            std::u16string output = runsToHtml(block.output);
            if (!output.empty()) page.add(u"<pre>" + output + u"</pre>");
        }
        page.add(u"</article>");
    }
    page.add(u"</section>");
}

}  // namespace

std::u16string escapeHtml(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        switch (c) {
            case u'&': out += u"&amp;"; continue;
            case u'<': out += u"&lt;"; continue;
            case u'>': out += u"&gt;"; continue;
            case u'"': out += u"&quot;"; continue;
            case u'\'': out += u"&#39;"; continue;
            case u'\n':
            case u'\t': out += c; continue;
            case u'\r':
                if (i + 1 < text.size() && text[i + 1] == u'\n') continue;  // CR LF is one break
                out += u'\n';
                continue;
        }
        if (c < 0x20) {
            out += char16_t(0x2400 + c);  // the control picture: NUL shows as ␀
        } else if (c == 0x7F) {
            out += char16_t(0x2421);
        } else if ((c >= 0x80 && c <= 0x9F) || isBidiControl(c)) {
            out += char16_t(0xFFFD);
        } else if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            out += c;
            out += text[++i];
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            out += char16_t(0xFFFD);
        } else {
            out += c;
        }
    }
    return out;
}

std::u16string runsToHtml(const std::vector<OutputRun>& runs) {
    std::u16string html;
    std::u16string openStyle;  // the style of the span open now; empty when none is
    for (const OutputRun& run : runs) {
        if (run.text.empty()) continue;
        std::u16string style;
        if (!run.themeColor) style = u"color:" + hexColor(readableOn(run.color, kPageBackground));
        if (run.bold) style += std::u16string(style.empty() ? u"" : u";") + u"font-weight:bold";
        if (style != openStyle) {
            if (!openStyle.empty()) html += u"</span>";
            if (!style.empty()) html += u"<span style=\"" + style + u"\">";
            openStyle = style;
        }
        html += escapeHtml(run.text);
    }
    if (!openStyle.empty()) html += u"</span>";
    return html;
}

std::string reportHtml(const SessionReport& report) {
    Page page;
    page.add(u"<!DOCTYPE html>\n<html lang=\"" + escapeHtml(report.labels.language) +
             u"\"><head><meta charset=\"utf-8\"><title>" +
             escapeHtml(report.labels.title + u" \u2013 " + report.header.computer) + u"</title><style>" + kStyle +
             u"</style></head><body>\n");
    header(page, report);
    contents(page, report);
    activity(page, report);
    questionsAndLaunches(page, report);
    playbooks(page, report);
    terminals(page, report);
    page.add(u"\n</body></html>\n");
    return wideToUtf8(page.html);
}

std::u16string reportFileName(const std::u16string& computer, const std::u16string& stamp) {
    std::u16string name = u"wrenly-report-" + computer + u"-" + stamp + u".html";
    for (char16_t& c : name)
        if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) c = u'_';
    return name;
}
