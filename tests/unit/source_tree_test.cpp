// The source tree's own rules, read from the files: which layer may include
// which, and UI texts called by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cctype>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ui/ui_text.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = TOOLKEEP_SOURCE_DIR;

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The .cpp and .h files under a top-level folder, as paths relative to the root.
std::vector<fs::path> sourcesIn(const std::string& folder) {
    std::vector<fs::path> found;
    if (!fs::is_directory(kRoot / folder)) return found;
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / folder)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h")) found.push_back(entry.path());
    }
    return found;
}

bool treeReadable() { return fs::is_regular_file(kRoot / "ui" / "ui_text.cpp"); }

std::vector<std::string> linesOf(const fs::path& path) {
    std::istringstream in(fileText(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The quoted name of an #include line, empty for any other line.
std::string includedName(const std::string& line) {
    const size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line.compare(at, 10, "#include \"") != 0) return {};
    const size_t end = line.find('"', at + 10);
    return end == std::string::npos ? std::string() : line.substr(at + 10, end - at - 10);
}

bool isIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

size_t skipSpaces(const std::string& line, size_t at) {
    while (at < line.size() && line[at] == ' ') ++at;
    return at;
}

bool digitAt(const std::string& line, size_t at) {
    return at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]));
}

// Whether the line passes a bare number where a text id goes: uiText(N),
// uiTextWith(N, ...), uiText(flag ? N : M), or a lookup with a context first
// such as uiTextIn(language, N) and terminalUiText(terminal, N).
bool callsTextByNumber(const std::string& line) {
    for (const char* callName : {"uiText(", "uiTextWith(", "uiTextIn(", "terminalUiText("}) {
        const std::string call = callName;
        for (size_t at = line.find(call); at != std::string::npos; at = line.find(call, at + 1)) {
            if (at > 0 && isIdentifierChar(line[at - 1])) continue;
            const size_t open = at + call.size();
            const size_t close = line.find_first_of("()", open);
            const std::string args = line.substr(open, close == std::string::npos ? std::string::npos : close - open);
            const size_t comma = args.find(',');
            const bool contextFirst = call == "uiTextIn(" || call == "terminalUiText(";
            if (!contextFirst && digitAt(args, skipSpaces(args, 0))) return true;
            if (comma != std::string::npos && (contextFirst || call == "uiText(") &&
                digitAt(args, skipSpaces(args, comma + 1)))
                return true;
            const size_t question = args.find('?');
            if (question != std::string::npos && digitAt(args, skipSpaces(args, question + 1))) return true;
        }
    }
    return false;
}

// ui/ sits on top; the layers below report, ask and look up texts through
// callbacks handed down, and the platform seam is the bottom.
TEST(SourceTree, LayersIncludeOnlyWhatLiesBelowThem) {
    if (!treeReadable()) GTEST_SKIP() << "the source tree is not readable at " << kRoot.string();
    const std::vector<std::string> aboveCore = {"ui/", "app/", "selftest/"};
    const std::vector<std::string> aboveData = {"ui/",        "app/",    "selftest/", "launcher/", "terminal/",
                                                "playbooks/", "search/", "mcp/",      "report/"};
    std::vector<std::string> aboveBottom = aboveData;
    aboveBottom.push_back("data/");
    const std::map<std::string, std::vector<std::string>> forbidden = {
        {"launcher", aboveCore}, {"terminal", aboveCore}, {"playbooks", aboveCore}, {"search", aboveCore},
        {"mcp", aboveCore},      {"report", aboveCore},   {"data", aboveData},      {"platform", aboveBottom}};
    size_t filesRead = 0;
    for (const auto& [folder, banned] : forbidden) {
        for (const fs::path& path : sourcesIn(folder)) {
            ++filesRead;
            for (const std::string& line : linesOf(path)) {
                const std::string name = includedName(line);
                for (const std::string& prefix : banned)
                    EXPECT_NE(name.rfind(prefix, 0), 0u) << fs::relative(path, kRoot).string() << " includes " << name;
            }
        }
    }
    EXPECT_GT(filesRead, 50u);
}

// A file's place in its folder's order is its name without "_win" and the
// extension, so a header and the files that implement it share one place.
std::string stemOf(const std::string& name) {
    const std::string stem = fs::path(name).stem().string();
    return stem.ends_with("_win") ? stem.substr(0, stem.size() - 4) : stem;
}

// Within ui/ and terminal/ a file includes only files of its folder that come
// before it here (bottom first); what a lower file needs from above comes
// through a callback record it is handed.
const std::map<std::string, std::string> kIncludeOrder = {
    {"terminal",
     "sgr_parser console_rules output_decoder shell_launch pipe_limits readable_color output_rtf transcript_mirror "
     "path_completion command_history shell_session process_tree terminal editor_control history_store "
     "output_render scrollback terminal_output console_editor page_list terminal_tabs"},
    {"ui",
     "ui_text theme glyph_table icon_glyphs help_documents navigation_model assistant_answer ui_fonts input_dialog "
     "log_pane navigation_pane assistant_tab window_start main_state activity settings_change pages layout menus "
     "window_placement help_pages themed_controls tool_launch custom_tool_dialogs session_report keyboard "
     "settings_commands main_window"}};

