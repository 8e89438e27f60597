#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plan/run_plan.h"

namespace tl {

// Examinee draws of one bootstrap batch (about 16 MB of sample indices): a
// batch's samples are drawn before its replicates run in parallel.
inline constexpr std::size_t kBootstrapBatchDraws = std::size_t{1} << 22;

// What the estimate needs that the plan cannot know before the data is read.
struct WorkSize {
    std::int64_t examinees = 1;
    std::int64_t groupLevels = 0;
};

// A cheap, generous estimate of the memory the run's largest allocation
// takes: the bootstrap keeps every index of every replicate (of every group
// level) until their spreads are taken, and draws its samples a batch at a
// time. 0 without a bootstrap.
std::uint64_t estimatedBootstrapBytes(const RunPlan& plan, const WorkSize& size);

// Throws InputError when the estimate exceeds options.maxMemory or, when that
// is 0, the machine's physical memory: one line with the estimate, the limit,
// and the options that lower the one or raise the other.
void refuseUnaffordableRun(const RunPlan& plan, const WorkSize& size);

// "23.4 GB": bytes in decimal units, for these messages.
std::string memoryText(std::uint64_t bytes);

}  // namespace tl
