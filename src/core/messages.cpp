#include "core/messages.h"

#include "core/counted.h"
#include "core/limits.h"
#include "core/number_field.h"

namespace tl::messages {

std::string missingFile(const std::string& name) {
    // The name stands in a 30-column field; a longer one is written whole,
    // followed by one blank so that it does not run into the words.
    const bool longName = name.size() > static_cast<std::size_t>(kFileNameLength);
    return "Error! File: " + textField(name, kFileNameLength) + (longName ? " " : "") +
           "does not exist";
}

std::string tooManyItemSets() {
    return "# item sets greater than " + std::to_string(kMaxItemSets) + ": Stopped!";
}

std::string tooManyScorePoints() {
    return "# score categories greater than " + std::to_string(kMaxScorePoints) + ": Stopped!";
}

std::string categoryCountOutOfRange(std::int64_t count) {
    return refusal("The number of categories must be from " + std::to_string(kMinCategories) +
                   " to " + std::to_string(kMaxCategories) + ", not " + std::to_string(count) +
                   ".");
}

std::string noCompleteRecord(const std::string& dataFile, std::int32_t itemCount) {
    return refusal("The data file " + dataFile + " holds no complete record of " +
                   counted(itemCount, "item score", "item scores") + ".");
}

std::string reliabilityBlocksBiasCorrection(double reliability) {
    std::string shown = realField(reliability, 12, 5);
    shown.erase(0, shown.find_first_not_of(' '));
    return refusal("The reliability (" + shown +
                   ") does not allow bias correction; run without it.");
}

std::string refusal(const std::string& reason) {
    return "Error! " + reason;
}

}  // namespace tl::messages
