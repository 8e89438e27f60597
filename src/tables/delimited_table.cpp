// Delimited text tables, parsed by libcsv: RFC 4180 quoting, any of the three
// line ends, a header row, and a byte-order mark before it ignored.
#include <csv.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/one_line.h"
#include "platform/file_names.h"
#include "tables/column_roles.h"
#include "tables/table.h"

namespace tl {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The delimiter the header line uses most, outside quotes; a blank when it has
// none of comma, semicolon and tab.
char delimiterOfHeader(std::string_view text) {
    std::size_t commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        commas += c == ',';
        semicolons += c == ';';
        tabs += c == '\t';
    }
    if (commas == 0 && semicolons == 0 && tabs == 0) return ' ';
    if (commas >= semicolons && commas >= tabs) return ',';
    return semicolons >= tabs ? ';' : '\t';
}

char delimiterFor(const TableSource& source, std::string_view start) {
    if (source.delimiter != 0) return source.delimiter;
    std::string ext = fileNameText(filePathOf(source.path).extension());
    if (ext == ".tsv" || ext == ".TSV" || ext == ".tab") return '\t';
    return delimiterOfHeader(start);
}

// libcsv grows a field's buffer by 128 bytes at a time, so that a long cell
// costs time growing with its square wherever realloc copies (under
// AddressSanitizer, say). Its buffer goes through these two instead, which
// keep the capacity before the block and double it when it is outgrown.
constexpr std::size_t kBufferHeader = 2 * sizeof(std::size_t);  // keeps the alignment

void* growFieldBuffer(void* block, std::size_t size) {
    auto* base = block ? static_cast<unsigned char*>(block) - kBufferHeader : nullptr;
    std::size_t capacity = 0;
    if (base) std::memcpy(&capacity, base, sizeof capacity);
    if (size <= capacity) return block;
    const std::size_t wanted = std::max(size, 2 * capacity);
    auto* grown = static_cast<unsigned char*>(std::realloc(base, wanted + kBufferHeader));
    if (!grown) return nullptr;
    std::memcpy(grown, &wanted, sizeof wanted);
    return grown + kBufferHeader;
}

void freeFieldBuffer(void* block) {
    if (block) std::free(static_cast<unsigned char*>(block) - kBufferHeader);
}

// Collects libcsv's fields into the header, then into each row's picked cells.
class DelimitedParser {
  public:
    DelimitedParser(const std::string& name, char delimiter, TableVisitor& visitor,
                    bool splitPlainRows = true)
        : name_(name), delimiter_(delimiter), visitor_(visitor), quoteSeen_(!splitPlainRows) {
        if (csv_init(&parser_, CSV_EMPTY_IS_NULL | CSV_APPEND_NULL) != 0)
            throw InputError(name_ + ": the table reader could not start");
        csv_set_delim(&parser_, static_cast<unsigned char>(delimiter == ' ' ? ' ' : delimiter));
        if (parser_.entry_buf == nullptr) {
            csv_set_realloc_func(&parser_, growFieldBuffer);
            csv_set_free_func(&parser_, freeFieldBuffer);
        }
    }
    ~DelimitedParser() { csv_free(&parser_); }
    DelimitedParser(const DelimitedParser&) = delete;
    DelimitedParser& operator=(const DelimitedParser&) = delete;

    void feed(std::string_view chunk) {
        if (delimiter_ == ' ') {
            // A tab counts as a blank between values.
            blanked_.assign(chunk);
            for (char& c : blanked_) c = c == '\t' ? ' ' : c;
            chunk = blanked_;
        }
        if (quoteSeen_) {
            parse(chunk);
            return;
        }
        if (!carried_.empty()) {
            const std::size_t lineEnd = chunk.find_first_of("\r\n");
            if (lineEnd == std::string_view::npos && chunk.find('"') == std::string_view::npos) {
                // The row goes on through the whole chunk: it is only
                // appended to, never scanned again, so that a long line
                // costs its length once.
                carry(chunk);
                return;
            }
            // The row carried over from the last chunk ends at this chunk's
            // first line end: it is completed on its own, so that the chunk
            // itself is never copied.
            const std::size_t head = lineEnd == std::string_view::npos ? chunk.size() : lineEnd + 1;
            std::string row = std::move(carried_);
            carried_.clear();
            row.append(chunk.substr(0, head));
            chunk.remove_prefix(head);
            plain(row);
            if (quoteSeen_) {
                parse(chunk);
                return;
            }
            if (chunk.empty()) return;
        }
        plain(chunk);
    }

