// Which tools exist on this machine and where their files are. Every probe of
// the system goes through ResolutionProbes so the rules run against fakes too.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/tool_record.h"
#include "platform/platform.h"

struct ResolutionProbes {
    char16_t separator = u'\\';  // put between joined path parts
    bool namesIgnoreCase = true;  // how the file system compares file names
    std::function<bool(const std::u16string&)> fileExists;
    std::function<std::u16string()> systemDir;  // empty when unknown
    std::function<std::u16string()> windowsDir;  // empty when unknown
    std::function<std::u16string()> systemWow64Dir;  // empty on 32-bit systems
    std::function<std::optional<std::u16string>()> pathVariable;
    std::function<std::u16string()> programDir;
    // As platform::listDirectory: empty optional when the folder cannot be read.
    std::function<std::optional<std::vector<platform::DirEntry>>(const std::u16string&)> listDirectory;
    std::function<bool(const std::u16string&)> uriSchemeRegistered;
    // Empty optional when the package repository itself cannot be read.
    std::function<std::optional<bool>(const std::u16string&)> packagedAppFamily;
    std::function<std::optional<std::vector<std::u16string>>()> packagedAppFamilies;  // the same, all at once
    // Whether the folder holds a file of that name; unset: fileExists of the joined path.
    std::function<bool(const std::u16string& dir, const std::u16string& name)> fileInDirectory;
};

// The probes of the running system: one system call per question, which suits
// a single look-up (a launch, a context menu).
const ResolutionProbes& systemProbes();

// Probes for many questions at once (assembling a catalog): every folder the
// rules look into is read once into a set of names, the package families and
// the search folders once; what a listing cannot settle exactly as the file
// system would goes to `direct`. The answers are those of `direct`, as of the
// moment each listing was read: use them for one assembly, then drop them.
ResolutionProbes listingProbes(const ResolutionProbes& direct);

// Path helpers; backslash and slash both separate.
bool isPathSeparator(char16_t c);
bool isAbsolutePath(const std::u16string& path);
std::u16string joinToolPath(const std::u16string& dir, const std::u16string& name, char16_t separator = u'\\');
std::u16string parentDirectory(const std::u16string& path);
std::u16string programDirectory();
// A pack's file name must name a file and nothing more: not empty, no folder
// part, drive or "..", so it cannot reach outside the folder it is looked up in.
// A tool with any other file name is unavailable.
bool isPlainFileName(const std::u16string& name);
// No file name, a plain one, or an address (a Url tool may keep it there).
bool hasUsableFileName(const ToolRecord& tool);

// System folder, Windows folder, WOW64 folder, then each non-empty PATH entry.
std::vector<std::u16string> searchDirectories(const ResolutionProbes& probes = systemProbes());

// Full path or empty. No extension is ever added.
std::u16string findExecutable(const std::u16string& name, const ResolutionProbes& probes = systemProbes());
std::u16string findInSystemDirectory(const std::u16string& name, const ResolutionProbes& probes = systemProbes());
// A relative program name as found in the system folder, then the Windows
// folder (".exe" added when it has no extension); anything else unchanged.
// Unlike the system's own search, this program's folder never takes part.
std::u16string resolveOnSearchPath(const std::u16string& name, const ResolutionProbes& probes = systemProbes());

bool uriSchemeAvailable(const std::u16string& target, const ResolutionProbes& probes = systemProbes());
bool packagedAppAvailable(const std::u16string& appUserModelId, const ResolutionProbes& probes = systemProbes());

constexpr const char16_t* kPackagedAppMarker = u"shell:AppsFolder\\";

bool isToolAvailable(const ToolRecord& tool, const ResolutionProbes& probes = systemProbes());
std::u16string resolveToolFile(const ToolRecord& tool, const ResolutionProbes& probes = systemProbes());

// The Tools folder beside the program: its own files first, then one level of
// sub-folders whose names do not start with a dot. Empty when not found.
std::u16string findInToolsFolder(const std::u16string& fileName, const ResolutionProbes& probes = systemProbes());
// Marks an external record installed (path = the file found) or not installed.
void discoverExternalTool(ToolRecord& tool, const ResolutionProbes& probes = systemProbes());
