#include "results_files/sweep_files.h"

#include <limits>

#include "classify/index_fields.h"
#include "classify/precision_fields.h"
#include "results_files/csv_text.h"

namespace tl {

std::string composeSweepCsv(const CutSweep& sweep, const SweepSpread* spread) {
    CsvText csv;
    const auto header = [&](const std::string& suffix) {
        for (const IndexField& field : kIndexFields) csv.text(std::string(field.key) + suffix);
        for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
            csv.text(std::string(field.key) + suffix);
        csv.text("share_above" + suffix);
    };
    csv.text("cut");
    header("");
    if (spread) header("_se");
    csv.endRow();
    for (std::size_t r = 0; r < sweep.rows.size(); ++r) {
        const SweepRow& row = sweep.rows[r];
        csv.number(row.cut);
        for (const IndexField& field : kIndexFields) csv.number(row.indices.*field.value);
        for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
            csv.number(row.diagnostics.*field.value);
        csv.number(row.shareAbove);
        if (spread) {
            const SweepRowSpread& s = spread->rows[r];
            for (const IndexField& field : kIndexFields) csv.number((s.indices.*field.spread).se);
            for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
                csv.number((s.diagnostics.*field.spread).se);
            csv.number(s.shareAbove.se);
        }
        csv.endRow();
    }
    csv.endRow();
    for (const char* column : {"statistic", "target", "value"}) csv.text(column);
    if (spread)
        for (const char* column : {"se", "ci_low", "ci_high"}) csv.text(column);
    csv.endRow();
    const auto line = [&](const std::string& statistic, double target, double value,
                          const IndexSpread* s) {
        csv.text(statistic);
        csv.number(target);
        csv.number(value);
        if (spread) {
            csv.number(s ? s->se : std::numeric_limits<double>::quiet_NaN());
            csv.number(s ? s->ciLow : std::numeric_limits<double>::quiet_NaN());
            csv.number(s ? s->ciHigh : std::numeric_limits<double>::quiet_NaN());
        }
        csv.endRow();
    };
    const double none = std::numeric_limits<double>::quiet_NaN();
    line("best_youden_cut", none, sweepCutOf(sweep, sweep.bestYouden),
         spread ? &spread->bestYoudenCut : nullptr);
    line("best_accuracy_cut", none, sweepCutOf(sweep, sweep.bestAccuracy),
         spread ? &spread->bestAccuracyCut : nullptr);
    for (std::size_t t = 0; t < sweep.targets.size(); ++t) {
        const SweepTarget& target = sweep.targets[t];
        line("lowest_cut_reaching_" + target.index, target.value, sweepCutOf(sweep, target.row),
             spread ? &spread->targetCuts[t] : nullptr);
    }
    line("auc", none, sweep.auc, spread ? &spread->auc : nullptr);
    if (sweep.trueCut) line("true_cut", none, *sweep.trueCut, nullptr);
    return csv.take();
}

}  // namespace tl
