#pragma once

#include <string>
#include <string_view>

namespace tl {

// Every temporary file and folder the program makes beside an output is named
// "." + the output's name + ".tesserlink-" + what it is, so that one left by a
// run that was killed is recognised by its name and removed by the next run
// into the same place. The output's name is shortened (at a character
// boundary) where the whole would pass the 255 bytes a file name may have.
std::string temporaryName(std::string_view base, std::string_view what);

// The lock file of the output `base`: temporaryName(base, "lock").
std::string lockFileName(std::string_view base);

// The path of the lock file of the output `target`: lockFileName(its name)
// in its folder.
std::string lockFilePath(std::string_view target);

// The process ID a lock file's text names, without its line end.
std::string lockHolder(std::string_view text);

// The line that refuses a run into `what` ("results directory out") while the
// process of the lock file text `holder` writes it.
std::string lockHeldMessage(std::string_view what, std::string_view holder);

// Whether the folder entry `entry` is a temporary of the output `base`: its
// lock file aside.
bool isTemporaryOf(std::string_view entry, std::string_view base);

}  // namespace tl