TEST(SourceTree, FilesOfUiAndTerminalIncludeOnlyFilesBelowThem) {
    if (!treeReadable()) GTEST_SKIP() << "the source tree is not readable at " << kRoot.string();
    for (const auto& [folder, names] : kIncludeOrder) {
        std::istringstream words(names);
        const std::vector<std::string> order{std::istream_iterator<std::string>(words), {}};
        auto place = [&o = order](const std::string& name) { return std::find(o.begin(), o.end(), stemOf(name)); };
        for (const fs::path& path : sourcesIn(folder)) {
            const std::string file = fs::relative(path, kRoot).string();
            ASSERT_NE(place(file), order.end()) << file << " has no place in the declared order";
            for (const std::string& line : linesOf(path)) {
                const std::string name = includedName(line);
                EXPECT_TRUE(name.rfind(folder + "/", 0) != 0 || place(name) <= place(file))
                    << file << " includes " << name << ", which is not below it";
            }
        }
    }
}

// A variable the whole process shares: at namespace scope, or a function's
// static, that is not const.
bool definesSharedMutable(const std::string& line) {
    const size_t at = line.find_first_not_of(' ');
    if (at == std::string::npos || (at > 0 && line.compare(at, 7, "static ") != 0)) return false;
    std::string code = line.substr(at, line.find("//") - at);
    while (!code.empty() && code.back() == ' ') code.pop_back();
    if (code.empty() || code.back() != ';') return false;
    for (const char* word : {"constexpr ", "const ", "static const", "using ", "typedef ", "struct ", "class ", "enum ",
                             "extern ", "return ", "template", "friend ", "namespace ", "#", "}"})
        if (code.rfind(word, 0) == 0) return false;
    const size_t paren = code.find('('), equals = code.find('=');
    return paren == std::string::npos || equals < paren;
}

TEST(SourceTree, NoWindowWideMutableStateBeyondTheDeclaredOnes) {
    if (!treeReadable()) GTEST_SKIP() << "the source tree is not readable at " << kRoot.string();
    const std::map<std::string, std::string> allowed = {
        // each with why it must exist
        {"ui/ui_text.cpp:int gLanguage = 0;", "the language every text is shown in, one for the process"},
        {"ui/icon_glyphs_win.cpp:    static IconAnswers answers;", "what the fonts can draw, asked once per face"}};
    for (const char* sample : {"int gCount = 0;", "    static bool looked = false;", "HWND gWindow;"})
        EXPECT_TRUE(definesSharedMutable(sample)) << sample;
    for (const char* sample : {"constexpr int k = 3;", "  static const int m = f();", "int f(int x);", "  int i = 0;"})
        EXPECT_FALSE(definesSharedMutable(sample)) << sample;
    for (const char* folder : {"ui", "terminal", "app"}) {
        for (const fs::path& path : sourcesIn(folder)) {
            const std::string file = fs::relative(path, kRoot).generic_string();
            for (const std::string& line : linesOf(path))
                EXPECT_TRUE(!definesSharedMutable(line) || allowed.count(file + ":" + line)) << file << ": " << line;
        }
    }
}

// Every text a screen shows is called by a name from data/ui_text_ids.h: each
// name's id is a row with real words, no two names share an id, and no call
// passes a bare number.
TEST(SourceTree, TextNamesAndTheTableStayInStep) {
    if (!treeReadable()) GTEST_SKIP() << "the source tree is not readable at " << kRoot.string();
    const std::string prefix = "constexpr int kText";
    std::map<int, std::string> byId;
    for (const std::string& line : linesOf(kRoot / "data" / "ui_text_ids.h")) {
        if (line.rfind(prefix, 0) != 0) continue;
        const size_t equals = line.find(" = ");
        ASSERT_NE(equals, std::string::npos) << line;
        const std::string name = line.substr(14, equals - 14);
        const int id = std::stoi(line.substr(equals + 3));
        EXPECT_TRUE(byId.emplace(id, name).second) << name << " and " << byId[id] << " share id " << id;
        EXPECT_LT(id, kUiTextCount) << name << " has no row";
        EXPECT_NE(uiTextIn(1, id), u"(reserved)") << name << " names a reserved row";
    }
    EXPECT_GT(byId.size(), 150u);

    for (const char* sample : {"uiText(35)", "x + uiTextWith( 202, {a})", "uiText(on ? 162 : 76)", "uiTextIn(1, 0)",
                               "terminalUiText(t, 33)", "uiText(tabs, 32)"})
        EXPECT_TRUE(callsTextByNumber(sample)) << sample;
    for (const char* sample : {"uiText(kTextOk)", "uiText(kTextReportTitle + 3)", "uiTextIn(1, kTextAppName)",
                               "myuiText(3)", "uiText(id)", "uiTextWith(kTextFileBrokenKept, {path, copy})"})
        EXPECT_FALSE(callsTextByNumber(sample)) << sample;
    for (const char* folder : {"app", "data", "launcher", "mcp", "platform", "playbooks", "report", "search",
                               "selftest", "terminal", "ui", "tests", "tools"}) {
        for (const fs::path& path : sourcesIn(folder)) {
            if (path.filename() == "ui_text.cpp" || path.filename() == "source_tree_test.cpp") continue;
            const std::vector<std::string> lines = linesOf(path);
            for (size_t i = 0; i < lines.size(); ++i)
                EXPECT_FALSE(callsTextByNumber(lines[i]))
                    << fs::relative(path, kRoot).string() << ":" << i + 1 << " calls a text by number: " << lines[i];
        }
    }
}

}  // namespace
