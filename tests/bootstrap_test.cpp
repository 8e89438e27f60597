// Bootstrap replicates of whole runs: a replicate is the run the program would
// make on the resampled examinees, the spread matches the plug-in standard
// error of a mean where that applies, and the bits depend only on the data,
// the card, B and the seed.
#include "analysis/bootstrap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "analysis/analyze.h"
#include "analysis/bootstrap_replicate.h"
#include "classify/precision_fields.h"
#include "core/errors.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "input/memory_data_source.h"
#include "platform/text_file.h"
#include "support/program_run.h"
#include "support/scratch_case.h"

namespace tl {
namespace {

using testing::ScratchCase;

// Hands the files' records on and keeps a copy of each set's first reading.
class RecordingSource : public DataSource {
  public:
    explicit RecordingSource(const ControlCard& card) : files_(card) {}
    std::int32_t readSet(std::size_t set, std::int32_t examinees, const RecordSink& sink) override {
        if (set >= recorded_.size()) recorded_.resize(set + 1);
        ScoreMatrix* keep = recorded_[set].rows == 0 ? &recorded_[set] : nullptr;
        return files_.readSet(
            set, examinees, [&](std::span<const double> scores, std::int64_t line) {
                if (keep) {
                    keep->columns = static_cast<std::int32_t>(scores.size());
                    keep->values.insert(keep->values.end(), scores.begin(), scores.end());
                    ++keep->rows;
                }
                sink(scores, line);
            });
    }
    std::string sourceName(std::size_t set) const override { return files_.sourceName(set); }
    // Each set's records of the sample's examinees, in sample order.
    MemoryDataSource resampled(ExamineeSample sample) const {
        std::vector<ScoreMatrix> sets;
        for (const ScoreMatrix& all : recorded_) {
            ScoreMatrix& m = sets.emplace_back();
            m.rows = static_cast<std::int32_t>(sample.size());
            m.columns = all.columns;
            for (std::uint32_t i : sample) {
                const auto begin =
                    all.values.begin() + static_cast<std::ptrdiff_t>(i) * all.columns;
                m.values.insert(m.values.end(), begin, begin + all.columns);
            }
        }
        return MemoryDataSource(std::move(sets));
    }

  private:
    FileDataSource files_;
    std::vector<ScoreMatrix> recorded_;
};

// A recorded case or example, its bias switch optionally overridden, copied
// into a scratch folder that the test works in.
class Case {
  public:
    Case(const std::filesystem::path& source, int bias = -1)
        : scratch_(source),
          inside_(scratch_.dir()),
          card_(readControlCard(*readTextFile("card.txt"), "card.txt")) {
        if (bias >= 0) card_.biasCorrection = bias;
    }
    const ControlCard& card() const { return card_; }
    Results analyze(const AnalysisOptions& options, const AnalysisHooks& hooks = {}) const {
        FileDataSource data(card_);
        return tl::analyze(card_, data, options, hooks);
    }

