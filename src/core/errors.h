#pragma once

#include <stdexcept>
#include <string>

namespace tl {

// A failure the run detects itself: one console line, the pause, exit status 1.
struct DetectedError {
    std::string consoleLine;

    // The console line without its "Error! ", for a message that names the
    // file itself (an analysis file's run).
    std::string reason() const {
        return consoleLine.starts_with("Error! ") ? consoleLine.substr(7) : consoleLine;
    }
};

// Malformed input or a file the run cannot read or write: one diagnostic line on
// standard error and exit status 2, without the pause.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace tl
