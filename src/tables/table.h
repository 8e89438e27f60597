#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tl {

// The most bytes one cell of a delimited table may hold. A longer one is
// refused, naming its row and column: it is a misplaced quote or a file that
// is no table, and reading on would hold it all in memory.
inline constexpr std::size_t kMaxCellBytes = std::size_t{1} << 20;
// Blanks around a cell are not part of it, but a cell with more than this
// many bytes, blanks included, is refused all the same.
inline constexpr std::size_t kMaxCellBlanks = std::size_t{64} << 20;

// How a table of examinees is stored. Delimited text is read with a header
// row; the statistics packages' files carry their variable names.
enum class TableFormat { Delimited, Spss, Stata, Sas, Xport };

struct TableSource {
    std::string path;  // the file as opened
    TableFormat format = TableFormat::Delimited;
    // Delimited text only: ',', ';', '\t' or ' ' (a run of blanks); 0 finds it
    // from the extension and the header line.
    char delimiter = 0;
    // Decimal commas ("0,5") are numbers when the delimiter is not a comma.
};

// The format a file's extension implies: .csv .tsv .tab .txt .dat are
// delimited text, .sav .zsav SPSS, .dta Stata, .sas7bdat SAS, .xpt transport.
std::optional<TableFormat> formatOfExtension(const std::string& path);

// The format named by an analysis file's `format` key.
std::optional<TableFormat> formatNamed(std::string_view name, char* delimiter);

// One cell handed over as a number: its value, or missing (an empty cell, NA,
// ".", or a system-missing or user-defined missing value of a statistics file).
struct TableCell {
    bool missing = true;
    double value = 0.0;
    // 0 to 9 when the cell's text was that one digit (value is then exactly
    // it), so that readers of many such cells can skip the double; -1 when not
    // known. Never the only source of a value.
    std::int8_t digit = -1;
};

// The columns a reader hands over for every row: `numbers` in the order given
// (a cell there that is not a number is an error), one `id` column as text, and
// `texts` (grouping columns) as text in the order given. A column has one role.
struct ColumnPick {
    std::vector<std::size_t> numbers;
    std::optional<std::size_t> id;
    std::vector<std::size_t> texts;
};

// A value label of a statistics file: a value, written as the reader writes
// that column's cells, and its name.
struct ValueLabel {
    std::string value;
    std::string label;
};

// Receives a table as it is read: first its column names, then each row.
class TableVisitor {
  public:
    virtual ~TableVisitor() = default;
    virtual ColumnPick header(const std::vector<std::string>& names) = 0;
    // `row` counts the data rows from 1 (the header row is not counted).
    virtual void row(std::int64_t row, std::span<const TableCell> numbers, std::string_view id) = 0;
    // With ColumnPick::texts, just before each row(): the row's cells of those
    // columns, blanks kept; a missing cell of a statistics file is empty, and
    // its numbers are written as its numeric ID cells are.
    virtual void rowTexts(std::span<const std::string> /*texts*/) {}
    // After the last row, for each of ColumnPick::texts (by its index there)
    // whose values a statistics file labels.
    virtual void valueLabels(std::size_t /*text*/, const std::vector<ValueLabel>& /*labels*/) {}
};

// Reads the whole table, streaming its rows to `visitor`. Throws InputError
// naming the file (and the row, column and value where one is at fault).
void readTable(const TableSource& source, TableVisitor& visitor);

// The cell text of delimited tables as a number or missing; nullopt when it is
// neither. Blanks around the text are ignored; "0,5" is read as 0.5 when
// `decimalComma` is set.
std::optional<TableCell> cellOfText(std::string_view text, bool decimalComma);

// The delimited readers, for readTable and the fuzz targets. Rows before the
// first quote character are split by the reader's own loop, which reads them
// as libcsv does (the fuzz target compares the two); libcsv reads the rest.
// `splitPlainRows` false leaves every row to libcsv; `chunk`, when not 0,
// hands the text over in pieces of that many bytes, as a file is read.
void readDelimitedTable(const TableSource& source, TableVisitor& visitor);
void readDelimitedText(std::string_view text, const std::string& name, char delimiter,
                       TableVisitor& visitor, bool splitPlainRows = true, std::size_t chunk = 0);
void readStatisticsTable(const TableSource& source, TableVisitor& visitor);

// "g5math.csv: row 12, column mc07: 'x' is not a number".
std::string cellError(const std::string& file, std::int64_t row, const std::string& column,
                      std::string_view value, const std::string& what);

}  // namespace tl