    void finish() {
        if (!quoteSeen_) {
            if (splitPlainRows(carried_) && !failure_) endRow();
            carried_.clear();
        } else {
            csv_fini(&parser_, onField, onRow, this);
        }
        rethrow();
        if (!headerSeen_) throw InputError(name_ + ": the table has no header row");
    }

  private:
    // Rows before the first quote character need none of the quoting rules:
    // they are split here, as libcsv would split them, and libcsv takes over
    // at the start of the row that holds the quote. A row not yet ended is
    // carried to the next chunk.
    void plain(std::string_view input) {
        const std::size_t quote = input.find('"');
        const std::string_view beforeQuote = input.substr(0, quote);
        const std::size_t lastEnd = beforeQuote.find_last_of("\r\n");
        const std::size_t rows = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
        splitEndedRows(input.substr(0, rows));
        rethrow();
        if (quote == std::string_view::npos) {
            carried_.clear();
            openField_ = contentBegin_ = contentEnd_ = 0;
            carry(input.substr(rows));
            return;
        }
        quoteSeen_ = true;
        parse(input.substr(rows));
    }

    // Adds text without a line end or a quote to the row not yet ended,
    // refusing a cell that grows past the cap. The cap is on the cell as it is
    // read, without the blanks around it, as field() sees it; blanks alone
    // are refused only past kMaxCellBlanks, which bounds the memory held.
    void carry(std::string_view text) {
        const std::size_t base = carried_.size();
        carried_.append(text);
        const std::size_t last =
            delimiter_ == ' ' ? text.find_last_of(" \t") : text.find_last_of(delimiter_);
        const bool restarted = last != std::string_view::npos;
        const std::size_t from = restarted ? last + 1 : 0;
        openField_ = restarted ? text.size() - from : openField_ + text.size();
        if (restarted) contentBegin_ = contentEnd_ = 0;
        const std::string_view part = text.substr(from);
        const char* blanks = delimiter_ == '\t' ? " " : " \t";
        const std::size_t first = part.find_first_not_of(blanks);
        if (first != std::string_view::npos) {
            if (contentEnd_ == 0) contentBegin_ = base + from + first;
            contentEnd_ = base + from + part.find_last_not_of(blanks) + 1;
        }
        if (contentEnd_ - contentBegin_ > kMaxCellBytes || openField_ > kMaxCellBlanks) {
            // The cells before the long one are read first, as in a row read
            // whole, so that a fault of theirs is the one reported.
            const std::string_view before =
                std::string_view(carried_).substr(0, carried_.size() - openField_);
            const std::size_t column = fieldsBefore(before);
            splitPlainRows(before);
            if (!failure_) failure_ = longCell(column);
            carried_.clear();
            rethrow();
        }
    }

    // How many fields of a row come before its end (the open field's start).
    std::size_t fieldsBefore(std::string_view row) const {
        if (delimiter_ != ' ')
            return static_cast<std::size_t>(std::count(row.begin(), row.end(), delimiter_));
        std::size_t fields = 0;
        bool inField = false;
        for (char c : row) {
            const bool blank = c == ' ' || c == '\t';
            if (inField && blank) ++fields;
            inField = !blank;
        }
        return fields;
    }

    std::string longCell(std::size_t column) const {
        std::string where = headerSeen_ ? "row " + std::to_string(row_ + 1) : "the header row";
        where += ", column ";
        where += headerSeen_ && column < names_.size() ? shownValue(names_[column])
                                                       : std::to_string(column + 1);
        return oneLine(name_ + ": " + where + ": the cell is longer than " +
                       std::to_string(kMaxCellBytes) +
                       " bytes, the most a cell may hold; check the quotes and line ends of "
                       "that row");
    }

    void parse(std::string_view text) {
        if (csv_parse(&parser_, text.data(), text.size(), onField, onRow, this) != text.size() &&
            !failure_) {
            failure_ = name_ + ": " + csv_strerror(csv_error(&parser_));
        }
        // A quoted cell that has not ended grows in libcsv's buffer.
        if (!failure_ && (parser_.entry_pos - parser_.spaces > kMaxCellBytes ||
                          parser_.entry_pos > kMaxCellBlanks))
            failure_ = longCell(field_);
        rethrow();
    }

    // Whether libcsv trims `c` from the ends of an unquoted field.
    bool isSpace(char c) const { return (c == ' ' || c == '\t') && c != delimiter_; }

    // What each byte is to the split of quote-free rows.
    enum ByteClass : unsigned char { kText, kDelimiter, kLineEnd, kBlank };