  private:
    ScratchCase scratch_;
    testing::WorkingDirectory inside_;
    ControlCard card_;
};

AnalysisOptions withBootstrap(std::int64_t replicates, std::uint64_t seed = 1,
                              unsigned threads = 0) {
    AnalysisOptions options;
    options.bootstrapReplicates = replicates;
    options.seed = seed;
    options.threads = threads;
    return options;
}

// Bit for bit, NaN equal to NaN.
bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

::testing::AssertionResult sameIndices(const IndexSet& a, const IndexSet& b) {
    const double x[] = {a.consistency, a.chance,        a.kappa,
                        a.accuracy,    a.falsePositive, a.falseNegative};
    const double y[] = {b.consistency, b.chance,        b.kappa,
                        b.accuracy,    b.falsePositive, b.falseNegative};
    for (int i = 0; i < 6; ++i) {
        if (!sameBits(x[i], y[i])) {
            return ::testing::AssertionFailure() << "index " << i << ": " << x[i] << " vs " << y[i];
        }
    }
    return ::testing::AssertionSuccess();
}

// Within `relative` of each other (NaN only with NaN): a replicate may
// compute its distributions by another exact method than the run, which
// changes only the rounding (see ReplicateEngine for the bound).
constexpr double kReplicateTolerance = 1e-12;

::testing::AssertionResult closeIndices(const IndexSet& a, const IndexSet& b,
                                        double relative = kReplicateTolerance) {
    const double x[] = {a.consistency, a.chance,        a.kappa,
                        a.accuracy,    a.falsePositive, a.falseNegative};
    const double y[] = {b.consistency, b.chance,        b.kappa,
                        b.accuracy,    b.falsePositive, b.falseNegative};
    for (int i = 0; i < 6; ++i) {
        const bool close = std::isnan(x[i]) ? std::isnan(y[i])
                                            : std::fabs(x[i] - y[i]) <= relative * std::fabs(y[i]);
        if (!close) {
            return ::testing::AssertionFailure()
                   << "index " << i << ": " << x[i] << " vs " << y[i] << " (relative "
                   << std::fabs(x[i] - y[i]) / std::fabs(y[i]) << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameSpread(const IndexSetSpread& a, const IndexSetSpread& b) {
    const IndexSpread* x[] = {&a.consistency, &a.chance,        &a.kappa,
                              &a.accuracy,    &a.falsePositive, &a.falseNegative};
    const IndexSpread* y[] = {&b.consistency, &b.chance,        &b.kappa,
                              &b.accuracy,    &b.falsePositive, &b.falseNegative};
    for (int i = 0; i < 6; ++i) {
        if (!sameBits(x[i]->se, y[i]->se) || !sameBits(x[i]->ciLow, y[i]->ciLow) ||
            !sameBits(x[i]->ciHigh, y[i]->ciHigh) ||
            x[i]->replicatesUndefined != y[i]->replicatesUndefined) {
            return ::testing::AssertionFailure() << "index " << i << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

bool sameSpread(const IndexSpread& a, const IndexSpread& b) {
    return sameBits(a.se, b.se) && sameBits(a.ciLow, b.ciLow) && sameBits(a.ciHigh, b.ciHigh) &&
           a.replicatesUndefined == b.replicatesUndefined;
}

// Bit for bit when `relative` is 0, otherwise within it (NaN only with NaN).
bool agree(double x, double y, double relative) {
    if (relative == 0) return sameBits(x, y);
    return std::isnan(x) ? std::isnan(y) : std::fabs(x - y) <= relative * std::fabs(y);
}

// Every index of `fields` in both groups.
template <class Values, class Spreads, std::size_t N>
::testing::AssertionResult sameFields(const Values& a, const Values& b,
                                      const std::array<PrecisionField<Values, Spreads>, N>& fields,
                                      double relative = 0) {
    for (const auto& field : fields) {
        if (!agree(a.*field.value, b.*field.value, relative)) {
            return ::testing::AssertionFailure()
                   << field.key << ": " << a.*field.value << " vs " << b.*field.value;
        }
    }
    return ::testing::AssertionSuccess();
}

template <class Values, class Spreads, std::size_t N>
::testing::AssertionResult sameSpreads(
    const Spreads& a, const Spreads& b,
    const std::array<PrecisionField<Values, Spreads>, N>& fields) {
    for (const auto& field : fields) {
        if (!sameSpread(a.*field.spread, b.*field.spread))
            return ::testing::AssertionFailure() << field.key << " differs";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult samePrecision(const PrecisionIndices& a, const PrecisionIndices& b,
                                         double relative = 0) {
    if (a.cuts.size() != b.cuts.size() || a.categories.size() != b.categories.size())
        return ::testing::AssertionFailure() << "cut or category count differs";
    for (std::size_t c = 0; c < a.cuts.size(); ++c) {
        if (auto r = sameFields(a.cuts[c], b.cuts[c], kCutDiagnosticsFields, relative); !r)
            return r << " (cut " << c + 1 << ")";
    }
    for (std::size_t k = 0; k < a.categories.size(); ++k) {
        if (auto r =
                sameFields(a.categories[k], b.categories[k], kCategoryDiagnosticsFields, relative);
            !r)
            return r << " (category " << k + 1 << ")";
    }
    return sameFields(a.agreement, b.agreement, kAgreementFields, relative);
}

// The diagnostic and agreement indices of a whole run, as its tables have them.
PrecisionIndices runPrecision(const Results& r) {
    const ClassifiedExaminees classified = r.classified();
    const std::vector<std::uint32_t> all = wholeSample(classified.size());
    return precisionIndices(classified, all, r.classification.overall.kappa);
}

::testing::AssertionResult sameSummary(const BootstrapSummary& a, const BootstrapSummary& b) {
    if (a.replicates != b.replicates || a.seed != b.seed || a.cuts.size() != b.cuts.size() ||
        a.cutDiagnostics.size() != b.cutDiagnostics.size() ||
        a.categories.size() != b.categories.size()) {
        return ::testing::AssertionFailure() << "replicates, seed or cut count differ";
    }
    if (auto r = sameSpread(a.overall, b.overall); !r) return r << " (overall)";
    for (std::size_t c = 0; c < a.cuts.size(); ++c) {
        if (auto r = sameSpread(a.cuts[c], b.cuts[c]); !r) return r << " (cut " << c + 1 << ")";
        if (auto r = sameSpreads(a.cutDiagnostics[c], b.cutDiagnostics[c], kCutDiagnosticsFields);
            !r)
            return r << " (cut " << c + 1 << ")";
    }
    for (std::size_t k = 0; k < a.categories.size(); ++k) {
        if (auto r = sameSpreads(a.categories[k], b.categories[k], kCategoryDiagnosticsFields); !r)
            return r << " (category " << k + 1 << ")";
    }
    if (auto r = sameSpreads(a.agreement, b.agreement, kAgreementFields); !r) return r;
    if (!sameSpread(a.reliability, b.reliability))
        return ::testing::AssertionFailure() << "reliability differs";
    return ::testing::AssertionSuccess();
}

IndexSet runIndices(const Results& r) {
    return r.classification.overall;
}

double plugInStandardError(const std::vector<double>& values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    const double n = static_cast<double>(values.size());
    double squares = 0.0;
    for (double v : values) squares += (v - sum / n) * (v - sum / n);
    return std::sqrt(squares / (n - 1.0)) / std::sqrt(n);
}

// Without bias correction phi and gamma are means of per-examinee values, so
// their bootstrap SE estimates sd / sqrt(N).
class PlugIn : public ::testing::TestWithParam<const char*> {};

TEST_P(PlugIn, BootstrapSeOfConsistencyAndAccuracyIsThatOfAMean) {
    const Case c(ScratchCase::example(GetParam()), 0);
    const Results r = c.analyze(withBootstrap(2000, 20240915));
    ASSERT_GE(r.examineeCount, 500);
    ASSERT_TRUE(r.bootstrap);
    const double phi = plugInStandardError(r.classification.conditionalConsistency);
    const double gamma = plugInStandardError(r.classification.conditionalAccuracy);
    EXPECT_NEAR(r.bootstrap->overall.consistency.se / phi, 1.0, 0.10);
    EXPECT_NEAR(r.bootstrap->overall.accuracy.se / gamma, 1.0, 0.10);
    // The run's own value lies inside its interval.
    EXPECT_LT(r.bootstrap->overall.consistency.ciLow, r.classification.overall.consistency);
    EXPECT_GT(r.bootstrap->overall.consistency.ciHigh, r.classification.overall.consistency);
    EXPECT_EQ(r.bootstrap->cuts.size(), static_cast<std::size_t>(r.categoryCount() - 1));
}

INSTANTIATE_TEST_SUITE_P(Examples, PlugIn, ::testing::Values("gcbs", "mathexam", "spisa"));

// The key check: the identity sample is the run itself, so a replicate must
// give the run's indices; and a resampled replicate must give those of a run
// on the resampled records. Where the replicates compute their distributions
// as the run does, these are the very doubles; where they convolve what the
// run enumerates, they agree to kReplicateTolerance.
struct ReplicateCase {
    const char* name;
    bool example;
    int bias;  // -1: as the card says
};

// ctest lists a case by its name, not by its bytes.
void PrintTo(const ReplicateCase& c, std::ostream* os) {
    *os << c.name << (c.bias == 1 ? " with bias correction" : "");
}

class Replicate : public ::testing::TestWithParam<ReplicateCase> {};

TEST_P(Replicate, IsTheRunTheProgramWouldMakeOnTheSample) {
    const ReplicateCase& param = GetParam();
    const Case c(
        param.example ? ScratchCase::example(param.name) : ScratchCase::fixture(param.name),
        param.bias);
    RecordingSource data(c.card());
    const AnalysisState state = analyzeKeepingState(c.card(), data, AnalysisOptions{});
    const Results& run = state.results;
    const auto n = static_cast<std::size_t>(run.examineeCount);

    const ReplicateIndices identity = replicateIndices(state, wholeSample(n));
    EXPECT_TRUE(closeIndices(identity.overall, runIndices(run)));
    const std::vector<IndexSet> cuts = cutIndices(run.classified(), wholeSample(n));
    ASSERT_EQ(identity.cuts.size(), cuts.size());
    for (std::size_t k = 0; k < cuts.size(); ++k)
        EXPECT_TRUE(closeIndices(identity.cuts[k], cuts[k]));
    EXPECT_TRUE(samePrecision(identity.precision, runPrecision(run), kReplicateTolerance));
    EXPECT_TRUE(agree(identity.reliability, run.reliability.reliability, kReplicateTolerance));

    // With an engine named, every set and the composite are computed in the
    // replicates as in the run: the very doubles.
    for (const Engine engine : {Engine::Convolve, Engine::Enumerate}) {
        AnalysisOptions named;
        named.engine = engine;
        RecordingSource again(c.card());
        const AnalysisState same = analyzeKeepingState(c.card(), again, named);
        const ReplicateIndices exact = replicateIndices(same, wholeSample(n));
        EXPECT_TRUE(sameIndices(exact.overall, runIndices(same.results)));
        const std::vector<IndexSet> sameCuts =
            cutIndices(same.results.classified(), wholeSample(n));
        for (std::size_t k = 0; k < sameCuts.size(); ++k)
            EXPECT_TRUE(sameIndices(exact.cuts[k], sameCuts[k]));
        EXPECT_TRUE(samePrecision(exact.precision, runPrecision(same.results)));
        EXPECT_TRUE(sameBits(exact.reliability, same.results.reliability.reliability));
    }

    // Repeats, a gap and a changed order: examinee i -> (7 i + 3) mod n, each
    // of the first few three times.
    std::vector<std::uint32_t> sample;
    for (std::size_t i = 0; i < n; ++i)
        sample.push_back(static_cast<std::uint32_t>((7 * i + 3) % n));
    for (std::uint32_t i = 0; i < 5 && i < n; ++i) sample.insert(sample.end(), {i, i});
    sample.erase(sample.begin() + static_cast<std::ptrdiff_t>(n / 2));
    const ReplicateIndices replicate = replicateIndices(state, sample);
    MemoryDataSource resampled = data.resampled(sample);
    const Results rerun = analyze(c.card(), resampled, AnalysisOptions{});
    ASSERT_EQ(rerun.biasCorrected, run.biasCorrected);
    EXPECT_TRUE(closeIndices(replicate.overall, runIndices(rerun)));
    const std::vector<IndexSet> rerunCuts =
        cutIndices(rerun.classified(), wholeSample(sample.size()));
    for (std::size_t k = 0; k < rerunCuts.size(); ++k) {
        EXPECT_TRUE(closeIndices(replicate.cuts[k], rerunCuts[k])) << "cut " << k + 1;
    }
    EXPECT_TRUE(samePrecision(replicate.precision, runPrecision(rerun), kReplicateTolerance));
    EXPECT_TRUE(agree(replicate.reliability, rerun.reliability.reliability, kReplicateTolerance));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Replicate,
    ::testing::Values(ReplicateCase{"bias-01", false, -1}, ReplicateCase{"bias-06", false, -1},
                      ReplicateCase{"shape-12x012-bias", false, -1},
                      ReplicateCase{"valid-02", false, -1}, ReplicateCase{"spisa", true, 1},
                      ReplicateCase{"verbagg", true, 1}, ReplicateCase{"gcbs", true, 1},
                      ReplicateCase{"mathexam", true, 0}),
    [](const auto& info) {
        return testing::testNameOf(std::string(info.param.name) +
                                   (info.param.bias == 1 ? "-bias" : ""));
    });

TEST(Replicate, WithoutAReliabilityHasNoIndices) {
    const Case c(ScratchCase::fixture("bias-01"));
    FileDataSource data(c.card());
    const AnalysisState state = analyzeKeepingState(c.card(), data, AnalysisOptions{});
    ASSERT_TRUE(state.results.biasCorrected);
    // One examinee over and over: no observed variance, so no reliability.
    const std::vector<std::uint32_t> same(50, 3);
    const ReplicateIndices r = replicateIndices(state, same);
    EXPECT_TRUE(std::isnan(r.overall.consistency) && std::isnan(r.overall.accuracy));
    for (const IndexSet& cut : r.cuts) EXPECT_TRUE(std::isnan(cut.falseNegative));
    for (const CutDiagnostics& cut : r.precision.cuts) EXPECT_TRUE(std::isnan(cut.sensitivity));
    EXPECT_TRUE(std::isnan(r.precision.agreement.weightedKappaLinear));

    AnalysisState three = state;
    three.plan.options.bootstrapReplicates = 3;
    three.model.threads = 1;
    BootstrapSummary summary = bootstrapIndices(three, {});
    EXPECT_EQ(summary.overall.consistency.replicatesUndefined, 0);
}

TEST(Bootstrap, GivesTheSameBitsForASeedOnAnyThreadCount) {
    struct Run {
        const char* name;
        int bias;
        std::int64_t replicates;
    };
    for (const Run& run : {Run{"verbagg", 1, 40}, Run{"gcbs", 0, 300}}) {
        const Case c(ScratchCase::example(run.name), run.bias);
        const Results base = c.analyze(withBootstrap(run.replicates, 99, 1));
        ASSERT_TRUE(base.bootstrap);
        EXPECT_EQ(base.bootstrap->replicates, run.replicates);
        EXPECT_EQ(base.bootstrap->seed, 99u);
        for (unsigned threads : {1u, 2u, 7u}) {
            const Results other = c.analyze(withBootstrap(run.replicates, 99, threads));
            EXPECT_TRUE(sameSummary(*other.bootstrap, *base.bootstrap))
                << run.name << ", " << threads << " threads";
            // The run's own numbers are those of a run without the bootstrap.
            EXPECT_TRUE(sameIndices(runIndices(other), runIndices(c.analyze(AnalysisOptions{}))));
        }
        const Results reseeded = c.analyze(withBootstrap(run.replicates, 100, 2));
        EXPECT_NE(reseeded.bootstrap->overall.consistency.se,
                  base.bootstrap->overall.consistency.se);
    }
}

TEST(Bootstrap, TakesTwoReplicatesAndRefusesOne) {
    const Case c(ScratchCase::fixture("valid-02"));
    const Results two = c.analyze(withBootstrap(2));
    ASSERT_TRUE(two.bootstrap);
    EXPECT_EQ(two.bootstrap->replicates, 2);
    EXPECT_TRUE(std::isfinite(two.bootstrap->overall.consistency.se));
    EXPECT_FALSE(c.analyze(AnalysisOptions{}).bootstrap);

    // Refused before any data is read.
    class NoData : public DataSource {
      public:
        std::int32_t readSet(std::size_t, std::int32_t, const RecordSink&) override {
            ADD_FAILURE() << "data read";
            return 0;
        }
        std::string sourceName(std::size_t) const override { return "none"; }
    } none;
    for (std::int64_t b : {1, -1, -1000}) {
        EXPECT_THROW(analyze(c.card(), none, withBootstrap(b)), InputError) << b;
    }
    EXPECT_NO_THROW(planRun(c.card(), withBootstrap(0)));
    EXPECT_NO_THROW(planRun(c.card(), withBootstrap(2)));
}

TEST(Bootstrap, ReportsProgressOnTheCallingThreadFromNoneToAll) {
    const Case c(ScratchCase::fixture("bias-01"));
    for (unsigned threads : {1u, 3u}) {
        AnalysisHooks hooks;
        std::vector<std::int64_t> done;
        const std::thread::id caller = std::this_thread::get_id();
        hooks.onBootstrapProgress = [&](std::int64_t d, std::int64_t total) {
            EXPECT_EQ(total, 37);
            EXPECT_EQ(std::this_thread::get_id(), caller);
            done.push_back(d);
            return BootstrapStep::Continue;
        };
        c.analyze(withBootstrap(37, 5, threads), hooks);
        ASSERT_GE(done.size(), 2u);
        EXPECT_EQ(done.front(), 0);
        EXPECT_EQ(done.back(), 37);
        EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    }
}

// Stop, as R answers an interrupt: no further replicate is started, nothing
// more is asked, and the run ends without a result.
TEST(Bootstrap, StopsBetweenReplicatesWhenItsCallerSaysSo) {
    struct StopCase {
        const char* name;
        bool example;
        int bias;
        std::int64_t stopAt;
    };
    for (const StopCase& s : {StopCase{"bias-01", false, -1, 0}, StopCase{"bias-01", false, -1, 6},
                              StopCase{"gcbs", true, 0, 100}}) {
        const Case c(s.example ? ScratchCase::example(s.name) : ScratchCase::fixture(s.name),
                     s.bias);
        for (unsigned threads : {1u, 2u}) {
            AnalysisHooks hooks;
            std::int64_t calls = 0, afterStop = 0, lastDone = -1;
            bool stopped = false;
            hooks.onBootstrapProgress = [&](std::int64_t done, std::int64_t) {
                ++calls;
                if (stopped) ++afterStop;
                lastDone = done;
                stopped = stopped || done >= s.stopAt;
                return stopped ? BootstrapStep::Stop : BootstrapStep::Continue;
            };
            EXPECT_THROW(c.analyze(withBootstrap(2000, 5, threads), hooks), BootstrapStopped)
                << s.name << ", " << threads << " threads";
            EXPECT_EQ(afterStop, 0);
            EXPECT_LT(lastDone, 2000);
            EXPECT_GE(calls, 1);
        }
    }
}

}  // namespace
}  // namespace tl
