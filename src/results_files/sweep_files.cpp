#include "results_files/sweep_files.h"

#include <limits>

#include "classify/index_fields.h"
#include "classify/precision_fields.h"
#include "results_files/csv_text.h"

namespace tl {

double sweepCut(const CutSweep& sweep, const std::optional<std::size_t>& row) {
    return row ? sweep.rows[*row].cut : std::numeric_limits<double>::quiet_NaN();
}

std::string composeSweepCsv(const CutSweep& sweep) {
    CsvText csv;
    csv.text("cut");
    for (const IndexField& field : kIndexFields) csv.text(field.key);
    for (const CutDiagnosticsField& field : kCutDiagnosticsFields) csv.text(field.key);
    csv.text("share_above");
    csv.endRow();
    for (const SweepRow& row : sweep.rows) {
        csv.number(row.cut);
        for (const IndexField& field : kIndexFields) csv.number(row.indices.*field.value);
        for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
            csv.number(row.diagnostics.*field.value);
        csv.number(row.shareAbove);
        csv.endRow();
    }
    csv.endRow();
    for (const char* column : {"statistic", "target", "value"}) csv.text(column);
    csv.endRow();
    const auto line = [&](const std::string& statistic, double target, double value) {
        csv.text(statistic);
        csv.number(target);
        csv.number(value);
        csv.endRow();
    };
    const double none = std::numeric_limits<double>::quiet_NaN();
    line("best_youden_cut", none, sweepCut(sweep, sweep.bestYouden));
    line("best_accuracy_cut", none, sweepCut(sweep, sweep.bestAccuracy));
    for (const SweepTarget& target : sweep.targets)
        line("lowest_cut_reaching_" + target.index, target.value, sweepCut(sweep, target.row));
    line("auc", none, sweep.auc);
    if (sweep.trueCut) line("true_cut", none, *sweep.trueCut);
    return csv.take();
}

}  // namespace tl
