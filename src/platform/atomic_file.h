#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tl {

// A file written whole under a temporary name beside its target
// (temporaryName(target's name, six letters)) and flushed, not yet in place.
struct StagedFile {
    std::string temporary;
    std::string target;
    std::string kind;  // "report file", "results file": how errors name it
};

// Writes `content` to a new temporary file beside `path`. Throws InputError on
// failure, naming the file as `kind`, and leaves nothing behind.
StagedFile stageFile(const std::string& path, std::string_view content,
                     std::string_view kind = "report file");

// Renames the staged file over its target in one step. Throws InputError on
// failure; the temporary file is then removed and the target left as it was.
void commitStagedFile(const StagedFile& file);

// Removes the staged file; the target stays as it was.
void discardStagedFile(const StagedFile& file) noexcept;

// Writes `content` to a temporary file beside `path` and renames it over
// `path` only once it is complete, so that a failed write never leaves a half
// file or destroys the one that was there. Throws InputError on failure,
// naming the file as `kind` ("report file", "results file").
void writeFileAtomically(const std::string& path, std::string_view content,
                         std::string_view kind = "report file");

// Creates a new empty folder beside the folder `target` (which need not
// exist), named temporaryName(target's name, "new-" and six letters), with the
// permissions a new folder gets. Returns its path; throws InputError naming
// `target` as `kind` when it cannot.
std::string makeStagingFolder(const std::string& target, std::string_view kind);

// Puts the complete folder `staged` in the place of `target`. Without a folder
// at `target` this is one rename. With one, the two change places in one step
// where the file system can (Linux); elsewhere the old folder is first renamed
// aside (temporaryName(name, "old-...")) and renamed back should the second
// rename fail. Returns where the old folder now is, to be removed by the
// caller once everything else is in place; none when there was none. Throws
// InputError naming `target` as `kind`; `target` is then as it was.
std::optional<std::string> replaceFolder(const std::string& staged, const std::string& target,
                                         std::string_view kind);

}  // namespace tl
