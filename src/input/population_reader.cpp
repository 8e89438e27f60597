#include "input/population_reader.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <unordered_set>

#include "core/decimal_number.h"
#include "core/errors.h"
#include "core/finding.h"
#include "core/one_line.h"
#include "platform/file_names.h"
#include "tables/table.h"

namespace tl {

namespace {

std::string lowered(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

std::string numberText(double value) {
    return shortestDecimal(value);
}

[[noreturn]] void refuse(const std::string& file, std::int64_t row, const std::string& column,
                         const std::string& value, const std::string& what) {
    Finding f;
    f.code = FindingCode::IrtPopulation;
    f.file = file;
    f.line = row;
    f.column = column;
    f.value = value;
    f.text = oneLine(file + (row ? ": row " + std::to_string(row) : std::string()) +
                     (column.empty() ? std::string() : ", column " + column) + ": " + what);
    throw InputError(std::move(f));
}

class PopulationVisitor : public TableVisitor {
  public:
    explicit PopulationVisitor(std::string file) : file_(std::move(file)) {}

    ColumnPick header(const std::vector<std::string>& names) override {
        std::optional<std::size_t> theta, weight;
        for (std::size_t c = 0; c < names.size(); ++c) {
            const std::string name = lowered(names[c]);
            if (name == "theta" && !theta) theta = c;
            if (name == "weight" && !weight) weight = c;
        }
        for (const auto& [role, where] : {std::pair{"theta", theta}, std::pair{"weight", weight}}) {
            if (!where)
                refuse(file_, 0, role, "",
                       std::string("the header has no column ") + role +
                           "; a population table has the columns theta and weight, a row a node");
        }
        thetaName_ = names[*theta];
        weightName_ = names[*weight];
        ColumnPick pick;
        pick.numbers = {*theta, *weight};
        return pick;
    }

    void row(std::int64_t row, std::span<const TableCell> cells, std::string_view) override {
        const TableCell& theta = cells[0];
        const TableCell& weight = cells[1];
        if (theta.missing || !std::isfinite(theta.value))
            refuse(file_, row, thetaName_, theta.missing ? "" : numberText(theta.value),
                   "each node needs a finite theta");
        if (weight.missing || !std::isfinite(weight.value) || weight.value < 0.0)
            refuse(file_, row, weightName_, weight.missing ? "" : numberText(weight.value),
                   "each node needs a weight of 0 or more");
        if (!seen_.insert(theta.value).second)
            refuse(file_, row, thetaName_, numberText(theta.value),
                   "theta " + numberText(theta.value) +
                       " is a node twice; give each theta once with its whole weight");
        nodes_.theta.push_back(theta.value);
        nodes_.weight.push_back(weight.value);
    }

    PopulationNodes finish() && {
        double total = 0.0;
        for (double w : nodes_.weight) total = total + w;
        if (nodes_.theta.empty())
            refuse(file_, 0, "", "", "the population table has no rows; give a row a node");
        if (!(total > 0.0) || !std::isfinite(total))
            refuse(file_, 0, weightName_, numberText(total),
                   "the weights sum to " + numberText(total) + "; give the nodes positive weights");
        for (double& w : nodes_.weight) w /= total;
        return std::move(nodes_);
    }

  private:
    std::string file_;
    std::string thetaName_, weightName_;
    std::unordered_set<double> seen_;
    PopulationNodes nodes_;
};

}  // namespace

PopulationNodes readPopulation(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(filePathOf(path), error))
        refuse(path, 0, "", "",
               "the population table does not exist (tried " +
                   fileNameText(std::filesystem::absolute(filePathOf(path), error)) +
                   "); name a table of theta and weight, or give population = \"normal\"");
    const std::optional<TableFormat> format = formatOfExtension(path);
    if (!format)
        refuse(path, 0, "", "",
               "the extension names no table format; save the population as .csv, .sav, .dta, "
               ".sas7bdat or .xpt");
    TableSource source;
    source.path = path;
    source.format = *format;
    PopulationVisitor visitor(path);
    readTable(source, visitor);
    return std::move(visitor).finish();
}

}  // namespace tl
