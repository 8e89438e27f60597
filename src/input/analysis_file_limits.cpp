#include "input/analysis_file_limits.h"

#include "core/errors.h"
#include "core/one_line.h"

namespace tl {

namespace {

std::string tooLarge(const std::string& path) {
    return oneLine(path + ": the analysis file is larger than " +
                   std::to_string(kMaxAnalysisFileBytes) +
                   " bytes, the most one may have; is it the right file?");
}

// Scans TOML as far as nesting goes: strings and comments are skipped, every
// bracket or brace opens a level, and each dot outside a string between two of
// '=', ',', a bracket, a brace or a line end adds one (a key's dotted parts; a
// number has at most one such dot). A value of one plain key is depth 1.
class DepthScan {
  public:
    explicit DepthScan(std::string_view text) : text_(text) {}

    // The line of the first place nested deeper than the bound, or 0.
    std::size_t tooDeepAt() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '"' || c == '\'') {
                skipString(c);
                continue;
            }
            ++at_;
            switch (c) {
                case '#':
                    while (at_ < text_.size() && text_[at_] != '\n') ++at_;
                    break;
                case '\n':
                    ++line_;
                    dots_ = 0;
                    break;
                case '[':
                case '{':
                    ++open_;
                    dots_ = 0;
                    break;
                case ']':
                case '}':
                    open_ = open_ > 0 ? open_ - 1 : 0;
                    dots_ = 0;
                    break;
                case '=':
                case ',':
                    dots_ = 0;
                    break;
                case '.':
                    ++dots_;
                    break;
                default:
                    break;
            }
            // A key of one part inside no bracket is depth 1.
            if (open_ + dots_ + 1 > kMaxAnalysisFileDepth) return line_;
        }
        return 0;
    }

  private:
    // From the opening quote past the closing one: "…" with escapes, '…',
    // and the three-quote forms, which may span lines.
    void skipString(char quote) {
        const bool triple = text_.substr(at_, 3) == std::string(3, quote);
        at_ += triple ? 3 : 1;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '\\' && quote == '"') {
                at_ += 2;
                continue;
            }
            if (c == '\n') {
                ++line_;
                if (!triple) return;  // not closed: the parser says so
            }
            if (c == quote && (!triple || text_.substr(at_, 3) == std::string(3, quote))) {
                at_ += triple ? 3 : 1;
                // A closing run may hold up to two more quotes of the text.
                while (triple && at_ < text_.size() && text_[at_] == quote) ++at_;
                return;
            }
            ++at_;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    int open_ = 0;
    int dots_ = 0;
};

}  // namespace

void refuseOversizedAnalysisFile(std::uintmax_t bytes, const std::string& path) {
    if (bytes > kMaxAnalysisFileBytes) throw InputError(tooLarge(path));
}

void refuseOversizedAnalysisFile(std::string_view text, const std::string& path) {
    refuseOversizedAnalysisFile(text.size(), path);
    if (const std::size_t line = DepthScan(text).tooDeepAt()) {
        throw InputError(oneLine(path + ":" + std::to_string(line) +
                                 ": keys and tables are nested more than " +
                                 std::to_string(kMaxAnalysisFileDepth) +
                                 " deep (dotted parts, brackets and braces); an analysis file "
                                 "needs a few"));
    }
}

}  // namespace tl
