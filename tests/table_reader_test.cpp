#include <gtest/gtest.h>
#include <readstat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/errors.h"
#include "tables/table.h"

namespace tl {
namespace {

// Takes every column but `id` as numbers; prints each row as "id|v,v,NA".
class Recorder : public TableVisitor {
  public:
    explicit Recorder(std::string id = "") : idName_(std::move(id)) {}
    ColumnPick header(const std::vector<std::string>& names) override {
        names_ = names;
        ColumnPick pick;
        for (std::size_t c = 0; c < names.size(); ++c) {
            if (names[c] == idName_) {
                pick.id = c;
            } else {
                pick.numbers.push_back(c);
            }
        }
        return pick;
    }
    void row(std::int64_t row, std::span<const TableCell> cells, std::string_view id) override {
        std::string line = std::to_string(row) + ":" + std::string(id) + "|";
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (k > 0) line += ",";
            if (cells[k].missing) {
                line += "NA";
            } else {
                char text[32];
                std::snprintf(text, sizeof text, "%g", cells[k].value);
                line += text;
            }
        }
        rows_.push_back(line);
    }
    std::string header() const {
        std::string joined;
        for (const std::string& n : names_) joined += (joined.empty() ? "" : "/") + n;
        return joined;
    }
    std::vector<std::string> rows_;

