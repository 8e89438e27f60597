// SPSS, Stata and SAS files, parsed by ReadStat. Its values arrive one by one,
// row after row; system-missing and user-defined missing values are missing,
// and value labels name the levels of grouping columns only. The Windows and browser builds have
// statistics_table_refused.cpp: ReadStat does not build there.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)

#include <readstat.h>

#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/number_field.h"
#include "core/one_line.h"
#include "tables/column_roles.h"
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

class StatisticsReader {
  public:
    StatisticsReader(const TableSource& source, TableVisitor& visitor)
        : source_(source), visitor_(visitor) {}

    void read() {
        const std::unique_ptr<readstat_parser_t, void (*)(readstat_parser_t*)> parser(
            readstat_parser_init(), &readstat_parser_free);
        if (!parser) throw InputError(source_.path + ": the table reader could not start");
        refuseCutRecord();
        readstat_set_metadata_handler(parser.get(), onMetadata);
        readstat_set_variable_handler(parser.get(), onVariable);
        readstat_set_value_handler(parser.get(), onValue);
        readstat_set_value_label_handler(parser.get(), onValueLabel);
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
        // A file cut short can still parse to its last whole row; its
        // header's row count tells.
        const std::int64_t rows = std::int64_t{row_} + 1;
        if (rowCount_ >= 0 && rows != rowCount_) {
            throw InputError(source_.path + ": its header gives " + std::to_string(rowCount_) +
                             " rows but it holds " + std::to_string(rows) +
                             ": the file is cut short or damaged; export it again");
        }
        guarded([&] {
            sendHeader();
            if (row_ >= 0) sendRow();
            sendLabels();
        });
        if (thrown_) std::rethrow_exception(thrown_);
    }

  private:
    // A transport file is a run of 80-byte records, padded at its end; any
    // other length was cut in the middle of one.
    void refuseCutRecord() const {
        if (source_.format != TableFormat::Xport) return;
        std::error_code error;
        const std::uintmax_t bytes = std::filesystem::file_size(source_.path, error);
        if (!error && bytes % 80 != 0) {
            throw InputError(source_.path + ": the file ends in the middle of an 80-byte record (" +
                             std::to_string(bytes) +
                             " bytes): it is cut short or damaged; export it again");
        }
    }

    static int onMetadata(readstat_metadata_t* metadata, void* self) {
        static_cast<StatisticsReader*>(self)->rowCount_ = readstat_get_row_count(metadata);
        return READSTAT_HANDLER_OK;
    }

    static int onVariable(int, readstat_variable_t* variable, const char* labelSet, void* self) {
        auto& reader = *static_cast<StatisticsReader*>(self);
        const char* name = readstat_variable_get_name(variable);
        reader.names_.emplace_back(name ? name : "");
        reader.labelSets_.emplace_back(labelSet ? labelSet : "");
        return READSTAT_HANDLER_OK;
    }

    static int onValueLabel(const char* labelSet, readstat_value_t value, const char* label,
                            void* self) {
        auto& reader = *static_cast<StatisticsReader*>(self);
        reader.guarded([&] {
            reader.labels_[labelSet ? labelSet : ""].push_back({textOf(value), label ? label : ""});
        });
        return reader.thrown_ ? READSTAT_HANDLER_ABORT : READSTAT_HANDLER_OK;
    }

    static std::string textOf(readstat_value_t value) {
        if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
            const char* text = readstat_string_value(value);
            return text ? text : "";
        }
        return quotedNumber(readstat_double_value(value), kExactDigits);
    }

    void sendRow() {
        if (!texts_.empty()) visitor_.rowTexts(texts_);
        visitor_.row(row_ + 1, cells_, id_);
    }

    // The labels of each text column's label set, once every row is read (a
    // Stata file keeps them after its rows).
    void sendLabels() {
        for (std::size_t t = 0; t < textColumns_.size(); ++t) {
            const std::size_t column = textColumns_[t];
            if (column >= labelSets_.size() || labelSets_[column].empty()) continue;
            const auto found = labels_.find(labelSets_[column]);
            if (found != labels_.end()) visitor_.valueLabels(t, found->second);
        }
    }

    static int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* self) {
        auto& reader = *static_cast<StatisticsReader*>(self);
        reader.guarded([&] { reader.value(row, variable, value); });
        return reader.thrown_ ? READSTAT_HANDLER_ABORT : READSTAT_HANDLER_OK;
    }

    void value(int row, readstat_variable_t* variable, readstat_value_t value) {
        sendHeader();
        if (row != row_) {
            if (row_ >= 0) sendRow();
            row_ = row;
            id_.clear();
            for (TableCell& cell : cells_) cell = TableCell{};
            for (std::string& text : texts_) text.clear();
        }
        const auto column = static_cast<std::size_t>(readstat_variable_get_index(variable));
        if (column >= roles_.size()) return;
        const ColumnRoles::Role role = roles_[column];
        if (role.kind == ColumnRoles::Kind::Ignored) return;
        const bool isText = readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING;
        const bool missing = readstat_value_is_missing(value, variable) != 0;
        if (role.kind == ColumnRoles::Kind::Text) {
            if (!missing) texts_[role.slot] = textOf(value);
            return;
        }
        if (role.kind == ColumnRoles::Kind::Id) {
            if (missing) return;
            if (isText) {
                const char* text = readstat_string_value(value);
                id_ = text ? text : "";
            } else {
                id_ = quotedNumber(readstat_double_value(value), kExactDigits);
            }
            return;
        }
        TableCell& cell = cells_[role.slot];
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
        roles_ = ColumnRoles(picked, names_.size());
        textColumns_ = picked.texts;
        cells_.assign(picked.numbers.size(), TableCell{});
        texts_.assign(picked.texts.size(), std::string());
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

    const TableSource& source_;
    TableVisitor& visitor_;
    std::vector<std::string> names_;
    ColumnRoles roles_;
    std::vector<TableCell> cells_;
    std::string id_;
    std::vector<std::string> labelSets_;  // per column: its value labels' set, or empty
    std::map<std::string, std::vector<ValueLabel>> labels_;  // by label set
    std::vector<std::size_t> textColumns_;
    std::vector<std::string> texts_;
    bool headerSent_ = false;
    int row_ = -1;
    std::int64_t rowCount_ = -1;  // as the file's header gives it; -1: not given
    // ReadStat is C: what the visitor throws waits until it has returned.
    std::exception_ptr thrown_;
};

}  // namespace

void readStatisticsTable(const TableSource& source, TableVisitor& visitor) {
    StatisticsReader(source, visitor).read();
}

}  // namespace tl

#endif
