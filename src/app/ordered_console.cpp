#include "app/ordered_console.h"

#include <mutex>
#include <streambuf>
#include <utility>

namespace tl {

// Gathers one stream's characters into lines and hands each complete line on.
class OrderedConsole::LineBuffer : public std::streambuf {
  public:
    LineBuffer(OrderedConsole& console, std::size_t test, bool toErr)
        : console_(console), test_(test), toErr_(toErr) {}

    void flushPartial() {
        const std::lock_guard lock(mutex_);
        if (!partial_.empty()) console_.deliver(test_, toErr_, std::exchange(partial_, {}));
    }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        append(&ch, 1);
        return c;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        append(text, static_cast<std::size_t>(count));
        return count;
    }

  private:
    // A run's progress may be drawn from one of its worker threads.
    void append(const char* text, std::size_t count) {
        const std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < count; ++i) {
            if (text[i] == '\n') {
                console_.deliver(test_, toErr_, std::exchange(partial_, {}));
            } else {
                partial_ += text[i];
            }
        }
    }

    std::mutex mutex_;
    OrderedConsole& console_;
    const std::size_t test_;
    const bool toErr_;
    std::string partial_;
};

struct OrderedConsole::Test {
    Test(OrderedConsole& console, std::size_t index, std::string prefix)
        : prefix(std::move(prefix)),
          outBuffer(console, index, false),
          errBuffer(console, index, true),
          out(&outBuffer),
          err(&errBuffer) {}

    std::string prefix;
    LineBuffer outBuffer;
    LineBuffer errBuffer;
    std::ostream out;
    std::ostream err;
    std::vector<Line> held;
    bool done = false;
};

OrderedConsole::OrderedConsole(std::ostream& out, std::ostream& err,
                               std::vector<std::string> prefixes)
    : out_(out), err_(err) {
    for (std::size_t t = 0; t < prefixes.size(); ++t)
        tests_.push_back(std::make_unique<Test>(*this, t, std::move(prefixes[t])));
}

OrderedConsole::~OrderedConsole() = default;

std::ostream& OrderedConsole::out(std::size_t test) {
    return tests_[test]->out;
}

std::ostream& OrderedConsole::err(std::size_t test) {
    return tests_[test]->err;
}

void OrderedConsole::deliver(std::size_t test, bool toErr, std::string text) {
    Line line{toErr, tests_[test]->prefix + text};
    std::lock_guard lock(mutex_);
    if (test == head_) {
        write(line);
    } else {
        tests_[test]->held.push_back(std::move(line));
    }
}

void OrderedConsole::write(const Line& line) {
    std::ostream& stream = line.toErr ? err_ : out_;
    stream << line.text << '\n';
    stream.flush();
}

void OrderedConsole::finished(std::size_t test) {
    Test& t = *tests_[test];
    t.out.flush();
    t.err.flush();
    t.outBuffer.flushPartial();
    t.errBuffer.flushPartial();
    std::lock_guard lock(mutex_);
    t.done = true;
    while (head_ < tests_.size() && tests_[head_]->done) {
        ++head_;
        if (head_ == tests_.size()) break;
        for (const Line& line : tests_[head_]->held) write(line);
        tests_[head_]->held.clear();
        tests_[head_]->held.shrink_to_fit();
    }
}

}  // namespace tl
