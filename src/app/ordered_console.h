#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace tl {

// The console of tests that run side by side. Each test writes to its own
// pair of streams; every line it writes comes out prefixed with the test's
// name, and the tests' lines come out in the tests' order, each test's
// together: the first unfinished test writes through as it goes, the others
// are held until every test before them has finished.
class OrderedConsole {
  public:
    // `prefixes`: what each test's lines begin with, in the tests' order.
    OrderedConsole(std::ostream& out, std::ostream& err, std::vector<std::string> prefixes);
    ~OrderedConsole();
    OrderedConsole(const OrderedConsole&) = delete;
    OrderedConsole& operator=(const OrderedConsole&) = delete;

    std::ostream& out(std::size_t test);
    std::ostream& err(std::size_t test);

    // Test `test` has written its last line; a line it left unfinished is
    // ended. Any thread may call it, once per test.
    void finished(std::size_t test);

  private:
    class LineBuffer;
    struct Line {
        bool toErr = false;
        std::string text;
    };
    struct Test;

    void deliver(std::size_t test, bool toErr, std::string text);
    void write(const Line& line);

    std::ostream& out_;
    std::ostream& err_;
    std::mutex mutex_;
    std::size_t head_ = 0;  // the first test that has not finished
    std::vector<std::unique_ptr<Test>> tests_;
};

}  // namespace tl
