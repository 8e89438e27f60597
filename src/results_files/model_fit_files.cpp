#include "results_files/model_fit_files.h"

#include "results_files/csv_text.h"

namespace tl {

std::string composeModelFitCsv(const ModelFitSummary& fit) {
    CsvText csv;
    for (const char* column : {"first_score", "last_score", "expected", "observed"})
        csv.text(column);
    csv.endRow();
    for (const ModelFitBin& bin : fit.bins) {
        csv.number(bin.first);
        csv.number(bin.last);
        csv.number(bin.expected);
        csv.number(bin.observed);
        csv.endRow();
    }
    csv.endRow();
    csv.text("statistic");
    csv.text("value");
    csv.endRow();
    csv.text("chi2");
    csv.number(fit.chi2);
    csv.endRow();
    csv.text("df");
    csv.integer(fit.df);
    csv.endRow();
    csv.text("p");
    csv.number(fit.p);
    csv.endRow();
    return csv.take();
}

}  // namespace tl
