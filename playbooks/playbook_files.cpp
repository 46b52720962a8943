#include "playbooks/playbook_files.h"

#include <algorithm>

#include "data/custom_tools.h"
#include "data/data_pack.h"
#include "data/files.h"
#include "data/text.h"
#include "platform/platform.h"

namespace {

constexpr const char16_t* kPackFileName = u"playbooks.json";

struct Texts {
    std::u16string zh;
    std::u16string en;
};

PlaybookProblem placed(const std::u16string& text, size_t offset, Texts texts) {
    JsonPlace place = jsonPlace(text, offset);
    PlaybookProblem problem;
    problem.line = place.line;
    problem.column = place.column;
    problem.message = std::move(texts.zh);
    problem.messageEn = std::move(texts.en);
    return problem;
}

Texts jsonErrorTexts(JsonErrorKind kind) {
    switch (kind) {
        case JsonErrorKind::UnexpectedEnd: return {u"JSON 文本不完整，在此意外结束", u"the JSON text ends too early"};
        case JsonErrorKind::TooDeep: return {u"JSON 嵌套过深", u"the JSON nesting is too deep"};
        case JsonErrorKind::TrailingText:
            return {u"JSON 值之后还有多余的文字", u"there is more text after the JSON value"};
        case JsonErrorKind::Syntax: break;
    }
    return {u"JSON 语法错误", u"JSON syntax error"};
}

// A UTF-16 LE text is usable when its surrogates pair up; the offset of the
// first one that does not is reported.
std::optional<size_t> unpairedSurrogate(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return i;
        }
    }
    return std::nullopt;
}

// The length of the longest prefix that is valid UTF-8 and ends on a character.
size_t validUtf8Prefix(const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        unsigned char b = static_cast<unsigned char>(bytes[at]);
        size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        if (at + length > bytes.size() || !isValidUtf8(bytes.substr(at, length))) break;
        at += length;
    }
    return at;
}

PlaybookProblem contentProblem(const std::u16string& playbookId, const std::u16string& stepId, Texts texts) {
    PlaybookProblem problem;
    problem.playbookId = playbookId;
    problem.stepId = stepId;
    problem.message = std::move(texts.zh);
    problem.messageEn = std::move(texts.en);
    return problem;
}

std::u16string ordinal(size_t index) { return u"#" + decimalText(index + 1); }

const std::u16string& idOr(const std::u16string& id, const std::u16string& fallback) {
    return id.empty() ? fallback : id;
}

// What parsePlaybooks drops without a word: elements of the wrong kind and
// records without their required fields.
void findDroppedParts(const JsonValue& list, std::vector<PlaybookProblem>& out) {
    for (size_t i = 0; i < list.items.size(); ++i) {
        const JsonValue& item = list.items[i];
        if (item.kind != JsonKind::Object) {
            out.push_back(contentProblem(ordinal(i), {}, {u"不是对象，已跳过", u"is not an object and is skipped"}));
            continue;
        }
        std::u16string id = getString(item, u"id");
        const std::u16string where = idOr(id, ordinal(i));
        if (id.empty())
            out.push_back(contentProblem(where, {}, {u"缺少 \"id\"，未载入", u"has no \"id\" and is not loaded"}));
        if (getString(item, u"title").empty())
            out.push_back(
                contentProblem(where, {}, {u"缺少 \"title\"，未载入", u"has no \"title\" and is not loaded"}));
        const JsonValue* steps = findMember(item, u"steps");
        if (!isKind(steps, JsonKind::Array)) continue;
        for (size_t j = 0; j < steps->items.size(); ++j) {
            const JsonValue& step = steps->items[j];
            if (step.kind != JsonKind::Object) {
                out.push_back(
                    contentProblem(where, ordinal(j), {u"不是对象，已跳过", u"is not an object and is skipped"}));
                continue;
            }
            std::u16string stepId = getString(step, u"id");
            if (stepId.empty())
                out.push_back(
                    contentProblem(where, ordinal(j), {u"缺少 \"id\"，已跳过", u"has no \"id\" and is skipped"}));
            const JsonValue* branches = findMember(step, u"branches");
            if (!isKind(branches, JsonKind::Array)) continue;
            for (const JsonValue& branch : branches->items) {
                if (branch.kind != JsonKind::Object || getString(branch, u"goto").empty())
                    out.push_back(
                        contentProblem(where, idOr(stepId, ordinal(j)),
                                       {u"有分支缺少 \"goto\"，已跳过", u"a branch has no \"goto\" and is skipped"}));
            }
        }
    }
}

