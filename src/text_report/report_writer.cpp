#include "text_report/report_writer.h"

#include "core/number_field.h"
#include "core/version.h"

namespace tl {

namespace {

constexpr int kLineWidth = 66;

class ReportText {
  public:
    void line(const std::string& text) {
        text_ += text;
        text_ += "\r\n";
    }
    void starLine() { line(std::string(kLineWidth, '*')); }
    void dashLine() { line(std::string(kLineWidth, '-')); }
    // "***", the text centred in 60 columns (an odd blank goes to the right), "***".
    void boxLine(const std::string& text) {
        const std::size_t inner = kLineWidth - 6;
        const std::size_t left = text.size() >= inner ? 0 : (inner - text.size()) / 2;
        const std::size_t right = text.size() >= inner ? 0 : inner - text.size() - left;
        line("***" + std::string(left, ' ') + text + std::string(right, ' ') + "***");
    }
    void sectionTitle(const std::string& title) {
        line("");
        starLine();
        line(title);
        dashLine();
    }
    // Room for `bytes` more, so that a million result lines are not copied over
    // and over as the text grows.
    void reserveMore(std::size_t bytes) { text_.reserve(text_.size() + bytes); }
    std::string take() { return std::move(text_); }

  private:
    std::string text_;
};

void writeBanner(ReportText& out) {
    out.starLine();
    out.line("***       TESSERLINK: Multinomial & Compound-Multinomial       ***");
    out.line("***          Classification Consistency and Accuracy           ***");
    out.boxLine("");
    out.boxLine("Version " + std::string(kProgramVersion));
    out.boxLine("");
    out.boxLine("TESSERLINK: consistency and accuracy of");
    out.boxLine("performance classifications under the multinomial");
    out.boxLine("and compound-multinomial error models");
    out.boxLine("");
    out.boxLine("Free software under the MIT License");
    out.boxLine("");
    out.boxLine("Provided as is, without warranty of any kind");
    out.starLine();
}

std::string realsSideBySide(const std::vector<double>& values, int width, int decimals) {
    std::string text;
    for (double v : values) text += realField(v, width, decimals);
    return text;
}

void writeCardEcho(ReportText& out, const ControlCard& card) {
    out.line("");
    out.starLine();
    out.line("                  List of Control Cards Options");
    out.dashLine();
    out.line("$Number of item sets");
    out.line(integerField(card.setCount, 3));
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        const ItemSet& set = card.itemSets[s];
        out.line("$Set" + integerField(static_cast<std::int64_t>(s + 1), 1) +
                 ": weight, #items, #score points, score points, data file");
        out.line(realField(set.weight, 6, 2));
        out.line(integerField(set.itemCount, 3));
        out.line(integerField(set.scorePointCount, 3));
        out.line(realsSideBySide(set.scorePoints, 5, 1));
        out.line("  " + textField(set.dataFile, 30));
    }
    out.line("$#categories, observed cut scores, true cut scores");
    out.line(integerField(card.categoryCount, 3));
    out.line(realsSideBySide(card.observedCuts, 9, 3));
    out.line(realsSideBySide(card.trueCuts, 9, 3));
    out.line("$Conditional results (Yes=1, No=0)");
    out.line(integerField(card.conditionalResults, 3));
    out.line("$Output file");
    out.line("  " + textField(card.outputFile, 30));
    out.line("$Bias correction (Yes=1, No=0)");
    out.line(integerField(card.biasCorrection, 3));
    out.starLine();
}

void writeSummaries(ReportText& out, const ReliabilitySummary& r, const Classification& c) {
    out.sectionTitle("       Error Variance and Reliability for Total Raw Scores       ");
    out.line("Sample variance      =" + realField(r.sampleVariance, 12, 5));
    out.line("Avg error variance   =" + realField(r.averageErrorVariance, 12, 5));
    out.line("Reliability          =" + realField(r.reliability, 12, 5));
    out.starLine();

    out.sectionTitle("                Overall Classification Consistency                ");
    out.line("consistency (phi)    =" + realField(c.overall.consistency, 8, 5));
    out.line("1-phi                =" + realField(1.0 - c.overall.consistency, 8, 5));
    out.line("chance probability   =" + realField(c.overall.chance, 8, 5));
    out.line("kappa                =" + realField(c.overall.kappa, 8, 5));
    out.starLine();

    out.sectionTitle("                 Overall Classification Accuracy                  ");
    out.line("accuracy (gamma)     =" + realField(c.overall.accuracy, 8, 5));
    out.line("false positive error =" + realField(c.overall.falsePositive, 8, 5));
    out.line("false negative error =" + realField(c.overall.falseNegative, 8, 5));
    out.starLine();
}

void writeConditionalResults(ReportText& out, const Classification& c,
                             std::span<const double> observedComposite) {
    out.sectionTitle("                       Conditional Results                        ");
    out.line("    Obs    Total       phi     gamma    false+    false-");
    out.reserveMore((observedComposite.size() + 1) * 64);  // a line is 56 columns and CR LF
    for (std::size_t i = 0; i < observedComposite.size(); ++i) {
        out.line(integerField(static_cast<std::int64_t>(i + 1), 7) +
                 realField(observedComposite[i], 9, 2) +
                 realField(c.conditionalConsistency[i], 10, 5) +
                 realField(c.conditionalAccuracy[i], 10, 5) +
                 realField(c.conditionalFalsePositive[i], 10, 5) +
                 realField(c.conditionalFalseNegative[i], 10, 5));
    }
    out.starLine();
}

}  // namespace

std::string composeReport(const Results& results) {
    ReportText out;
    writeBanner(out);
    writeCardEcho(out, results.card);
    writeSummaries(out, results.reliability, results.classification);
    if (results.card.conditionalResults != 0) {
        writeConditionalResults(out, results.classification, results.observedComposite);
    }
    return out.take();
}

}  // namespace tl
