// Playbook files beside the shipped pack: the team's folder next to the
// program, the user's folder under %APPDATA%, and the checker that judges a
// file the way loading does and says where each problem lies.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "playbooks/playbook.h"

// One thing wrong with a playbook file. A problem in the text has a line and
// column; one in the content names the playbook and, if it is one, the step.
struct PlaybookProblem {
    std::u16string file;
    int line = 0;  // 0: not a place in the text
    int column = 0;
    std::u16string playbookId;  // or "#n" for a playbook without an id
    std::u16string stepId;  // or "#n" for a step without an id
    std::u16string message;
    std::u16string messageEn;
};

// "FILE:LINE:COLUMN: message" or "FILE: playbook ID, step ID: message".
std::u16string problemLine(const PlaybookProblem& problem, bool english);

// The text of a playbook file: UTF-8 with or without a byte-order mark, or
// UTF-16 little-endian with its mark. Anything else sets the problem
// (message and place; the file name is the caller's) and gives nothing.
constexpr size_t kMaxPlaybookFileBytes = 4 * 1024 * 1024;
std::optional<std::u16string> decodePlaybookText(const std::string& bytes, PlaybookProblem& problem);

// What a file is judged against: the playbooks loaded before it (their ids
// are taken, their steps are goto targets) with the file each came from, and
// the tool ids of the catalog (tool steps must name one of them).
struct PlaybookContext {
    std::vector<Playbook> earlier;
    std::vector<std::u16string> earlierFiles;  // parallel to earlier
    std::set<std::u16string> toolIds;
};

// One file read and judged. The playbooks are those loading keeps: a
// playbook whose id is already taken is left out (and is a problem).
struct PlaybookFile {
    std::u16string path;
    bool parsed = false;  // the text could be read as a playbooks document
    std::vector<Playbook> playbooks;
    std::vector<PlaybookProblem> problems;
};
PlaybookFile judgePlaybookText(const std::u16string& path, const std::string& bytes, const PlaybookContext& context,
                               PlaybookOrigin origin);
PlaybookFile readPlaybookFile(const std::u16string& path, const PlaybookContext& context, PlaybookOrigin origin);

// The two folders, team first; either may be empty when it cannot be found.
std::u16string teamPlaybookFolder();
std::u16string userPlaybookFolder();
// The .json files of a folder in name order; nothing when it does not exist.
std::vector<std::u16string> playbookFolderFiles(const std::u16string& folder);

// Every playbook in the order they are shown: the shipped pack (or its
// data-folder replacement), then the team's files, then the user's. Each
// file with problems is one entry of `files`, the shipped pack included when
// its data-folder copy could not be used.
struct PlaybookSet {
    std::vector<Playbook> playbooks;
    std::vector<PlaybookFile> files;  // only those with problems
};
PlaybookSet loadPlaybookSet(const std::set<std::u16string>& toolIds);
// Every tool id of the packs and the custom tools file, present or not.
std::set<std::u16string> catalogToolIds();

// The checker: judges each file in turn as loading would (after the shipped
// pack; a file named playbooks.json is a whole pack and stands alone), hands
// `print` one line per problem and returns how many there were.
int checkPlaybookFiles(const std::vector<std::u16string>& paths, bool english,
                       const std::function<void(const std::u16string&)>& print);
