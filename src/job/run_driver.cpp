#include "job/run_driver.h"

#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "classify/classification.h"
#include "job/bias_correction.h"
#include "job/card_checks.h"
#include "job/console.h"
#include "job/control_card_reader.h"
#include "job/data_file_reader.h"
#include "job/limits.h"
#include "job/run_errors.h"
#include "job/score_ranges.h"
#include "job/text_file.h"
#include "model/log_factorial.h"
#include "model/parallel_for.h"
#include "model/reliability.h"
#include "report/atomic_file.h"
#include "report/number_field.h"
#include "report/report_writer.h"

namespace tl {

namespace {

std::string readDataFile(const std::string& name) {
    std::optional<std::string> text = readTextFile(name);
    if (!text) throw DetectedError{"Error! Data file is not found!"};
    return std::move(*text);
}

struct Run {
    Run(const RunOptions& runOptions)
        : options(runOptions), threads(runOptions.threads == 0 ? hardwareThreads() : runOptions.threads) {}

    const RunOptions& options;
    unsigned threads;
    ControlCard card;
    CompositeScale scale;
    std::int32_t examineeCount = 0;
    std::vector<CountVectorTable> tables;       // per set, built in the first pass
    std::vector<SetDistributions> distributions;  // per set, from the last pass
    std::vector<double> observedComposite;
    std::vector<double> correctedComposite;
    std::vector<double> compositeErrorVariance;
    ReliabilitySummary reliability;
    bool secondPassRan = false;

    bool shareProfiles() const {
        return options.rawDistributionKernel == nullptr && options.compositeKernel == nullptr;
    }

    ProportionProfiles loadSet(std::size_t s) {
        const ItemSet& set = card.itemSets[s];
        const std::string text = readDataFile(set.dataFile);
        return loadItemSet(text, set.dataFile, set, examineeCount, observedComposite, shareProfiles());
    }

    SetDistributions distributionsOf(std::size_t s, const ProportionProfiles& profiles) {
        const ItemSet& set = card.itemSets[s];
        return computeSetDistributions(tables[s], profiles, set.scorePoints, set.rawScores, threads,
                                       options.rawDistributionKernel);
    }

    void firstPass() {
        observedComposite.assign(examineeCount, 0.0);
        compositeErrorVariance.assign(examineeCount, 0.0);
        for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
            const ItemSet& set = card.itemSets[s];
            const ProportionProfiles profiles = loadSet(s);
            if (set.scorePointCount > kMaxScorePoints) {
                throw DetectedError{"# score categories greater than 15: Stopped!"};
            }
            tables.push_back(buildCountVectorTable(set.itemCount, set.scorePoints, set.rawScores));
            distributions.push_back(distributionsOf(s, profiles));
            addErrorVariances(set, distributions.back());
        }
        reliability = summarizeReliability(compositeErrorVariance, observedComposite);
    }

    // Adds (w w) times each examinee's conditional error variance on the set, so
    // that the composite error variance is summed in set order.
    void addErrorVariances(const ItemSet& set, const SetDistributions& sd) {
        std::vector<double> variance(sd.profileCount, 0.0);
        for (std::size_t p = 0; p < sd.profileCount; ++p) {
            variance[p] = setErrorVariance(set.rawScores, sd.row(p), set.itemCount);
        }
        const double weightSquared = set.weight * set.weight;
        for (std::size_t e = 0; e < sd.profileOf.size(); ++e) {
            compositeErrorVariance[e] = compositeErrorVariance[e] + weightSquared * variance[sd.profileOf[e]];
        }
    }

    void secondPass() {
        const double r = reliability.reliability;
        if (!(r >= 0.0)) {
            std::string shown = realField(r, 12, 5);
            shown.erase(0, shown.find_first_not_of(' '));
            throw DetectedError{"Error! The reliability (" + shown +
                                ") does not allow bias correction; run without it."};
        }
        observedComposite.assign(examineeCount, 0.0);
        correctedComposite.assign(examineeCount, 0.0);
        for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
            ProportionProfiles profiles = loadSet(s);
            correctProportions(profiles, card.itemSets[s], r, correctedComposite);
            distributions[s] = distributionsOf(s, profiles);
        }
        secondPassRan = true;
    }

    std::string report() {
        std::vector<SetScale> scales;
        for (const ItemSet& set : card.itemSets) scales.push_back({set.weight, set.rawScores});
        const CategoryGroups groups = computeCategoryGroups(
            distributions, scales, scale.compositeScores, scale.minComposite, card.observedCuts,
            card.categoryCount, threads, options.compositeKernel);
        const std::vector<double>& basis = secondPassRan ? correctedComposite : observedComposite;
        const Classification classification =
            classifyExaminees(basis, card.trueCuts, card.categoryCount, groups.groupOf,
                              groups.probabilities, groups.consistency);
        return composeReport(card, reliability, classification, observedComposite);
    }
};

std::string missingFileLine(const std::string& name) {
    // The name stands in a 30-column field; a longer one is written whole.
    const std::string field = textField(name, kFileNameLength);
    return "Error! File: " + field + (name.size() > static_cast<std::size_t>(kFileNameLength) ? " " : "") +
           "does not exist";
}

void runJob(Console& console, const RunOptions& options) {
    console.line("Enter control card file name:");
    const std::string cardFile = fileNameOf(console.readFileName());
    const std::optional<std::string> cardText = readTextFile(cardFile);
    if (!cardText) throw DetectedError{missingFileLine(cardFile)};

    Run run(options);
    run.card = readControlCard(*cardText, cardFile);
    run.scale = deriveScoreRanges(run.card);
    checkCutScores(run.card, run.scale);
    refuseUnworkableCard(run.card, cardFile);

    const ItemSet& first = run.card.itemSets.front();
    run.examineeCount = countExaminees(readDataFile(first.dataFile), first.dataFile, first.itemCount);
    if (run.examineeCount == 0) {
        throw DetectedError{"Error! The data file " + first.dataFile + " holds no complete record of " +
                            std::to_string(first.itemCount) + " item scores."};
    }

    run.firstPass();
    if (run.card.biasCorrection == 1) run.secondPass();
    writeFileAtomically(run.card.outputFile, run.report());
    console.line("Successful execution!");
}

}  // namespace

int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err, const RunOptions& options) {
    Console console(in, out);
    setNegativeFactorialNotice([&console] {
        console.line("negative factorial in factln");
        console.waitForEnter();
    });
    int status = 0;
    try {
        runJob(console, options);
    } catch (const DetectedError& error) {
        console.line(error.consoleLine);
        status = 1;
    } catch (const InputError& error) {
        err << "tesserlink: " << error.what() << '\n';
        status = 2;
    } catch (const std::bad_alloc&) {
        err << "tesserlink: not enough memory for this run\n";
        status = 2;
    }
    setNegativeFactorialNotice(nullptr);
    if (status == 2) return status;
    console.pause();
    return status;
}

}  // namespace tl