    static std::array<ByteClass, 256> classesFor(char delimiter) {
        std::array<ByteClass, 256> classes;
        classes.fill(kText);
        classes[' '] = kBlank;
        classes['\t'] = kBlank;
        classes['\r'] = kLineEnd;
        classes['\n'] = kLineEnd;
        classes[static_cast<unsigned char>(delimiter)] = kDelimiter;
        return classes;
    }

    ByteClass classOf(const char* p) const { return classes_[static_cast<unsigned char>(*p)]; }

    // Quote-free rows that all end with their line end, as splitPlainRows
    // reads them, with one look-up a byte: the line end that closes the text
    // stops every scan, so no scan needs to watch for the end of the text.
    void splitEndedRows(std::string_view text) {
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p < end && !failure_) {
            while (classOf(p) == kBlank) ++p;
            if (classOf(p) == kLineEnd) {
                ++p;
                continue;
            }
            for (;;) {
                if (classOf(p) == kText && classOf(p + 1) == kDelimiter) {
                    // The common field: one character (a text byte is never
                    // the text's last).
                    field(p, 1);
                    p += 2;
                    continue;
                }
                while (classOf(p) == kBlank) ++p;
                const char* start = p;
                while (classOf(p) == kText) ++p;
                const char* stop = p;
                if (classOf(p) == kBlank) {
                    // Blanks inside the field or after it: on to its end, then trimmed.
                    while (classOf(p) == kText || classOf(p) == kBlank) ++p;
                    stop = p;
                    while (stop > start && classOf(stop - 1) == kBlank) --stop;
                }
                field(stop > start ? start : nullptr, static_cast<std::size_t>(stop - start));
                if (classOf(p++) != kDelimiter) break;
            }
            endRow();
        }
    }

    // Quote-free text as libcsv reads it: rows end at CR or LF, a row with
    // nothing but blanks is no row, fields lose their blanks at both ends, and
    // an empty field is a null one. A last row without its line end is left
    // for finish().
    bool splitPlainRows(std::string_view text) {
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p < end && !failure_) {
            // libcsv's "row not begun": blanks, then a line end or a field.
            while (p < end && isSpace(*p)) ++p;
            if (p == end) return false;
            if (*p == '\r' || *p == '\n') {
                ++p;
                continue;
            }
            // One row: fields up to the line end.
            for (;;) {
                while (p < end && isSpace(*p)) ++p;
                const char* start = p;
                while (p < end && *p != delimiter_ && *p != '\r' && *p != '\n') ++p;
                const char* stop = p;
                while (stop > start && isSpace(stop[-1])) --stop;
                if (p == end) {
                    // Only in finish(): the last field of a row with no line end.
                    field(stop > start ? start : nullptr, static_cast<std::size_t>(stop - start));
                    return true;
                }
                field(stop > start ? start : nullptr, static_cast<std::size_t>(stop - start));
                if (*p++ != delimiter_) break;
            }
            endRow();
        }
        return false;
    }

    static void onField(void* text, std::size_t length, void* self) {
        static_cast<DelimitedParser*>(self)->field(static_cast<const char*>(text), length);
    }
    static void onRow(int, void* self) { static_cast<DelimitedParser*>(self)->endRow(); }

    [[gnu::always_inline]] void field(const char* text, std::size_t length) {
        if (failure_) return;
        if (delimiter_ == ' ' && text == nullptr) return;  // a second blank in a run
        if (length > kMaxCellBytes) {
            failure_ = longCell(field_);
            return;
        }
        const std::string_view value = text ? std::string_view(text, length) : std::string_view();
        const std::size_t column = field_++;
        if (!headerSeen_) {
            names_.emplace_back(value);
            return;
        }
        if (column >= roles_.size()) return;  // counted, and refused at the row's end
        const ColumnRoles::Role role = roles_[column];
        if (role.kind == ColumnRoles::Kind::Id) {
            takeId(value);
        } else if (role.kind == ColumnRoles::Kind::Text) {
            takeText(role.slot, value);
        } else if (role.kind == ColumnRoles::Kind::Number) {
            TableCell& slot = cells_[role.slot];
            if (value.size() == 1 && value[0] >= '0' && value[0] <= '9') {
                // The common one-digit score, without the general parse.
                slot.missing = false;
                slot.value = static_cast<double>(value[0] - '0');
                slot.digit = static_cast<std::int8_t>(value[0] - '0');
                return;
            }
            const std::optional<TableCell> cell = cellOfText(value, delimiter_ != ',');
            if (!cell) {
                failure_ = cellError(name_, row_ + 1, names_[column], value, "is not a number");
                return;
            }
            slot = *cell;
        }
    }

    // Once a row, out of line: inlined into the split of one-character
    // fields, the copy draws a false -Wrestrict from the compiler.
    [[gnu::noinline]] void takeId(std::string_view value) { id_.assign(value); }
    [[gnu::noinline]] void takeText(std::size_t t, std::string_view value) {
        texts_[t].assign(value);
    }

    void endRow() {
        if (failure_) return;
        const std::size_t fields = field_;
        field_ = 0;
        if (delimiter_ == ' ' && fields == 0) return;  // a line of blanks only
        if (!headerSeen_) {
            headerSeen_ = true;
            if (!names_.empty() && names_.front().starts_with(kByteOrderMark))
                names_.front().erase(0, kByteOrderMark.size());
            for (std::string& n : names_) n = trimmed(n);
            guarded([&] { pick(visitor_.header(names_)); });
            return;
        }
        ++row_;
        if (fields != names_.size()) {
            failure_ = name_ + ": row " + std::to_string(row_) + " has " + std::to_string(fields) +
                       " cells; the header has " + std::to_string(names_.size()) +
                       " columns. Check the delimiter and the quoting of that row.";
            return;
        }
        guarded([&] {
            if (!texts_.empty()) visitor_.rowTexts(texts_);
            visitor_.row(row_, cells_, id_);
        });
        id_.clear();
    }

    void pick(const ColumnPick& picked) {
        roles_ = ColumnRoles(picked, names_.size());
        cells_.assign(picked.numbers.size(), TableCell{});
        texts_.assign(picked.texts.size(), std::string());
    }

    static std::string trimmed(std::string_view text) {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
        return std::string(text);
    }

    void rethrow() {
        if (thrown_) std::rethrow_exception(thrown_);
        if (failure_) throw InputError(oneLine(*failure_));
    }

    // Runs the visitor, keeping what it throws for after libcsv has returned.
    template <typename Call>
    void guarded(Call call) {
        try {
            call();
        } catch (...) {
            thrown_ = std::current_exception();
            failure_ = "";
        }
    }

    csv_parser parser_{};
    const std::string& name_;
    char delimiter_;
    std::array<ByteClass, 256> classes_ = classesFor(delimiter_);
    TableVisitor& visitor_;
    std::string blanked_;
    bool quoteSeen_;             // libcsv reads the rest
    std::string carried_;        // a row not yet ended, before the first quote
    std::size_t openField_ = 0;  // the length of its last field so far
    // Where that field's text, blanks around it left out, begins and ends
    // in carried_; both 0 while it has none.
    std::size_t contentBegin_ = 0;
    std::size_t contentEnd_ = 0;
    bool headerSeen_ = false;
    std::vector<std::string> names_;
    ColumnRoles roles_;
    std::vector<TableCell> cells_;
    std::string id_;
    std::vector<std::string> texts_;
    std::size_t field_ = 0;
    std::int64_t row_ = 0;
    // The first failure inside a callback; libcsv is C and must not be unwound.
    std::optional<std::string> failure_;
    std::exception_ptr thrown_;
};

}  // namespace

