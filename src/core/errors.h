#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/finding.h"

namespace tl {

// Every failure ends a run with one of these exit statuses, whatever the
// route: the console dialogue, a card or an analysis file named on the command
// line, a testing program, --convert.
inline constexpr int kExitSuccess = 0;
// An error the run detected in a control card and showed as its console line.
inline constexpr int kExitDetected = 1;
// Everything else: a command-line mistake, malformed input, a file that
// cannot be read or written, a strict refusal, too little memory.
inline constexpr int kExitFailure = 2;

// A failure the run detects itself. A card's run shows `consoleLine` on the
// console, pauses and ends with kExitDetected; an analysis file's run names
// the file before its reason and ends with kExitFailure.
struct DetectedError : std::exception {
    std::string consoleLine;
    FindingCode code = FindingCode::CardRefused;

    explicit DetectedError(std::string line, FindingCode kind = FindingCode::CardRefused)
        : consoleLine(std::move(line)), code(kind) {}

    const char* what() const noexcept override { return consoleLine.c_str(); }

    // The console line without its "Error! ", for a message that names the
    // file itself (an analysis file's run).
    std::string reason() const {
        return consoleLine.starts_with("Error! ") ? consoleLine.substr(7) : consoleLine;
    }
};

// Malformed input or a file the run cannot read or write: one diagnostic line on
// standard error and kExitFailure, without the pause. It carries the finding
// it reports; `what()` is the finding's text.
class InputError : public std::runtime_error {
  public:
    explicit InputError(const std::string& text) : std::runtime_error(text) {
        finding_.text = text;
    }
    explicit InputError(Finding finding)
        : std::runtime_error(finding.text), finding_(std::move(finding)) {
        finding_.severity = Severity::Error;
    }

    const Finding& finding() const { return finding_; }

  private:
    Finding finding_;
};

}  // namespace tl