std::u16string shownFile(const std::u16string& file, bool english) {
    return file == kEmbeddedSourceLabel && english ? u"(built-in)" : file;
}

void findStepProblems(const Playbook& playbook, const std::set<std::u16string>& toolIds,
                      std::vector<PlaybookProblem>& out) {
    std::set<std::u16string> stepIds;
    for (const PlaybookStep& step : playbook.steps) {
        if (!stepIds.insert(step.id).second)
            out.push_back(contentProblem(playbook.id, step.id, {u"步骤 id 重复", u"the step id is used twice"}));
        if (!step.enabled)
            out.push_back(contentProblem(
                playbook.id, step.id,
                {u"步骤已禁用: " + step.disabledReason, u"the step is disabled: " + step.disabledReasonEn}));
        if (step.actionType == StepActionType::Tool &&
            (step.ref.empty() || (!toolIds.empty() && !toolIds.count(step.ref))))
            out.push_back(
                contentProblem(playbook.id, step.id,
                               {u"工具目录中没有该工具: " + step.ref, u"the tool catalog has no tool " + step.ref}));
        if (!step.readingProblem.empty())
            out.push_back(contentProblem(playbook.id, step.id, {step.readingProblem, step.readingProblemEn}));
    }
}

void findBranchProblems(const Playbook& playbook, const std::vector<Playbook>& all, std::vector<PlaybookProblem>& out) {
    for (const PlaybookStep& step : playbook.steps) {
        for (const StepBranch& branch : step.branches) {
            BranchTarget target = parseBranchTarget(branch.gotoTarget);
            const Playbook* other = target.otherPlaybook ? findPlaybook(all, target.playbookId) : &playbook;
            if (!other) {
                out.push_back(contentProblem(playbook.id, step.id,
                                             {u"goto 指向不存在的剧本: " + target.playbookId,
                                              u"goto names a playbook that does not exist: " + target.playbookId}));
            } else if (!target.stepId.empty() && !findStep(*other, target.stepId)) {
                out.push_back(contentProblem(playbook.id, step.id,
                                             {u"goto 指向不存在的步骤: " + branch.gotoTarget,
                                              u"goto names a step that does not exist: " + branch.gotoTarget}));
            }
        }
    }
}

PlaybookFile judgeDocument(PlaybookFile file, const JsonValue& document, const PlaybookContext& context,
                           PlaybookOrigin origin) {
    const JsonValue* list = findMember(document, u"playbooks");
    if (document.kind != JsonKind::Object || !isKind(list, JsonKind::Array)) {
        PlaybookProblem problem;
        problem.line = problem.column = 1;
        problem.message = u"顶层必须是带有 \"playbooks\" 数组的对象";
        problem.messageEn = u"the top level must be an object with a \"playbooks\" array";
        file.problems.push_back(std::move(problem));
        return file;
    }
    file.parsed = true;
    findDroppedParts(*list, file.problems);
    std::vector<Playbook> all = context.earlier;
    for (Playbook& playbook : parsePlaybooks(document)) {
        playbook.origin = origin;
        int taken = findPlaybookIndex(context.earlier, playbook.id);
        if (taken >= 0) {
            const std::u16string& other = context.earlierFiles[size_t(taken)];
            file.problems.push_back(
                contentProblem(playbook.id, {},
                               {u"id 已被 " + shownFile(other, false) + u" 使用，未载入",
                                u"the id is already taken by " + shownFile(other, true) + u"; not loaded"}));
            continue;
        }
        if (findPlaybook(file.playbooks, playbook.id)) {
            file.problems.push_back(contentProblem(
                playbook.id, {}, {u"本文件中 id 重复，未载入", u"the id is used twice in this file; not loaded"}));
            continue;
        }
        findStepProblems(playbook, context.toolIds, file.problems);
        file.playbooks.push_back(playbook);
        all.push_back(std::move(playbook));
    }
    for (const Playbook& playbook : file.playbooks) findBranchProblems(playbook, all, file.problems);
    return file;
}