void readDelimitedText(std::string_view text, const std::string& name, char delimiter,
                       TableVisitor& visitor, bool splitPlainRows, std::size_t chunk) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    DelimitedParser parser(name, delimiter == 0 ? delimiterOfHeader(text) : delimiter, visitor,
                           splitPlainRows);
    if (chunk == 0) chunk = std::max<std::size_t>(text.size(), 1);
    for (std::size_t at = 0; at < text.size(); at += chunk) parser.feed(text.substr(at, chunk));
    parser.finish();
}

void readDelimitedTable(const TableSource& source, TableVisitor& visitor) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(source.path.c_str(), "rb"), &std::fclose);
    if (!file) throw InputError(source.path + ": the data table cannot be opened");
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<char> buffer(kChunk);
    std::size_t got = std::fread(buffer.data(), 1, kChunk, file.get());
    std::string_view chunk(buffer.data(), got);
    if (chunk.starts_with(kByteOrderMark)) chunk.remove_prefix(kByteOrderMark.size());
    DelimitedParser parser(source.path, delimiterFor(source, chunk), visitor);
    while (got > 0) {
        parser.feed(chunk);
        got = std::fread(buffer.data(), 1, kChunk, file.get());
        chunk = std::string_view(buffer.data(), got);
    }
    if (std::ferror(file.get())) throw InputError(source.path + ": the data table cannot be read");
    parser.finish();
}

}  // namespace tl
