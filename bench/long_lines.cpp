// How long the delimited-table reader takes on one long line: a cell of
// 100 MB unquoted and quoted (refused once it passes the 1 MiB cap), and a
// row of 100 MB and 200 MB of short cells (read to its end, then refused for
// its cell count). Each time should grow with the size, not with its square.
// Prints seconds and the start of the message for each file.
//
// Usage: tesserlink_long_lines <folder for the generated files> [megabytes]

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/errors.h"
#include "tables/table.h"

namespace {

namespace fs = std::filesystem;

class Rows : public tl::TableVisitor {
  public:
    tl::ColumnPick header(const std::vector<std::string>& names) override {
        tl::ColumnPick pick;
        for (std::size_t c = 1; c < names.size(); ++c) pick.texts.push_back(c);
        pick.id = 0;
        return pick;
    }
    void row(std::int64_t, std::span<const tl::TableCell>, std::string_view) override {}
};

// "id,a,b\n1,x,y\n2," then `fill` repeated to `bytes`, then `end`.
void write(const fs::path& path, const std::string& open, const std::string& fill,
           std::size_t bytes, const std::string& end) {
    std::ofstream out(path, std::ios::binary);
    out << "id,a,b\n1,x,y\n2," << open;
    std::string block;
    while (block.size() < (1 << 20)) block += fill;
    for (std::size_t written = 0; written < bytes; written += block.size()) out << block;
    out << end;
}

void time(const fs::path& path, const char* what) {
    const auto start = std::chrono::steady_clock::now();
    std::string outcome = "read";
    try {
        Rows rows;
        tl::readTable({path.string(), tl::TableFormat::Delimited, 0}, rows);
    } catch (const tl::InputError& error) {
        outcome = std::string(error.what()).substr(0, 90);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("LINES %-32s %7.2f s  %s\n", what, seconds, outcome.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [megabytes]\n", argv[0]);
        return 2;
    }
    const fs::path dir = argv[1];
    const std::size_t megabytes = argc > 2 ? std::stoul(argv[2]) : 100;
    const std::size_t bytes = megabytes << 20;
    fs::create_directories(dir);
    write(dir / "cell.csv", "", "y", bytes, ",z\n");
    time(dir / "cell.csv", "unquoted cell");
    write(dir / "quoted.csv", "\"", "y", bytes, "\",z\n");
    time(dir / "quoted.csv", "quoted cell");
    write(dir / "row.csv", "", "1,", bytes, "z\n");
    time(dir / "row.csv", "row of short cells");
    write(dir / "row2.csv", "", "1,", 2 * bytes, "z\n");
    time(dir / "row2.csv", "row of short cells, twice as long");
    for (const char* name : {"cell.csv", "quoted.csv", "row.csv", "row2.csv"})
        fs::remove(dir / name);
    return 0;
}
