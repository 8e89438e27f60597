// SPSS, Stata and SAS files, parsed by ReadStat. Its values arrive one by one,
// row after row; system-missing and user-defined missing values are missing,
// and value labels are not looked at. The Windows and browser builds have
// statistics_table_refused.cpp: ReadStat does not build there.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)

#include <readstat.h>

#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/one_line.h"
#include "tables/table.h"

namespace tl {

namespace {

std::string formatName(TableFormat format) {
    switch (format) {
        case TableFormat::Spss:
            return "an SPSS file";
        case TableFormat::Stata:
            return "a Stata file";
        case TableFormat::Sas:
            return "a SAS data set";
        case TableFormat::Xport:
            return "a SAS transport file";
        case TableFormat::Delimited:
            break;
    }
    return "a table";
}

std::string numberText(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    std::string text = std::to_string(value);
    while (text.size() > 1 && text.back() == '0') text.pop_back();
    return text;
}

class StatisticsReader {
  public:
    StatisticsReader(const TableSource& source, TableVisitor& visitor)
        : source_(source), visitor_(visitor) {}

    void read() {
        const std::unique_ptr<readstat_parser_t, void (*)(readstat_parser_t*)> parser(
            readstat_parser_init(), &readstat_parser_free);
        if (!parser) throw InputError(source_.path + ": the table reader could not start");
        readstat_set_variable_handler(parser.get(), onVariable);
        readstat_set_value_handler(parser.get(), onValue);
        readstat_error_t status = READSTAT_OK;
        const char* path = source_.path.c_str();
        switch (source_.format) {
            case TableFormat::Spss:
                status = readstat_parse_sav(parser.get(), path, this);
                break;
            case TableFormat::Stata:
                status = readstat_parse_dta(parser.get(), path, this);
                break;
            case TableFormat::Sas:
                status = readstat_parse_sas7bdat(parser.get(), path, this);
                break;
            case TableFormat::Xport:
                status = readstat_parse_xport(parser.get(), path, this);
                break;
            case TableFormat::Delimited:
                break;
        }
        if (thrown_) std::rethrow_exception(thrown_);
        if (status != READSTAT_OK) {
            throw InputError(source_.path + ": cannot be read as " + formatName(source_.format) +
                             " (" + readstat_error_message(status) + ")");
        }
        guarded([&] {
            sendHeader();
            if (row_ >= 0) visitor_.row(row_ + 1, cells_, id_);
        });
        if (thrown_) std::rethrow_exception(thrown_);
    }

  private:
    static int onVariable(int, readstat_variable_t* variable, const char*, void* self) {
        auto& reader = *static_cast<StatisticsReader*>(self);
        const char* name = readstat_variable_get_name(variable);
        reader.names_.emplace_back(name ? name : "");
        return READSTAT_HANDLER_OK;
    }

    static int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* self) {
        auto& reader = *static_cast<StatisticsReader*>(self);
        reader.guarded([&] { reader.value(row, variable, value); });
        return reader.thrown_ ? READSTAT_HANDLER_ABORT : READSTAT_HANDLER_OK;
    }

    void value(int row, readstat_variable_t* variable, readstat_value_t value) {
        sendHeader();
        if (row != row_) {
            if (row_ >= 0) visitor_.row(row_ + 1, cells_, id_);
            row_ = row;
            id_.clear();
            for (TableCell& cell : cells_) cell = TableCell{};
        }
        const auto column = static_cast<std::size_t>(readstat_variable_get_index(variable));
        if (column >= roles_.size() || roles_[column] == kIgnored) return;
        const bool isText = readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING;
        const bool missing = readstat_value_is_missing(value, variable) != 0;
        if (roles_[column] == kId) {
            if (missing) return;
            if (isText) {
                const char* text = readstat_string_value(value);
                id_ = text ? text : "";
            } else {
                id_ = numberText(readstat_double_value(value));
            }
            return;
        }
        TableCell& cell = cells_[static_cast<std::size_t>(roles_[column])];
        if (missing) {
            cell = TableCell{};
        } else if (isText) {
            const char* text = readstat_string_value(value);
            const std::optional<TableCell> parsed = cellOfText(text ? text : "", false);
            if (!parsed) {
                throw InputError(cellError(source_.path, row + 1, names_[column], text ? text : "",
                                           "is not a number"));
            }
            cell = *parsed;
        } else {
            const double number = readstat_double_value(value);
            cell = std::isfinite(number) ? TableCell{false, number} : TableCell{};
        }
    }

    void sendHeader() {
        if (headerSent_) return;
        headerSent_ = true;
        const ColumnPick picked = visitor_.header(names_);
        roles_.assign(names_.size(), kIgnored);
        for (std::size_t k = 0; k < picked.numbers.size(); ++k)
            roles_.at(picked.numbers[k]) = static_cast<int>(k);
        if (picked.id) roles_.at(*picked.id) = kId;
        cells_.assign(picked.numbers.size(), TableCell{});
    }

    template <typename Call>
    void guarded(Call call) {
        if (thrown_) return;
        try {
            call();
        } catch (...) {
            thrown_ = std::current_exception();
        }
    }

    static constexpr int kIgnored = -1;
    static constexpr int kId = -2;

    const TableSource& source_;
    TableVisitor& visitor_;
    std::vector<std::string> names_;
    std::vector<int> roles_;
    std::vector<TableCell> cells_;
    std::string id_;
    bool headerSent_ = false;
    int row_ = -1;
    // ReadStat is C: what the visitor throws waits until it has returned.
    std::exception_ptr thrown_;
};

}  // namespace

void readStatisticsTable(const TableSource& source, TableVisitor& visitor) {
    StatisticsReader(source, visitor).read();
}

}  // namespace tl

#endif
