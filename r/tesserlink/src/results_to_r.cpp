#include "results_to_r.h"

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "classify/classification.h"
#include "classify/index_fields.h"
#include "classify/precision_fields.h"
#include "results_files/comparison_files.h"
#include "results_files/examinee_fields.h"
#include "results_files/groups_results.h"
#include "results_files/sweep_files.h"
#include "scale_to_r.h"

namespace tlr {

namespace {

using Rcpp::_;

std::string indexName(std::size_t j) {
    return std::string(tl::kIndexFields[j].key);
}

Rcpp::NumericVector numbers(const std::vector<double>& v) {
    return Rcpp::NumericVector(v.begin(), v.end());
}

template <typename Int>
Rcpp::NumericVector counts(const std::vector<Int>& v) {
    Rcpp::NumericVector out(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) out[i] = static_cast<double>(v[i]);
    return out;
}

// A row-major K x K table as an R matrix.
Rcpp::NumericMatrix square(const std::vector<double>& rowMajor, int k) {
    Rcpp::NumericMatrix m(k, k);
    for (int a = 0; a < k; ++a) {
        for (int b = 0; b < k; ++b) m(a, b) = rowMajor[static_cast<std::size_t>(a) * k + b];
    }
    return m;
}

Rcpp::List indexColumns(const std::vector<tl::IndexSet>& sets) {
    Rcpp::List out;
    for (std::size_t j = 0; j < tl::kIndexFields.size(); ++j) {
        Rcpp::NumericVector column(sets.size());
        for (std::size_t c = 0; c < sets.size(); ++c)
            column[c] = sets[c].*tl::kIndexFields[j].value;
        out.push_back(column, indexName(j));
    }
    return out;
}

Rcpp::List overall(const tl::Classification& c) {
    Rcpp::List out;
    for (const tl::IndexField& field : tl::kIndexFields) {
        out.push_back(c.overall.*field.value, std::string(field.key));
    }
    return out;
}

// A category's probability of each row of the row-major `probabilities`.
Rcpp::NumericVector probabilityOf(std::size_t rows, std::size_t m,
                                  const std::function<double(std::size_t, std::size_t)>& p) {
    Rcpp::NumericVector column(rows);
    for (std::size_t i = 0; i < rows; ++i) column[i] = p(i, m);
    return column;
}

// examinees.csv's columns by its names and in its order; R adds the record and
// the ID, shows the labels as the categories' factor levels and adds the scale
// scores with the scale.
Rcpp::List examinees(const tl::Results& r) {
    namespace column = tl::column;
    const std::size_t n = r.observedComposite.size();
    const tl::Classification& c = r.classification;
    const auto truth = r.classificationComposite();
    const std::vector<std::string> categories = tl::categoryNames(r);
    Rcpp::List out;
    for (std::string_view name : tl::kExamineeColumns) {
        const std::string key(name);
        if (name == column::kObservedComposite) {
            out.push_back(numbers(r.observedComposite), key);
        } else if (name == column::kTrueCategoryComposite) {
            out.push_back(Rcpp::NumericVector(truth.begin(), truth.end()), key);
        } else if (name == column::kObservedCategory) {
            out.push_back(Rcpp::IntegerVector(r.observedCategory.begin(), r.observedCategory.end()),
                          key);
        } else if (name == column::kTrueCategory) {
            out.push_back(Rcpp::IntegerVector(c.trueCategory.begin(), c.trueCategory.end()), key);
        } else if (name == column::kProbabilities) {
            for (std::size_t m = 0; m < categories.size(); ++m) {
                out.push_back(probabilityOf(n, m,
                                            [&r](std::size_t i, std::size_t k) {
                                                return r.categoryProbabilities(i)[k];
                                            }),
                              tl::probabilityColumn(categories[m]));
            }
        } else if (name == column::kConsistency) {
            out.push_back(numbers(c.conditionalConsistency), key);
        } else if (name == column::kAccuracy) {
            out.push_back(numbers(c.conditionalAccuracy), key);
        } else if (name == column::kFalsePositive) {
            out.push_back(numbers(c.conditionalFalsePositive), key);
        } else if (name == column::kFalseNegative) {
            out.push_back(numbers(c.conditionalFalseNegative), key);
        } else if (name == column::kErrorVariance) {
            out.push_back(numbers(r.compositeErrorVariance), key);
        } else if (name == column::kCsem) {
            out.push_back(r.tables ? numbers(r.tables->examineeCsem) : Rcpp::NumericVector(), key);
        }
    }
    if (!r.theta.empty()) {
        out.push_back(numbers(r.theta), "theta");
        out.push_back(numbers(r.thetaSe), "theta_se");
        out.push_back(numbers(r.trueComposite), "true_composite");
    }
    return out;
}

// Which model ran: its kind, method, what its units are, its settings and
// findings as named values, and its notes.
Rcpp::List modelToR(const tl::Results& r) {
    Rcpp::List facts;
    for (const tl::ModelFact& fact : r.model.facts) {
        if (fact.isNumber)
            facts.push_back(fact.number, fact.key);
        else
            facts.push_back(fact.text, fact.key);
    }
    return Rcpp::List::create(_["kind"] = std::string(tl::modelKindName(r.model.kind)),
                              _["method"] = std::string(tl::modelMethodName(r.model.method)),
                              _["units"] = r.unitWeight.empty() ? "examinees" : "nodes",
                              _["settings"] = facts, _["notes"] = r.model.notes);
}

// Columns of a group's indices over its rows (cuts or categories).
template <class Values, class Spreads, std::size_t N>
Rcpp::List fieldColumns(const std::vector<Values>& rows,
                        const std::array<tl::PrecisionField<Values, Spreads>, N>& fields,
                        std::size_t count = N) {
    Rcpp::List out;
    for (std::size_t f = 0; f < count; ++f) {
        Rcpp::NumericVector column(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) column[i] = rows[i].*fields[f].value;
        out.push_back(column, std::string(fields[f].key));
    }
    return out;
}

Rcpp::List csemRows(const std::vector<tl::CsemRow>& rows) {
    Rcpp::NumericVector score(rows.size()), variance(rows.size()), csem(rows.size());
    Rcpp::IntegerVector count(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        score[i] = rows[i].score;
        count[i] = rows[i].examinees;
        variance[i] = rows[i].errorVariance;
        csem[i] = rows[i].csem;
    }
    return Rcpp::List::create(_["score"] = score, _["examinees"] = count,
                              _["error_variance"] = variance, _["csem"] = csem);
}

// One row per diagnostic, per-category and agreement index and the
// reliability: group, at (the cut or category; NA for agreement and
// reliability), index, estimate and its spread.
Rcpp::List precisionBootstrap(const tl::BootstrapSummary& b, const tl::Results& r) {
    std::vector<std::string> group, index;
    std::vector<int> at;
    std::vector<double> estimate, se, low, high, undefined;
    auto add = [&](const char* g, int a, std::string_view key, double value,
                   const tl::IndexSpread& s) {
        group.emplace_back(g);
        at.push_back(a);
        index.emplace_back(key);
        estimate.push_back(value);
        se.push_back(s.se);
        low.push_back(s.ciLow);
        high.push_back(s.ciHigh);
        undefined.push_back(static_cast<double>(s.replicatesUndefined));
    };
    if (r.tables) {
        const tl::PrecisionIndices& p = r.tables->precision;
        for (std::size_t c = 0; c < b.cutDiagnostics.size() && c < p.cuts.size(); ++c) {
            for (const auto& field : tl::kCutDiagnosticsFields)
                add("cut", static_cast<int>(c + 1), field.key, p.cuts[c].*field.value,
                    b.cutDiagnostics[c].*field.spread);
        }
        for (std::size_t k = 0; k < b.categories.size() && k < p.categories.size(); ++k) {
            for (const auto& field : tl::kCategoryDiagnosticsFields)
                add("category", static_cast<int>(k + 1), field.key, p.categories[k].*field.value,
                    b.categories[k].*field.spread);
        }
        for (std::size_t f = 0; f < tl::agreementFieldCount(r.categoryCount()); ++f) {
            const auto& field = tl::kAgreementFields[f];
            add("agreement", NA_INTEGER, field.key, p.agreement.*field.value,
                b.agreement.*field.spread);
        }
    }
    add("reliability", NA_INTEGER, "reliability", r.reliability.reliability, b.reliability);
    return Rcpp::List::create(_["group"] = Rcpp::CharacterVector(group.begin(), group.end()),
                              _["at"] = Rcpp::IntegerVector(at.begin(), at.end()),
                              _["index"] = Rcpp::CharacterVector(index.begin(), index.end()),
                              _["estimate"] = numbers(estimate), _["se"] = numbers(se),
                              _["ci_low"] = numbers(low), _["ci_high"] = numbers(high),
                              _["replicates_undefined"] = numbers(undefined));
}

// conditional.csv's columns by its names and in its order.
Rcpp::List conditional(const tl::Results& r, const std::vector<tl::ConditionalRow>& rows) {
    namespace column = tl::column;
    const auto each = [&rows](double tl::ConditionalRow::*value) {
        Rcpp::NumericVector out(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) out[i] = rows[i].*value;
        return out;
    };
    using Row = tl::ConditionalRow;
    const std::array<std::pair<std::string_view, double Row::*>, 7> reals{{
        {column::kScore, &Row::score},
        {column::kConsistency, &Row::consistency},
        {column::kAccuracy, &Row::accuracy},
        {column::kFalsePositive, &Row::falsePositive},
        {column::kFalseNegative, &Row::falseNegative},
        {column::kErrorVariance, &Row::errorVariance},
        {column::kCsem, &Row::csem},
    }};
    const std::vector<std::string> categories = tl::categoryNames(r);
    Rcpp::List out;
    for (std::string_view name : tl::kConditionalColumns) {
        const std::string key(name);
        if (name == column::kExaminees) {
            Rcpp::IntegerVector count(rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i) count[i] = rows[i].examinees;
            out.push_back(count, key);
        } else if (name == column::kProbabilities) {
            for (std::size_t m = 0; m < categories.size(); ++m) {
                out.push_back(probabilityOf(rows.size(), m,
                                            [&rows](std::size_t i, std::size_t k) {
                                                return rows[i].probabilities[k];
                                            }),
                              tl::probabilityColumn(categories[m]));
            }
        } else {
            for (const auto& [field, value] : reals) {
                if (field == name) out.push_back(each(value), key);
            }
        }
    }
    return out;
}

// One row per index: the overall ones (cut NA) and then each cut's.
Rcpp::List bootstrap(const tl::BootstrapSummary& b, const tl::Results& r) {
    std::vector<int> cut;
    std::vector<std::string> index;
    std::vector<double> estimate, se, low, high, undefined;
    auto add = [&](int c, const tl::IndexSetSpread& spread, const tl::IndexSet& value) {
        for (const tl::IndexField& field : tl::kIndexFields) {
            const tl::IndexSpread& s = spread.*field.spread;
            cut.push_back(c);
            index.emplace_back(field.key);
            estimate.push_back(value.*field.value);
            se.push_back(s.se);
            low.push_back(s.ciLow);
            high.push_back(s.ciHigh);
            undefined.push_back(static_cast<double>(s.replicatesUndefined));
        }
    };
    add(NA_INTEGER, b.overall, r.classification.overall);
    for (std::size_t j = 0; j < b.cuts.size() && r.tables && j < r.tables->cuts.size(); ++j) {
        add(static_cast<int>(j + 1), b.cuts[j], r.tables->cuts[j]);
    }
    Rcpp::List table = Rcpp::List::create(
        _["cut"] = Rcpp::IntegerVector(cut.begin(), cut.end()),
        _["index"] = Rcpp::CharacterVector(index.begin(), index.end()),
        _["estimate"] = numbers(estimate), _["se"] = numbers(se), _["ci_low"] = numbers(low),
        _["ci_high"] = numbers(high), _["replicates_undefined"] = numbers(undefined));
    return Rcpp::List::create(_["replicates"] = static_cast<double>(b.replicates),
                              _["seed"] = static_cast<double>(b.seed), _["table"] = table,
                              _["precision"] = precisionBootstrap(b, r));
}

Rcpp::List unmatched(const std::vector<tl::SetFindings>& sets) {
    std::vector<double> count, examinees, record, item, value;
    for (const tl::SetFindings& f : sets) {
        const tl::UnmatchedScores& u = f.unmatched;
        count.push_back(static_cast<double>(u.count));
        examinees.push_back(u.examinees);
        record.push_back(static_cast<double>(u.firstRecord));
        item.push_back(u.firstItem);
        value.push_back(u.firstValue);
    }
    return Rcpp::List::create(_["count"] = numbers(count), _["examinees"] = numbers(examinees),
                              _["first_record"] = numbers(record), _["first_item"] = numbers(item),
                              _["first_value"] = numbers(value));
}

// groups.csv's rows, with each level's small flag: variable, level, examinees,
// small, index, cut (NA overall), value, and se, ci_low, ci_high after a
// bootstrap.
Rcpp::List groupRows(const tl::Results& r) {
    std::vector<std::string> variable, level, index;
    std::vector<int> small, cut;
    std::vector<double> examinees, value, se, low, high;
    tl::visitGroupIndices(r, [&](std::size_t g, std::string_view name, std::size_t c, double v,
                                 const tl::IndexSpread* s) {
        const tl::GroupLevel& l = r.groups[g];
        variable.push_back(l.variable);
        level.push_back(l.level);
        examinees.push_back(static_cast<double>(l.examinees));
        small.push_back(l.small ? 1 : 0);
        index.emplace_back(name);
        cut.push_back(c == 0 ? NA_INTEGER : static_cast<int>(c));
        value.push_back(v);
        if (s) {
            se.push_back(s->se);
            low.push_back(s->ciLow);
            high.push_back(s->ciHigh);
        }
    });
    Rcpp::List out = Rcpp::List::create(
        _["variable"] = Rcpp::CharacterVector(variable.begin(), variable.end()),
        _["level"] = Rcpp::CharacterVector(level.begin(), level.end()),
        _["examinees"] = numbers(examinees),
        _["small"] = Rcpp::LogicalVector(small.begin(), small.end()),
        _["index"] = Rcpp::CharacterVector(index.begin(), index.end()),
        _["cut"] = Rcpp::IntegerVector(cut.begin(), cut.end()), _["value"] = numbers(value));
    if (r.bootstrap) {
        out.push_back(numbers(se), "se");
        out.push_back(numbers(low), "ci_low");
        out.push_back(numbers(high), "ci_high");
    }
    return out;
}

// The card's sets and cuts, as the run took them.
Rcpp::List cardToR(const tl::ControlCard& card) {
    Rcpp::CharacterVector label;
    Rcpp::NumericVector weight, items;
    Rcpp::List points;
    for (const tl::ItemSet& set : card.itemSets) {
        label.push_back(set.dataFile);
        weight.push_back(set.weight);
        items.push_back(set.itemCount);
        points.push_back(numbers(set.scorePoints));
    }
    return Rcpp::List::create(_["label"] = label, _["weight"] = weight, _["items"] = items,
                              _["points"] = points, _["observed_cuts"] = numbers(card.observedCuts),
                              _["true_cuts"] = numbers(card.trueCuts));
}

// sweep.csv's rows by its column names, and its statistics: the best cuts,
// each target's lowest cut reaching it (NA: none does), the ROC curve and its
// area, and the fixed true cut (NULL: each cut's own).
Rcpp::List sweepToR(const tl::CutSweep& sweep) {
    const std::vector<tl::SweepRow>& rows = sweep.rows;
    std::vector<double> cut, shareAbove;
    std::vector<tl::IndexSet> indices;
    std::vector<tl::CutDiagnostics> diagnostics;
    for (const tl::SweepRow& row : rows) {
        cut.push_back(row.cut);
        indices.push_back(row.indices);
        diagnostics.push_back(row.diagnostics);
        shareAbove.push_back(row.shareAbove);
    }
    Rcpp::List table = Rcpp::List::create(_["cut"] = numbers(cut));
    for (const Rcpp::List& columns :
         {indexColumns(indices), fieldColumns(diagnostics, tl::kCutDiagnosticsFields)}) {
        const Rcpp::CharacterVector names = columns.names();
        for (R_xlen_t j = 0; j < columns.size(); ++j)
            table.push_back(columns[j], Rcpp::as<std::string>(names[j]));
    }
    table.push_back(numbers(shareAbove), "share_above");

    std::vector<std::string> index;
    std::vector<double> value, reached;
    for (const tl::SweepTarget& target : sweep.targets) {
        index.push_back(target.index);
        value.push_back(target.value);
        reached.push_back(tl::sweepCutOf(sweep, target.row));
    }
    std::vector<double> falsePositiveRate, sensitivity;
    for (const tl::RocPoint& point : sweep.roc) {
        falsePositiveRate.push_back(point.falsePositiveRate);
        sensitivity.push_back(point.sensitivity);
    }
    Rcpp::List out = Rcpp::List::create(
        _["rows"] = table, _["best_youden_cut"] = tl::sweepCutOf(sweep, sweep.bestYouden),
        _["best_accuracy_cut"] = tl::sweepCutOf(sweep, sweep.bestAccuracy),
        _["targets"] = Rcpp::List::create(_["index"] = Rcpp::wrap(index),
                                          _["value"] = numbers(value), _["cut"] = numbers(reached)),
        _["roc"] = Rcpp::List::create(_["false_positive_rate"] = numbers(falsePositiveRate),
                                      _["sensitivity"] = numbers(sensitivity)),
        _["auc"] = sweep.auc);
    if (sweep.trueCut) out.push_back(*sweep.trueCut, "true_cut");
    return out;
}

// fit.csv's bins by its column names, and its statistics.
Rcpp::List fitToR(const tl::ModelFitSummary& fit) {
    std::vector<double> first, last, expected, observed;
    for (const tl::ModelFitBin& bin : fit.bins) {
        first.push_back(bin.first);
        last.push_back(bin.last);
        expected.push_back(bin.expected);
        observed.push_back(bin.observed);
    }
    return Rcpp::List::create(
        _["bins"] = Rcpp::List::create(
            _["first_score"] = numbers(first), _["last_score"] = numbers(last),
            _["expected"] = numbers(expected), _["observed"] = numbers(observed)),
        _["chi2"] = fit.chi2, _["df"] = fit.df, _["p"] = fit.p,
        _["largest_cdf_difference"] = fit.largestCdfDifference, _["descriptive"] = fit.descriptive);
}

// comparison.csv's rows, or comparison_differences.csv's, by its column
// names: the cut NA for an index over the whole scale, and NA for a value
// that is undefined.
Rcpp::List comparisonToR(const tl::ModelComparison& comparison, bool differences) {
    const tl::ComparisonColumns c = tl::comparisonColumns(comparison, differences);
    const auto shown = [](const std::vector<double>& v) {
        Rcpp::NumericVector out(v.size());
        for (std::size_t i = 0; i < v.size(); ++i) out[i] = std::isnan(v[i]) ? NA_REAL : v[i];
        return out;
    };
    Rcpp::IntegerVector cut(c.cut.begin(), c.cut.end());
    for (int& at : cut)
        if (at == 0) at = NA_INTEGER;
    Rcpp::List out = Rcpp::List::create(_["model"] = Rcpp::wrap(c.model));
    if (differences) {
        out.push_back(Rcpp::wrap(c.primary), "primary");
    } else {
        out.push_back(Rcpp::wrap(c.kind), "kind");
        out.push_back(Rcpp::wrap(c.method), "method");
    }
    out.push_back(Rcpp::wrap(c.index), "index");
    out.push_back(cut, "cut");
    out.push_back(shown(c.value), differences ? "difference" : "value");
    if (c.spreads) {
        out.push_back(shown(c.se), "se");
        out.push_back(shown(c.ciLow), "ci_low");
        out.push_back(shown(c.ciHigh), "ci_high");
    }
    return out;
}

}  // namespace

Rcpp::List resultsToR(const tl::Results& r) {
    const int k = r.categoryCount();
    const tl::ReliabilitySummary& rel = r.reliability;
    Rcpp::List out = Rcpp::List::create(
        _["examinee_count"] = r.examineeCount, _["bias_corrected"] = r.biasCorrected,
        _["min_composite"] = r.scales.composite.minComposite,
        _["max_composite"] = r.scales.composite.maxComposite,
        _["reliability"] =
            Rcpp::List::create(_["sample_variance"] = rel.sampleVariance,
                               _["average_error_variance"] = rel.averageErrorVariance,
                               _["reliability"] = rel.reliability),
        _["overall"] = overall(r.classification),
        _["category_marginal"] = numbers(r.classification.categoryMarginal),
        _["examinees"] = examinees(r), _["unmatched"] = unmatched(r.findings),
        _["card"] = cardToR(r.card));
    if (r.tables) {
        const tl::ClassificationTables& t = *r.tables;
        out.push_back(indexColumns(t.cuts), "cuts");
        out.push_back(counts(t.observedCounts), "observed_counts");
        out.push_back(counts(t.trueCounts), "true_counts");
        out.push_back(square(t.trueByObserved, k), "true_by_observed");
        out.push_back(square(t.consistencyTable, k), "consistency_table");
        out.push_back(conditional(r, t.conditional), "conditional");
        out.push_back(numbers(t.cutCsem), "cut_csem");
        out.push_back(fieldColumns(t.precision.cuts, tl::kCutDiagnosticsFields), "cut_diagnostics");
        out.push_back(fieldColumns(t.precision.categories, tl::kCategoryDiagnosticsFields),
                      "per_category");
        out.push_back(fieldColumns(std::vector<tl::Agreement>{t.precision.agreement},
                                   tl::kAgreementFields, tl::agreementFieldCount(k)),
                      "agreement");
        out.push_back(csemRows(t.csem), "csem");
        out.push_back(
            Rcpp::List::create(_["mean"] = t.composite.mean, _["variance"] = t.composite.variance,
                               _["sd"] = t.composite.sd, _["min"] = t.composite.min,
                               _["max"] = t.composite.max),
            "composite");
    }
    if (r.bootstrap) out.push_back(bootstrap(*r.bootstrap, r), "bootstrap");
    if (!r.groups.empty()) out.push_back(groupRows(r), "groups");
    if (r.scale) out.push_back(scaleToR(r), "scale");
    if (r.model.kind != tl::ModelKind::Multinomial) out.push_back(modelToR(r), "model");
    if (r.sweep) out.push_back(sweepToR(*r.sweep), "sweep");
    if (r.model.fit) out.push_back(fitToR(*r.model.fit), "model_fit");
    if (r.model.correctedFit) out.push_back(fitToR(*r.model.correctedFit), "corrected_model_fit");
    if (r.comparison) {
        out.push_back(comparisonToR(*r.comparison, false), "comparison");
        out.push_back(comparisonToR(*r.comparison, true), "comparison_differences");
    }
    return out;
}

}  // namespace tlr
