#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tl {

// How much a finding weighs. A data misfit is data that does not fit its card
// or file (scores that match no point, records laid out unlike the card):
// a warning, unless the run is strict, where it refuses the run.
enum class Severity { Note, Warning, DataMisfit, Error };

// What was found, one code a kind. Front ends tell findings apart by code
// alone, never by their text; the names (findingCodeName) are stable.
enum class FindingCode {
    // Errors the run detects and shows as a console line.
    CardFileMissing,        // card.file_missing
    TooManyItemSets,        // card.too_many_sets
    TooManyScorePoints,     // card.too_many_points
    CategoryCount,          // card.category_count
    CutsOutOfRange,         // card.cuts_out_of_range
    CardRefused,            // card.refused: a card the model cannot run
    DataFileMissing,        // data.file_missing
    NoCompleteRecord,       // data.no_complete_record
    ReliabilityBlocksBias,  // model.reliability_blocks_correction
    // Errors on standard error.
    InputMalformed,   // input.malformed: a file that cannot be read as asked
    AnalysisFileKey,  // analysis.key: a key of an analysis file
    ColumnUnknown,    // table.unknown_column
    OutputUnsafe,     // output.unsafe: a write onto an input or another output
    OutputFailed,     // output.failed: a file or folder that cannot be written
    StrictRefusal,    // run.strict: a data misfit under strict
    OptionInvalid,    // run.option: a run option out of range or in conflict
    CutsLabelCount,   // cuts.label_count: cuts given for a run no longer fit its labels
    OutOfMemory,      // run.memory
    Internal,         // run.internal
    ModelRefused,     // model.refused: a model, method or setting the run cannot use
    // The beta-binomial model's refusals: scores it cannot fit.
    ModelEffectiveLength,   // model.effective_length: an effective test length below 2
    ModelReliabilityRange,  // model.reliability_range: a reliability not inside (0, 1)
    ModelNoVariance,        // model.no_variance: scores that do not vary
    ModelHbNotDichotomous,  // model.hb_not_dichotomous: number-correct error on other scores
    ModelNoBetaFit,         // model.no_beta_fit: no beta matches the true-score moments
    // Errors of an item parameter table and its match with the item sets.
    IrtColumns,        // irt.columns: a header the table cannot be read with
    IrtUnknownModel,   // irt.unknown_model
    IrtParameter,      // irt.parameter: a value missing or one the model does not take
    IrtDuplicateItem,  // irt.duplicate_item
    IrtAsymptote,      // irt.asymptote: c or u outside [0, 1], or c >= u
    IrtBoundaries,     // irt.boundaries: graded boundaries that do not increase
    IrtMissingItem,    // irt.missing_item: an item of a set without parameters
    IrtCategoryCount,  // irt.category_count: categories unlike the set's score points
    IrtPopulation,     // irt.population: a population table that cannot be used
    IrtTheta,          // irt.theta: an ability or its SE in the data table that cannot be used
    // Data misfits.
    UnmatchedScores,  // data.unmatched_scores
    SpanningRecords,  // data.spanning_records
    ExtraValues,      // data.extra_values
    EmptyLastField,   // data.empty_last_field
    ExtraRecords,     // data.extra_records
    // Warnings.
    SingleSetWeight,        // cuts.single_set_weight
    EmptyObservedCategory,  // cuts.empty_observed_category
    EmptyTrueCategory,      // cuts.empty_true_category
    DecreasingScaleTable,   // scale.decreasing
    CardNameCut,            // card.name_cut
    CardDecimalComma,       // card.decimal_comma
    CardDataFileAbsent,     // card.data_file_absent
    PromptNameCut,          // prompt.name_cut
    ItemInTwoSets,          // table.item_in_two_sets
    DuplicateIds,           // table.duplicate_ids
    IrtExtraItem,           // irt.extra_item: parameters for an item in no set
    IrtSlope,               // irt.slope: a discrimination not above 0
    ModelMisfit,            // model.misfit: observed scores unlike the fitted model's
    LevelUnlabelled,        // table.unlabelled_level: a grouping value without a label
    // Notes.
    RowsOmitted,         // table.rows_omitted
    MissingScored,       // table.missing_scored
    SetConvolved,        // engine.set_convolved
    CompositeConvolved,  // engine.composite_convolved
    NegativeFactorial,   // model.negative_factorial
    OutputLeftovers,     // output.leftovers: a killed run's files removed, its lock taken
};

// One thing a run found, with the values it names. `text` is the one line a
// front end shows (without "tesserlink: warning: " and the like); it is made
// where the finding is made, from the code and these values, and nowhere else.
struct Finding {
    FindingCode code = FindingCode::InputMalformed;
    Severity severity = Severity::Error;
    std::string text;
    // What it names, where it names it (empty or 0: not named).
    std::string file;
    std::int64_t line = 0;
    std::string column;
    std::string key;      // an analysis file's key, "sets[2].points"
    std::string value;    // the offending value as written
    std::string closest;  // the closest known name, for a name not found
    // An error the run detects keeps its console line: the card route shows
    // it as it always has.
    std::string consoleLine;

    bool operator==(const Finding&) const = default;
};

// "data.unmatched_scores": the code's stable name.
std::string_view findingCodeName(FindingCode code);
// The code of a name, for front ends that receive names.
std::optional<FindingCode> findingCodeNamed(std::string_view name);
// Every code, in declaration order (for tables and tests).
const std::vector<FindingCode>& allFindingCodes();
// "note", "warning", "data misfit", "error".
std::string_view severityName(Severity severity);

// The prefix the command line puts before a finding's text on standard error:
// "warning: " for warnings and data misfits, "note: " for notes.
std::string_view severityPrefix(Severity severity);

}  // namespace tl
