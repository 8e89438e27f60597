#include "job/control_card_reader.h"

#include "core/limits.h"
#include "job/list_read.h"
#include "core/errors.h"
#include "core/messages.h"

namespace tl {

namespace {

void skipHeading(FreeFormatReader& reader, const std::string& what) {
    if (!reader.skipLine()) throwEndOfInput(reader, what);
}

std::string setLabel(int s) { return "set " + std::to_string(s); }

void readItemSet(FreeFormatReader& reader, int s, ItemSet& set) {
    const std::string label = setLabel(s);
    skipHeading(reader, "the heading line of " + label);
    {
        ListRead read(reader, "the weight of " + label);
        read.real(set.weight);
        read.finish();
    }
    {
        ListRead read(reader, "the number of items of " + label);
        read.integer(set.itemCount);
        read.finish();
    }
    {
        ListRead read(reader, "the number of score points of " + label);
        read.integer(set.scorePointCount);
        read.finish();
    }
    {
        ListRead read(reader, "the score points of " + label);
        // Only the first fifteen values are kept: a set with more is stopped
        // when it is reached, and the rest must not land anywhere.
        const std::int32_t kept =
            set.scorePointCount < kMaxScorePoints ? set.scorePointCount : kMaxScorePoints;
        set.scorePoints.assign(kept > 0 ? static_cast<std::size_t>(kept) : 0, 0.0);
        for (double& point : set.scorePoints) read.real(point);
        set.highestScorePoint = set.scorePoints.empty() ? 0.0 : set.scorePoints.back();
        if (set.scorePointCount > kept) {
            read.realsKeepingLast(set.scorePointCount - kept, set.highestScorePoint);
        }
        read.finish();
    }
    {
        ListRead read(reader, "the data file name of " + label);
        read.text(set.dataFile);
        read.finish();
        set.dataFile = fileNameOf(set.dataFile);
    }
}

void readCuts(FreeFormatReader& reader, std::int32_t count, std::vector<double>& cuts,
              const std::string& what) {
    ListRead read(reader, what);
    cuts.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0.0);
    for (double& cut : cuts) read.real(cut);
    read.finish();
}

}  // namespace

std::string fileNameOf(std::string value) {
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    return value;
}

ControlCard readControlCard(std::string_view text, const std::string& fileName) {
    FreeFormatReader reader(text, fileName);
    ControlCard card;

    skipHeading(reader, "the first heading line");
    {
        ListRead read(reader, "the number of item sets");
        read.integer(card.setCount);
        read.finish();
    }
    if (card.setCount > kMaxItemSets) throw DetectedError{messages::tooManyItemSets()};

    card.itemSets.resize(card.setCount > 0 ? static_cast<std::size_t>(card.setCount) : 0);
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        readItemSet(reader, static_cast<int>(s + 1), card.itemSets[s]);
    }

    skipHeading(reader, "the categories heading line");
    {
        ListRead read(reader, "the number of categories");
        read.integer(card.categoryCount);
        read.finish();
    }
    if (card.categoryCount > kMaxStoredCategories) {
        throw DetectedError{messages::categoryCountOutOfRange(card.categoryCount)};
    }
    // No cuts below two categories; the smallest count must not wrap around
    // into a huge one when one is subtracted.
    const std::int32_t cutCount = card.categoryCount > 1 ? card.categoryCount - 1 : 0;
    readCuts(reader, cutCount, card.observedCuts, "the observed cut scores");
    readCuts(reader, cutCount, card.trueCuts, "the true cut scores");

    skipHeading(reader, "the conditional results heading line");
    {
        ListRead read(reader, "the conditional results switch");
        read.integer(card.conditionalResults);
        read.finish();
    }
    skipHeading(reader, "the output file heading line");
    {
        ListRead read(reader, "the output file name");
        read.text(card.outputFile);
        read.finish();
        card.outputFile = fileNameOf(card.outputFile);
    }
    skipHeading(reader, "the bias correction heading line");
    {
        ListRead read(reader, "the bias correction switch");
        read.integer(card.biasCorrection);
        read.finish();
    }
    return card;
}

}  // namespace tl
