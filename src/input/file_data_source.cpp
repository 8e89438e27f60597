#include "input/file_data_source.h"

#include <climits>

#include "core/errors.h"
#include "core/messages.h"
#include "input/record_reader.h"
#include "platform/text_file.h"

namespace tl {

std::int32_t FileDataSource::readSet(std::size_t set, std::int32_t examinees,
                                     const RecordSink& sink) {
    const ItemSet& itemSet = card_.itemSets[set];
    const std::optional<std::string> text = readTextFile(itemSet.dataFile);
    if (!text) throw DetectedError(messages::kDataFileNotFound, FindingCode::DataFileMissing);
    RecordReader reader(*text, itemSet.dataFile, itemSet.itemCount);
    std::int32_t count = 0;
    if (examinees < 0) {
        while (count < INT32_MAX && reader.next()) {
            sink(reader.scores(), reader.recordLine());
            ++count;
        }
    } else {
        for (; count < examinees; ++count) {
            if (!reader.next()) throw InputError(reader.cutShortMessage(examinees));
            sink(reader.scores(), reader.recordLine());
        }
    }
    if (layouts_.size() <= set) layouts_.resize(set + 1);
    if (!layouts_[set]) {
        if (examinees >= 0) reader.countRemainingRecords();
        layouts_[set] = reader.layout();
    }
    return count;
}

RecordLayout FileDataSource::layout(std::size_t set) const {
    return set < layouts_.size() && layouts_[set] ? *layouts_[set] : RecordLayout{};
}

}  // namespace tl
