#include "core/finding.h"

#include <array>
#include <utility>

namespace tl {

namespace {

// Each code with its stable name, in declaration order.
constexpr std::array<std::pair<FindingCode, std::string_view>, 60> kNames{{
    {FindingCode::CardFileMissing, "card.file_missing"},
    {FindingCode::TooManyItemSets, "card.too_many_sets"},
    {FindingCode::TooManyScorePoints, "card.too_many_points"},
    {FindingCode::CategoryCount, "card.category_count"},
    {FindingCode::CutsOutOfRange, "card.cuts_out_of_range"},
    {FindingCode::CardRefused, "card.refused"},
    {FindingCode::DataFileMissing, "data.file_missing"},
    {FindingCode::NoCompleteRecord, "data.no_complete_record"},
    {FindingCode::ReliabilityBlocksBias, "model.reliability_blocks_correction"},
    {FindingCode::InputMalformed, "input.malformed"},
    {FindingCode::AnalysisFileKey, "analysis.key"},
    {FindingCode::ColumnUnknown, "table.unknown_column"},
    {FindingCode::OutputUnsafe, "output.unsafe"},
    {FindingCode::OutputFailed, "output.failed"},
    {FindingCode::StrictRefusal, "run.strict"},
    {FindingCode::OptionInvalid, "run.option"},
    {FindingCode::ModelRefused, "model.refused"},
    {FindingCode::ModelEffectiveLength, "model.effective_length"},
    {FindingCode::ModelReliabilityRange, "model.reliability_range"},
    {FindingCode::ModelNoVariance, "model.no_variance"},
    {FindingCode::ModelHbNotDichotomous, "model.hb_not_dichotomous"},
    {FindingCode::ModelNoBetaFit, "model.no_beta_fit"},
    {FindingCode::ModelMisfit, "model.misfit"},
    {FindingCode::CutsLabelCount, "cuts.label_count"},
    {FindingCode::OutOfMemory, "run.memory"},
    {FindingCode::Internal, "run.internal"},
    {FindingCode::IrtColumns, "irt.columns"},
    {FindingCode::IrtUnknownModel, "irt.unknown_model"},
    {FindingCode::IrtParameter, "irt.parameter"},
    {FindingCode::IrtDuplicateItem, "irt.duplicate_item"},
    {FindingCode::IrtAsymptote, "irt.asymptote"},
    {FindingCode::IrtBoundaries, "irt.boundaries"},
    {FindingCode::IrtMissingItem, "irt.missing_item"},
    {FindingCode::IrtCategoryCount, "irt.category_count"},
    {FindingCode::IrtPopulation, "irt.population"},
    {FindingCode::IrtTheta, "irt.theta"},
    {FindingCode::UnmatchedScores, "data.unmatched_scores"},
    {FindingCode::SpanningRecords, "data.spanning_records"},
    {FindingCode::ExtraValues, "data.extra_values"},
    {FindingCode::EmptyLastField, "data.empty_last_field"},
    {FindingCode::ExtraRecords, "data.extra_records"},
    {FindingCode::SingleSetWeight, "cuts.single_set_weight"},
    {FindingCode::EmptyObservedCategory, "cuts.empty_observed_category"},
    {FindingCode::EmptyTrueCategory, "cuts.empty_true_category"},
    {FindingCode::DecreasingScaleTable, "scale.decreasing"},
    {FindingCode::CardNameCut, "card.name_cut"},
    {FindingCode::CardDecimalComma, "card.decimal_comma"},
    {FindingCode::CardDataFileAbsent, "card.data_file_absent"},
    {FindingCode::PromptNameCut, "prompt.name_cut"},
    {FindingCode::ItemInTwoSets, "table.item_in_two_sets"},
    {FindingCode::DuplicateIds, "table.duplicate_ids"},
    {FindingCode::IrtExtraItem, "irt.extra_item"},
    {FindingCode::IrtSlope, "irt.slope"},
    {FindingCode::LevelUnlabelled, "table.unlabelled_level"},
    {FindingCode::RowsOmitted, "table.rows_omitted"},
    {FindingCode::MissingScored, "table.missing_scored"},
    {FindingCode::SetConvolved, "engine.set_convolved"},
    {FindingCode::CompositeConvolved, "engine.composite_convolved"},
    {FindingCode::NegativeFactorial, "model.negative_factorial"},
    {FindingCode::OutputLeftovers, "output.leftovers"},
}};

}  // namespace

std::string_view findingCodeName(FindingCode code) {
    for (const auto& [c, name] : kNames) {
        if (c == code) return name;
    }
    return "run.internal";
}

std::optional<FindingCode> findingCodeNamed(std::string_view name) {
    for (const auto& [c, n] : kNames) {
        if (n == name) return c;
    }
    return std::nullopt;
}

const std::vector<FindingCode>& allFindingCodes() {
    static const std::vector<FindingCode> codes = [] {
        std::vector<FindingCode> out;
        for (const auto& entry : kNames) out.push_back(entry.first);
        return out;
    }();
    return codes;
}

std::string_view severityName(Severity severity) {
    switch (severity) {
        case Severity::Note:
            return "note";
        case Severity::Warning:
            return "warning";
        case Severity::DataMisfit:
            return "data misfit";
        case Severity::Error:
            break;
    }
    return "error";
}

std::string_view severityPrefix(Severity severity) {
    switch (severity) {
        case Severity::Note:
            return "note: ";
        case Severity::Warning:
        case Severity::DataMisfit:
            return "warning: ";
        case Severity::Error:
            break;
    }
    return "";
}

}  // namespace tl
