#include "job/data_file_reader.h"

#include "job/free_format_reader.h"
#include "job/number_syntax.h"
#include "job/run_errors.h"

namespace tl {

namespace {

enum class RecordEnd { Complete, CutShort };

std::string recordLabel(std::int64_t record) { return "record " + std::to_string(record); }

// Reads one record of n reals, handing each to onValue(item, value) in item
// order. A record must give every item score: a null value or a slash before
// the last item is a missing response, which the model cannot take.
template <class OnValue>
RecordEnd readRecord(FreeFormatReader& reader, std::int32_t n, std::int64_t record,
                     OnValue&& onValue) {
    reader.beginRead();
    for (std::int32_t item = 0; item < n; ++item) {
        const ReadItem value = reader.next();
        switch (value.kind) {
            case ReadItem::Kind::Value: {
                double score = 0.0;
                const ParseStatus status =
                    value.quoted ? ParseStatus::NotANumber : parseReal(value.text, score);
                if (status != ParseStatus::Ok) {
                    throw InputError(reader.where(value.line) + ": " + recordLabel(record) +
                                     ", item " + std::to_string(item + 1) + ": expected a number" +
                                     (status == ParseStatus::OutOfRange ? " in range" : "") +
                                     ", found " + quoteForMessage(value.text));
                }
                onValue(item, score);
                break;
            }
            case ReadItem::Kind::Null:
            case ReadItem::Kind::Slash:
                throw InputError(reader.where(value.line) + ": " + recordLabel(record) +
                                 " gives no score for item " + std::to_string(item + 1) +
                                 " (a missing response cannot be modelled)");
            case ReadItem::Kind::EndOfInput:
                return RecordEnd::CutShort;
        }
    }
    reader.endRead();
    return RecordEnd::Complete;
}

}  // namespace

std::int32_t countExaminees(std::string_view text, const std::string& fileName,
                            std::int32_t itemCount) {
    FreeFormatReader reader(text, fileName);
    std::int32_t count = 0;
    while (count < INT32_MAX &&
           readRecord(reader, itemCount, count + 1, [](std::int32_t, double) {}) ==
               RecordEnd::Complete) {
        ++count;
    }
    return count;
}

ProportionProfiles loadItemSet(std::string_view text, const std::string& fileName,
                               const ItemSet& set, std::int32_t examineeCount,
                               std::vector<double>& observedComposite, bool shareProfiles) {
    FreeFormatReader reader(text, fileName);
    // At most fifteen points are held; a set with more is stopped right after loading.
    const int k = static_cast<int>(set.scorePoints.size());
    const double n = static_cast<double>(set.itemCount);
    const std::vector<double>& points = set.scorePoints;
    ProportionProfiles profiles(k, shareProfiles, static_cast<std::size_t>(examineeCount));
    std::vector<double> counts(static_cast<std::size_t>(k));
    std::vector<double> proportions(static_cast<std::size_t>(k));

    for (std::int32_t e = 0; e < examineeCount; ++e) {
        std::fill(counts.begin(), counts.end(), 0.0);
        double& composite = observedComposite[static_cast<std::size_t>(e)];
        const RecordEnd end =
            readRecord(reader, set.itemCount, e + 1, [&](std::int32_t, double score) {
                composite = composite + set.weight * score;
                // Exact equality: a score that matches no point is counted nowhere.
                for (int m = 0; m < k; ++m) {
                    if (score == points[static_cast<std::size_t>(m)]) counts[m] += 1.0;
                }
            });
        if (end == RecordEnd::CutShort) {
            throw InputError(reader.where(reader.line()) + ": the file ends in " +
                             recordLabel(e + 1) + "; " + std::to_string(examineeCount) +
                             " complete records of " + std::to_string(set.itemCount) +
                             " item scores are needed");
        }
        for (int m = 0; m < k; ++m) proportions[m] = counts[m] / n;
        profiles.addExaminee(proportions);
    }
    return profiles;
}

}  // namespace tl