std::u16string fileName(const std::u16string& path) {
    size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

bool sameName(const std::u16string& a, const std::u16string& b) { return lowerAscii(a) == lowerAscii(b); }

// The shipped list and, when the data folder's copy could not be used, why.
PlaybookContext shippedContext(std::vector<PlaybookFile>* brokenPack) {
    PlaybookContext context;
    std::u16string source = kEmbeddedSourceLabel;
    if (std::optional<JsonValue> document = loadDataPack(kPlaybooksPack, &source))
        context.earlier = parsePlaybooks(*document);
    context.earlierFiles.assign(context.earlier.size(), source);
    std::u16string copy = findPackFile(kPackFileName);
    if (brokenPack && !copy.empty() && copy != source) {
        // The loader fell back without a word; say why, in the checker's terms.
        PlaybookFile read = readPlaybookFile(copy, {}, PlaybookOrigin::Shipped);
        PlaybookProblem problem;
        if (!read.parsed && !read.problems.empty()) {
            problem = read.problems.front();
        } else {
            problem.message = u"剧本包不能使用（须为 UTF-8 编码的 JSON）";
            problem.messageEn = u"the pack cannot be used (it must be JSON in UTF-8)";
        }
        problem.file = copy;
        problem.message += u"；已改用内置剧本";
        problem.messageEn += u"; the built-in playbooks are used instead";
        PlaybookFile file;
        file.path = copy;
        file.problems.push_back(std::move(problem));
        brokenPack->push_back(std::move(file));
    }
    return context;
}

}  // namespace

std::u16string problemLine(const PlaybookProblem& problem, bool english) {
    const std::u16string& message = english ? problem.messageEn : problem.message;
    if (problem.line > 0)
        return problem.file + u":" + decimalText(unsigned(problem.line)) + u":" +
               decimalText(unsigned(problem.column)) + u": " + message;
    if (problem.playbookId.empty()) return problem.file + u": " + message;
    std::u16string where = (english ? u"playbook " : u"剧本 ") + problem.playbookId;
    if (!problem.stepId.empty()) where += (english ? u", step " : u"，步骤 ") + problem.stepId;
    return problem.file + u": " + where + u": " + message;
}

std::optional<std::u16string> decodePlaybookText(const std::string& bytes, PlaybookProblem& problem) {
    auto fail = [&](int line, int column, Texts texts) {
        problem.line = line;
        problem.column = column;
        problem.message = std::move(texts.zh);
        problem.messageEn = std::move(texts.en);
        return std::nullopt;
    };
    auto startsWith = [&](const char* mark, size_t length) { return bytes.compare(0, length, mark, length) == 0; };
    if (startsWith("\xFF\xFE", 2)) {
        if (bytes.size() % 2 != 0)
            return fail(0, 0, {u"UTF-16 文本的字节数不是偶数", u"the UTF-16 text has an odd number of bytes"});
        std::u16string text;
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (std::optional<size_t> bad = unpairedSurrogate(text)) {
            JsonPlace place = jsonPlace(text, *bad);
            return fail(place.line, place.column,
                        {u"UTF-16 文本中有不成对的代理项", u"the UTF-16 text has an unpaired surrogate"});
        }
        return text;
    }
    if (startsWith("\xFE\xFF", 2))
        return fail(0, 0,
                    {u"不支持 UTF-16 BE 编码；请存为 UTF-8 或 UTF-16 LE（带 BOM）",
                     u"UTF-16 BE is not supported; save the file as UTF-8 or UTF-16 LE with a BOM"});
    size_t skip = startsWith("\xEF\xBB\xBF", 3) ? 3 : 0;
    // ASCII text saved as UTF-16 without a mark: every other byte is zero.
    if (bytes.size() >= skip + 2 && (bytes[skip] == 0 || bytes[skip + 1] == 0))
        return fail(0, 0,
                    {u"文件似乎是没有 BOM 的 UTF-16；请存为 UTF-8 或 UTF-16 LE（带 BOM）",
                     u"the file looks like UTF-16 without a BOM; save it as UTF-8 or UTF-16 LE with a BOM"});
    std::string body = bytes.substr(skip);
    if (!isValidUtf8(body)) {
        size_t good = validUtf8Prefix(body);
        std::u16string before = utf8ToWide(body.substr(0, good));
        JsonPlace place = jsonPlace(before, before.size());
        return fail(place.line, place.column, {u"不是有效的 UTF-8 文本", u"the text is not valid UTF-8"});
    }
    return utf8ToWide(body);
}

