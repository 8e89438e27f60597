#include "input/memory_data_source.h"

#include <span>
#include <string>

#include "core/counted.h"
#include "core/errors.h"

namespace tl {

std::int32_t MemoryDataSource::readSet(std::size_t set, std::int32_t examinees,
                                       const RecordSink& sink) {
    const std::string label = "item set " + std::to_string(set + 1);
    if (set >= sets_.size()) throw InputError(label + ": no scores were given");
    const ScoreMatrix& m = sets_[set];
    const auto width = static_cast<std::size_t>(m.columns);
    if (m.rows < 0 || m.columns < 0 ||
        m.values.size() != static_cast<std::size_t>(m.rows) * width) {
        throw InputError(label + ": the score matrix is not " + std::to_string(m.rows) + " by " +
                         std::to_string(m.columns));
    }
    const std::int32_t count = examinees < 0 ? m.rows : examinees;
    if (count > m.rows) {
        throw InputError(label + " has scores for " + counted(m.rows, "examinee", "examinees") +
                         "; " + std::to_string(count) + (count == 1 ? " is" : " are") + " needed");
    }
    for (std::int32_t e = 0; e < count; ++e) {
        sink(std::span<const double>(m.values.data() + static_cast<std::size_t>(e) * width, width),
             0);
    }
    return count;
}

}  // namespace tl