  private:
    std::string idName_;
    std::vector<std::string> names_;
};

struct TextCase {
    const char* name;
    std::string text;
    char delimiter;  // 0: found from the header line
    std::string header;
    std::vector<std::string> rows;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class DelimitedText : public testing::TestWithParam<TextCase> {};

TEST_P(DelimitedText, ReadsHeaderAndCells) {
    Recorder recorder("id");
    readDelimitedText(GetParam().text, "t.csv", GetParam().delimiter, recorder);
    EXPECT_EQ(recorder.header(), GetParam().header);
    EXPECT_EQ(recorder.rows_, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DelimitedText,
    testing::Values(
        TextCase{"CommaLf", "id,a,b\nx1,1,2\nx2,0,1\n", 0, "id/a/b", {"1:x1|1,2", "2:x2|0,1"}},
        TextCase{"CrLfAndNoFinalLineEnd", "id,a\r\nx1,1\r\nx2,2", 0, "id/a", {"1:x1|1", "2:x2|2"}},
        TextCase{"CrOnly", "id,a\rx1,1\rx2,2\r", 0, "id/a", {"1:x1|1", "2:x2|2"}},
        TextCase{"ByteOrderMark", "\xEF\xBB\xBFid,a\nx,3\n", 0, "id/a", {"1:x|3"}},
        TextCase{"SemicolonWithDecimalComma", "id;a;b\nx;0,5;1\n", 0, "id/a/b", {"1:x|0.5,1"}},
        TextCase{"Tab", "id\ta\tb\nx\t1\t\n", 0, "id/a/b", {"1:x|1,NA"}},
        TextCase{"BlankRuns", "id  a   b\n  x 1\t 2  \n", 0, "id/a/b", {"1:x|1,2"}},
        TextCase{
            "MissingMarkers", "id,a,b,c,d\nx,,NA,.,\" 4 \"\n", 0, "id/a/b/c/d", {"1:x|NA,NA,NA,4"}},
        TextCase{"QuotedIdWithDelimiterQuoteAndLineEnd",
                 "id,a\n\"S, \"\"1\"\"\nb\",1\n",
                 0,
                 "id/a",
                 {"1:S, \"1\"\nb|1"}},
        TextCase{"BlankLinesSkipped", "id,a\n\nx,1\n\n\ny,2\n", 0, "id/a", {"1:x|1", "2:y|2"}},
        TextCase{
            "SignsAndExponents", "id,a,b,c\nx,+1,-2.5,1e1\n", 0, "id/a/b/c", {"1:x|1,-2.5,10"}},
        TextCase{"HeaderOnly", "id,a\n", 0, "id/a", {}},
        TextCase{"GivenDelimiterWins", "id;a,b\nx;1,2\n", ';', "id/a,b", {"1:x|1.2"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Handed over in pieces, as a file is read, every table reads as it does
// whole: rows carried from piece to piece, a CR LF split between two, a quote
// in a later piece.
TEST_P(DelimitedText, ReadsTheSameInPieces) {
    Recorder whole("id");
    readDelimitedText(GetParam().text, "t.csv", GetParam().delimiter, whole);
    for (std::size_t chunk : {1, 2, 3, 5, 8}) {
        Recorder pieces("id");
        readDelimitedText(GetParam().text, "t.csv", GetParam().delimiter, pieces, true, chunk);
        EXPECT_EQ(pieces.header(), whole.header()) << chunk;
        EXPECT_EQ(pieces.rows_, whole.rows_) << chunk;
    }
}

TEST(DelimitedTextGivenDelimiter, TwoDecimalCommasAreNotANumber) {
    Recorder recorder;
    EXPECT_THROW(readDelimitedText("a;b\n1;2,5,5\n", "t.csv", ';', recorder), InputError);
}

struct BadText {
    const char* name;
    std::string text;
    std::string message;
};

void PrintTo(const BadText& c, std::ostream* os) {
    *os << c.name;
}

class DelimitedTextFault : public testing::TestWithParam<BadText> {};

TEST_P(DelimitedTextFault, NamesFileRowColumnValue) {
    Recorder recorder("id");
    try {
        readDelimitedText(GetParam().text, "g5.csv", 0, recorder);
        FAIL() << "no error";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DelimitedTextFault,
    testing::Values(
        BadText{"TextInItem", "id,mc01,mc02\nx,1,2\ny,1,two\n",
                "g5.csv: row 2, column mc02: 'two' is not a number"},
        BadText{"Infinity", "id,a\nx,inf\n", "g5.csv: row 1, column a: 'inf' is not a number"},
        BadText{"NegativeNotANumber", "id,a\nx,-nan\n",
                "g5.csv: row 1, column a: '-nan' is not a number"},
        BadText{"BeyondTheLargestDouble", "id,a\nx,1e400\n",
                "g5.csv: row 1, column a: '1e400' is not a number"},
        BadText{"Hexadecimal", "id,a\nx,0x10\n", "g5.csv: row 1, column a: '0x10' is not a number"},
        BadText{"ShortRow", "id,a,b\nx,1\n",
                "g5.csv: row 1 has 2 cells; the header has 3 columns. Check the delimiter and "
                "the quoting of that row."},
        BadText{"Empty", "", "g5.csv: the table has no header row"}),
    [](const auto& info) { return std::string(info.param.name); });

// A cell is at most kMaxCellBytes: one just that long is read, one a byte
// longer is refused naming its row and column, however the text is handed
// over (whole, or in pieces smaller than the cell) and whether it is quoted.
TEST(DelimitedTextCellCap, RefusesOnlyCellsLongerThanTheCap) {
    const std::string longest(kMaxCellBytes, 'x');
    const std::string over = longest + "x";
    const std::string refused = "t.csv: row 2, column name: the cell is longer than 1048576 bytes";
    const std::string header = "t.csv: the header row, column 2: the cell is longer than";
    const struct {
        std::string text;
        std::string message;  // the start of the refusal; empty: read
    } cases[] = {
        {"id,name,a\n1,y,1\n2," + longest + ",2\n", ""},
        {"id,name,a\n1,y,1\n2,\"" + longest + "\",2\n", ""},
        {"id,name,a\n1,y,1\n2," + over + ",2\n", refused},
        {"id,name,a\n1,y,1\n2," + over, refused},
        {"id,name,a\n1,y,1\n2,\"" + over + "\",2\n", refused},
        {"id,name,a\n1,\"y\",1\n2," + over + ",2\n", refused},
        {"id," + over + ",a\n1,y,1\n", header},
        {"id,a,name\n1,1,y\n2,z," + over + "\n", "t.csv: row 2, column a: 'z' is not a number"},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {std::size_t{0}, std::size_t{1} << 16, std::size_t{1} << 20}) {
            Recorder recorder("name");
            try {
                readDelimitedText(c.text, "t.csv", 0, recorder, true, chunk);
                EXPECT_EQ(c.message, "") << chunk;
                EXPECT_EQ(recorder.rows_.size(), 2u);
            } catch (const InputError& error) {
                EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message)
                    << chunk;
                EXPECT_NE(c.message, "") << error.what();
            }
        }
    }
}

TEST(TableFormats, FromExtensionAndName) {
    EXPECT_EQ(formatOfExtension("a/b.CSV"), TableFormat::Delimited);
    EXPECT_EQ(formatOfExtension("b.zsav"), TableFormat::Spss);
    EXPECT_EQ(formatOfExtension("b.dta"), TableFormat::Stata);
    EXPECT_EQ(formatOfExtension("b.sas7bdat"), TableFormat::Sas);
    EXPECT_EQ(formatOfExtension("b.xpt"), TableFormat::Xport);
    EXPECT_EQ(formatOfExtension("b.xlsx"), std::nullopt);
    char delimiter = 0;
    EXPECT_EQ(formatNamed("tsv", &delimiter), TableFormat::Delimited);
    EXPECT_EQ(delimiter, '\t');
    EXPECT_EQ(formatNamed("excel", &delimiter), std::nullopt);
}

TEST(TableFiles, MissingFileNamesThePathTried) {
    Recorder recorder;
    try {
        readTable({"no/such.csv", TableFormat::Delimited, 0}, recorder);
        FAIL();
    } catch (const InputError& error) {
        EXPECT_NE(
            std::string(error.what()).find("no/such.csv: the data table does not exist (tried /"),
            std::string::npos);
    }
}

// Statistics files written with ReadStat's own writer: an id string, two items,
// one of them with 9 declared missing, and a system-missing cell.
ssize_t writeBytes(const void* data, size_t length, void* file) {
    return static_cast<ssize_t>(std::fwrite(data, 1, length, static_cast<std::FILE*>(file)));
}

struct StatCase {
    const char* name;
    TableFormat format;
    const char* extension;
    bool userMissing;  // the format keeps declared missing values
};

void PrintTo(const StatCase& c, std::ostream* os) {
    *os << c.name;
}

class StatisticsFile : public testing::TestWithParam<StatCase> {};

TEST_P(StatisticsFile, ReadsNamesNumbersAndMissing) {
    const StatCase& c = GetParam();
    const std::string path =
        (std::filesystem::temp_directory_path() / (std::string("tl_table_") + c.name + c.extension))
            .string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    readstat_writer_t* writer = readstat_writer_init();
    readstat_set_data_writer(writer, writeBytes);
    readstat_variable_t* id = readstat_add_variable(writer, "ID", READSTAT_TYPE_STRING, 8);
    readstat_variable_t* a = readstat_add_variable(writer, "A", READSTAT_TYPE_DOUBLE, 8);
    readstat_variable_t* b = readstat_add_variable(writer, "B", READSTAT_TYPE_DOUBLE, 8);
    if (c.userMissing) readstat_variable_add_missing_double_value(b, 9);
    switch (c.format) {
        case TableFormat::Spss:
            readstat_begin_writing_sav(writer, file, 2);
            break;
        case TableFormat::Stata:
            readstat_begin_writing_dta(writer, file, 2);
            break;
        case TableFormat::Sas:
            readstat_begin_writing_sas7bdat(writer, file, 2);
            break;
        default:
            readstat_begin_writing_xport(writer, file, 2);
            break;
    }
    readstat_begin_row(writer);
    readstat_insert_string_value(writer, id, "s1");
    readstat_insert_double_value(writer, a, 1);
    readstat_insert_double_value(writer, b, 9);
    readstat_end_row(writer);
    readstat_begin_row(writer);
    readstat_insert_string_value(writer, id, "s2");
    readstat_insert_missing_value(writer, a);
    readstat_insert_double_value(writer, b, 0.5);
    readstat_end_row(writer);
    readstat_end_writing(writer);
    readstat_writer_free(writer);
    std::fclose(file);

    Recorder recorder("ID");
    readTable({path, c.format, 0}, recorder);
    EXPECT_EQ(recorder.header(), "ID/A/B");
    EXPECT_EQ(recorder.rows_,
              (std::vector<std::string>{c.userMissing ? "1:s1|1,NA" : "1:s1|1,9", "2:s2|NA,0.5"}));
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Formats, StatisticsFile,
                         testing::Values(StatCase{"Spss", TableFormat::Spss, ".sav", true},
                                         StatCase{"Stata", TableFormat::Stata, ".dta", false},
                                         StatCase{"Sas", TableFormat::Sas, ".sas7bdat", false},
                                         StatCase{"Xport", TableFormat::Xport, ".xpt", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Cut to half its length, a file of every format is an error naming it, never
// a run on the rows before the cut.
TEST_P(StatisticsFile, CutShortIsAnError) {
    const StatCase& c = GetParam();
    const std::string path =
        (std::filesystem::temp_directory_path() / (std::string("tl_cut_") + c.name + c.extension))
            .string();
    std::string bytes;
    readstat_writer_t* writer = readstat_writer_init();
    readstat_set_data_writer(writer, [](const void* data, size_t length, void* text) {
        static_cast<std::string*>(text)->append(static_cast<const char*>(data), length);
        return static_cast<ssize_t>(length);
    });
    readstat_variable_t* a = readstat_add_variable(writer, "A", READSTAT_TYPE_DOUBLE, 8);
    const long rows = 600;
    switch (c.format) {
        case TableFormat::Spss:
            readstat_begin_writing_sav(writer, &bytes, rows);
            break;
        case TableFormat::Stata:
            readstat_begin_writing_dta(writer, &bytes, rows);
            break;
        case TableFormat::Sas:
            readstat_begin_writing_sas7bdat(writer, &bytes, rows);
            break;
        default:
            readstat_begin_writing_xport(writer, &bytes, rows);
            break;
    }
    for (long r = 0; r < rows; ++r) {
        readstat_begin_row(writer);
        readstat_insert_double_value(writer, a, static_cast<double>(r));
        readstat_end_row(writer);
    }
    readstat_end_writing(writer);
    readstat_writer_free(writer);
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size() / 2 + 3, file);
        std::fclose(file);
    }
    Recorder recorder;
    try {
        readTable({path, c.format, 0}, recorder);
        FAIL() << "read " << recorder.rows_.size() << " rows of a file cut short";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(path + ": ", 0), 0u) << error.what();
    }
    std::filesystem::remove(path);
}

TEST(StatisticsFileFault, NotSuchAFile) {
    const std::string path = (std::filesystem::temp_directory_path() / "tl_not.sav").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fputs("id,a\n1,2\n", file);
    std::fclose(file);
    Recorder recorder;
    try {
        readTable({path, TableFormat::Spss, 0}, recorder);
        FAIL();
    } catch (const InputError& error) {
        EXPECT_NE(std::string(error.what()).find("cannot be read as an SPSS file"),
                  std::string::npos);
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace tl

namespace tl {
namespace {

// A table longer than one read of the file, its first quote far down: the
// rows before it are split by the reader's own loop, the rest by libcsv, and
// the whole reads as libcsv alone reads it.
TEST(DelimitedTableFile, SwitchesToLibcsvAtTheFirstQuoteAcrossReads) {
    std::string text = "id;a;b\r\n";
    for (int e = 0; e < 150000; ++e) {
        text += 's';
        text += std::to_string(e);
        text += "; ";
        text += std::to_string(e % 3);
        text += " ;";
        text += e % 7 == 0 ? "" : "1";
        text += e % 5 == 0 ? "\n" : "\r\n";
        if (e == 120000) text += "\"q;\"\"x\"\"\";2;0,5\r\n   \r\n";
    }
    const std::string path =
        (std::filesystem::temp_directory_path() / "tl_table_switch.csv").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    ASSERT_GT(text.size(), std::size_t{3} << 19);  // two reads of 1 MiB
    Recorder fromFile("id"), fromLibcsv("id");
    readTable({path, TableFormat::Delimited, 0}, fromFile);
    readDelimitedText(text, path, 0, fromLibcsv, false);
    EXPECT_EQ(fromFile.rows_.size(), 150001u);
    EXPECT_EQ(fromFile.rows_, fromLibcsv.rows_);
    EXPECT_EQ(fromFile.rows_[120001], "120002:q;\"x\"|2,0.5");
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace tl