PlaybookFile judgePlaybookText(const std::u16string& path, const std::string& bytes, const PlaybookContext& context,
                               PlaybookOrigin origin) {
    PlaybookFile file;
    file.path = path;
    std::optional<std::u16string> text;
    PlaybookProblem problem;
    if (bytes.size() > kMaxPlaybookFileBytes) {
        problem.message = u"文件过大（上限 4 MB）";
        problem.messageEn = u"the file is too large (the limit is 4 MB)";
    } else {
        text = decodePlaybookText(bytes, problem);
    }
    if (text) {
        JsonError error;
        if (std::optional<JsonValue> document = parseJsonDocument(*text, error)) {
            file = judgeDocument(std::move(file), *document, context, origin);
        } else {
            file.problems.push_back(placed(*text, error.offset, jsonErrorTexts(error.kind)));
        }
    } else {
        file.problems.push_back(std::move(problem));
    }
    for (PlaybookProblem& each : file.problems) each.file = path;
    return file;
}

PlaybookFile readPlaybookFile(const std::u16string& path, const PlaybookContext& context, PlaybookOrigin origin) {
    FileRead read = readFileUpTo(path, kMaxPlaybookFileBytes);
    if (read.status == ReadStatus::Read) return judgePlaybookText(path, read.bytes, context, origin);
    PlaybookFile file;
    file.path = path;
    PlaybookProblem problem;
    problem.file = path;
    problem.message = u"无法读取文件（错误 " + decimalText(read.error) + u"）";
    problem.messageEn = u"the file cannot be read (error " + decimalText(read.error) + u")";
    file.problems.push_back(std::move(problem));
    return file;
}

std::u16string teamPlaybookFolder() {
    std::u16string dir = platform::executableDir();
    return dir.empty() ? dir : platform::joinPath(dir, u"Playbooks");
}

std::u16string userPlaybookFolder() {
    std::u16string dir = platform::roamingAppDataDir();
    return dir.empty() ? dir : platform::joinPath(platform::joinPath(dir, u"Toolkeep"), u"playbooks");
}

std::vector<std::u16string> playbookFolderFiles(const std::u16string& folder) {
    std::vector<std::u16string> files;
    if (folder.empty()) return files;
    std::optional<std::vector<platform::DirEntry>> entries = platform::listDirectory(folder);
    if (!entries) return files;
    for (const platform::DirEntry& entry : *entries) {
        const std::u16string name = lowerAscii(entry.name);
        if (!entry.isDirectory && name.size() > 5 && name.compare(name.size() - 5, 5, u".json") == 0)
            files.push_back(platform::joinPath(folder, entry.name));
    }
    std::sort(files.begin(), files.end(),
              [](const std::u16string& a, const std::u16string& b) { return lowerAscii(a) < lowerAscii(b); });
    return files;
}

std::set<std::u16string> catalogToolIds() {
    std::set<std::u16string> ids;
    for (const auto& tools : {loadBuiltinTools(), loadExternalTools(), loadCustomTools()})
        for (const ToolRecord& tool : tools) ids.insert(tool.id);
    return ids;
}

PlaybookSet loadPlaybookSet(const std::set<std::u16string>& toolIds) {
    PlaybookSet set;
    PlaybookContext context = shippedContext(&set.files);
    context.toolIds = toolIds;
    const std::pair<std::u16string, PlaybookOrigin> folders[] = {{teamPlaybookFolder(), PlaybookOrigin::Team},
                                                                 {userPlaybookFolder(), PlaybookOrigin::User}};
    for (const auto& [folder, origin] : folders) {
        for (const std::u16string& path : playbookFolderFiles(folder)) {
            PlaybookFile file = readPlaybookFile(path, context, origin);
            for (const Playbook& playbook : file.playbooks) {
                context.earlier.push_back(playbook);
                context.earlierFiles.push_back(path);
            }
            if (!file.problems.empty()) set.files.push_back(std::move(file));
        }
    }
    set.playbooks = std::move(context.earlier);
    return set;
}

int checkPlaybookFiles(const std::vector<std::u16string>& paths, bool english,
                       const std::function<void(const std::u16string&)>& print) {
    PlaybookContext shipped = shippedContext(nullptr);
    shipped.toolIds = catalogToolIds();
    PlaybookContext context = shipped;
    int count = 0;
    for (const std::u16string& path : paths) {
        const bool wholePack = sameName(fileName(path), kPackFileName);
        PlaybookContext alone;
        alone.toolIds = shipped.toolIds;
        PlaybookFile file = readPlaybookFile(path, wholePack ? alone : context, PlaybookOrigin::Team);
        for (const Playbook& playbook : file.playbooks) {
            if (wholePack) continue;
            context.earlier.push_back(playbook);
            context.earlierFiles.push_back(path);
        }
        for (const PlaybookProblem& problem : file.problems) print(problemLine(problem, english));
        count += int(file.problems.size());
    }
    return count;
}
