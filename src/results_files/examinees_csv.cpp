#include "results_files/examinees_csv.h"

#include <charconv>
#include <cmath>

#include "platform/large_pages.h"
#include "results_files/category_names.h"
#include "results_files/csv_text.h"
#include "results_files/examinee_fields.h"
#include "results_files/number_text.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

// Writes at `out` and returns the end; a real takes at most kMaxNumberText
// bytes and its comma.
class RowWriter {
  public:
    explicit RowWriter(char* out) : out_(out) {}
    void integer(std::int64_t value) { out_ = std::to_chars(out_, out_ + 24, value).ptr; }
    void comma() { *out_++ = ','; }
    void field(std::string_view quotedText) {
        *out_++ = ',';
        out_ = std::copy(quotedText.begin(), quotedText.end(), out_);
    }
    void real(double value) {
        *out_++ = ',';
        if (std::isfinite(value)) out_ = writeShortest(out_, value);
    }
    void endRow() {
        *out_++ = '\r';
        *out_++ = '\n';
    }
    char* end() const { return out_; }

  private:
    char* out_;
};

std::string header(const Results& results, bool ids) {
    CsvText csv;
    for (const std::string& name : columnNames(
             kExamineeColumns, results, ids, hasCategoryLabels(results), results.scale.has_value()))
        csv.text(name);
    if (!results.theta.empty()) {
        csv.text(column::kTheta);
        csv.text(column::kThetaSe);
        csv.text(column::kTrueComposite);
    }
    csv.endRow();
    return csv.take();
}

}  // namespace

std::string composeExamineesCsv(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    const Classification& c = results.classification;
    const std::span<const double> truthComposite = results.classificationComposite();
    const std::size_t n = results.observedComposite.size();
    const auto k = static_cast<std::size_t>(results.categoryCount());

    // Rows are written into one block of room for the longest possible rows,
    // then appended: a million rows are never zero-filled ahead of writing.
    const std::size_t reals = 2 + k + 6 + (results.scale ? 2 : 0) + (results.theta.empty() ? 0 : 3);
    // An ID and two labels, quoted, each at most its text doubled and three more.
    // A model whose units are a population's nodes lists the nodes, which
    // have no table rows or IDs.
    const bool recorded = results.records.rows.size() == n;
    static const std::vector<std::string> none;
    const std::vector<std::string>& ids =
        results.records.ids.size() == n ? results.records.ids : none;
    std::vector<std::string> labels;
    if (hasCategoryLabels(results)) {
        for (const std::string& name : categoryNames(results)) labels.push_back(csvField(name));
    }
    std::size_t longestText = 0;
    for (const std::string& label : labels) longestText = std::max(longestText, label.size());
    std::size_t longestId = 0;
    for (const std::string& id : ids) longestId = std::max(longestId, id.size());
    const std::size_t longestRow =
        3 * 25 + reals * (kMaxNumberText + 1) + 2 + 2 * (longestText + 1) + 2 * longestId + 4;
    const std::size_t blockRows = std::min<std::size_t>(std::max<std::size_t>(n, 1), 1024);
    std::vector<char> block(blockRows * longestRow);
    std::string text = header(results, !ids.empty());
    text.reserve(text.size() + n * (reals * 20 + 16));  // a typical row; no regrowth mostly
    adviseLargePages(text.data(), text.capacity());

    for (std::size_t begin = 0; begin < n; begin += blockRows) {
        const std::size_t end = std::min(n, begin + blockRows);
        RowWriter row(block.data());
        for (std::size_t i = begin; i < end; ++i) {
            row.integer(recorded ? results.records.rows[i] : static_cast<std::int64_t>(i + 1));
            if (!ids.empty()) row.field(csvField(ids[i]));
            row.real(results.observedComposite[i]);
            row.real(truthComposite[i]);
            row.comma();
            row.integer(results.observedCategory[i]);
            row.comma();
            row.integer(c.trueCategory[i]);
            if (!labels.empty()) {
                row.field(labels[static_cast<std::size_t>(results.observedCategory[i] - 1)]);
                row.field(labels[static_cast<std::size_t>(c.trueCategory[i] - 1)]);
            }
            for (double p : results.categoryProbabilities(i)) row.real(p);
            row.real(c.conditionalConsistency[i]);
            row.real(c.conditionalAccuracy[i]);
            row.real(c.conditionalFalsePositive[i]);
            row.real(c.conditionalFalseNegative[i]);
            row.real(results.compositeErrorVariance[i]);
            row.real(t.examineeCsem[i]);
            if (results.scale) {
                row.real(results.scale->scaleScoreOf(results.observedComposite[i]));
                row.real(results.scale->examineeCsem(i));
            }
            if (!results.theta.empty()) {
                row.real(results.theta[i]);
                row.real(results.thetaSe[i]);
                row.real(results.trueComposite[i]);
            }
            row.endRow();
        }
        text.append(block.data(), row.end());
    }
    return text;
}

}  // namespace tl
