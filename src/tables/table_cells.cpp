#include <filesystem>
#include <string>

#include "core/decimal_number.h"
#include "core/errors.h"
#include "core/one_line.h"
#include "platform/file_names.h"
#include "platform/regular_file.h"
#include "tables/table.h"

namespace tl {

namespace {

std::string lowered(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

}  // namespace

std::optional<TableFormat> formatOfExtension(const std::string& path) {
    const std::string ext = lowered(fileNameText(filePathOf(path).extension()));
    if (ext == ".csv" || ext == ".tsv" || ext == ".tab" || ext == ".txt" || ext == ".dat")
        return TableFormat::Delimited;
    if (ext == ".sav" || ext == ".zsav") return TableFormat::Spss;
    if (ext == ".dta") return TableFormat::Stata;
    if (ext == ".sas7bdat") return TableFormat::Sas;
    if (ext == ".xpt") return TableFormat::Xport;
    return std::nullopt;
}

std::optional<TableFormat> formatNamed(std::string_view name, char* delimiter) {
    if (name == "csv" || name == "text") return TableFormat::Delimited;
    if (name == "tsv") {
        if (delimiter && *delimiter == 0) *delimiter = '\t';
        return TableFormat::Delimited;
    }
    if (name == "spss") return TableFormat::Spss;
    if (name == "stata") return TableFormat::Stata;
    if (name == "sas") return TableFormat::Sas;
    if (name == "xpt") return TableFormat::Xport;
    return std::nullopt;
}

std::optional<TableCell> cellOfText(std::string_view text, bool decimalComma) {
    // Most item scores are one digit: read those without the general parse.
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9')
        return TableCell{false, static_cast<double>(text[0] - '0'),
                         static_cast<std::int8_t>(text[0] - '0')};
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty() || text == "NA" || text == ".") return TableCell{true, 0.0};
    std::string buffer;
    if (decimalComma && text.find(',') != std::string_view::npos) {
        if (text.find(',') != text.rfind(',') || text.find('.') != std::string_view::npos)
            return std::nullopt;
        buffer.assign(text);
        buffer[buffer.find(',')] = '.';
        text = buffer;
    }
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    }
    // Decimal numbers only: "inf" and "nan" are not scores.
    double value = 0.0;
    if (readDecimal(text, value) != std::errc()) return std::nullopt;
    return TableCell{false, value};
}

std::string cellError(const std::string& file, std::int64_t row, const std::string& column,
                      std::string_view value, const std::string& what) {
    return oneLine(file + ": row " + std::to_string(row) + ", column " + column + ": '" +
                   shownValue(value) + "' " + what);
}

void readTable(const TableSource& source, TableVisitor& visitor) {
    std::error_code error;
    refuseSpecialFile(source.path);
    if (!std::filesystem::is_regular_file(filePathOf(source.path), error)) {
        throw InputError(source.path + ": the data table does not exist (tried " +
                         fileNameText(std::filesystem::absolute(filePathOf(source.path), error)) +
                         ")");
    }
    if (source.format == TableFormat::Delimited) {
        readDelimitedTable(source, visitor);
    } else {
        readStatisticsTable(source, visitor);
    }
}

}  // namespace tl
