#pragma once

#include <cstdint>
#include <string>

// Every line the console dialogue can show, in one place, so that a text is
// never typed twice and every number in it comes from its constant.
namespace tl::messages {

inline constexpr const char* kPrompt = "Enter control card file name:";
inline constexpr const char* kSuccess = "Successful execution!";
inline constexpr const char* kPause = "Press Enter to continue.";
inline constexpr const char* kNegativeFactorial = "negative factorial in factln";
inline constexpr const char* kDataFileNotFound = "Error! Data file is not found!";
inline constexpr const char* kCutsOutOfRange = "Error! Cut scores are out of score range!";

std::string missingFile(const std::string& name);
std::string tooManyItemSets();
std::string tooManyScorePoints();
std::string categoryCountOutOfRange(std::int64_t count);
std::string noCompleteRecord(const std::string& dataFile, std::int32_t itemCount);
std::string reliabilityBlocksBiasCorrection(double reliability);

// Refusals of cards the model cannot run: "Error! " and the reason.
std::string refusal(const std::string& reason);

}  // namespace tl::messages
