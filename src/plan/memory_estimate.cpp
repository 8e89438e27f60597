#include "plan/memory_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/errors.h"
#include "platform/physical_memory.h"

namespace tl {

namespace {

// Bytes the allocator adds to each block, at the least.
constexpr double kBlock = 16.0;
// One set of six agreement indices (consistency, chance, kappa, accuracy and
// the two error rates), and one cut's five diagnostic indices, as doubles.
constexpr double kIndexSet = 6 * 8.0;
constexpr double kCutDiagnostics = 5 * 8.0;

// What one replicate keeps: the overall and per-cut index sets, the
// diagnostic and agreement indices, two reliabilities, and each group
// level's indices; then the same again, a value at a time, as the spreads
// are taken.
double bytesPerReplicate(double cuts, double levels) {
    const double precision = 80.0 + cuts * kCutDiagnostics + (cuts + 1) * 16.0 + 2 * kBlock;
    double bytes = kIndexSet * (1 + cuts) + precision + 16.0;
    if (levels > 0) {
        const double level = 96.0 + cuts * (kIndexSet + kCutDiagnostics) + 2 * kBlock;
        bytes += 24.0 + kBlock + levels * (level + 8.0);
    }
    return bytes + 64.0;
}

// Without --max-memory, three quarters of the machine's memory: the rest is
// the system's, and the run's own data besides the bootstrap.
double limitOf(const RunPlan& plan) {
    if (plan.options.maxMemory > 0) return static_cast<double>(plan.options.maxMemory);
    return 0.75 * static_cast<double>(physicalMemoryBytes());
}

}  // namespace

std::uint64_t estimatedBootstrapBytes(const RunPlan& plan, const WorkSize& size) {
    const auto replicates = static_cast<double>(plan.options.bootstrapReplicates);
    if (replicates <= 0) return 0;
    const double cuts = std::max(1.0, static_cast<double>(plan.categoryCount - 1));
    const double n = std::max(1.0, static_cast<double>(size.examinees));
    const double threads = std::max(1.0, static_cast<double>(plan.options.threads));
    // The batch as the bootstrap sizes it, 4-byte indices; each thread also
    // holds a replicate's per-examinee values.
    const double batch =
        std::min(replicates, std::max(std::floor(kBootstrapBatchDraws / n), 4 * threads));
    const double perExaminee = batch * 4.0 + threads * 64.0;
    const double total =
        replicates * bytesPerReplicate(cuts, static_cast<double>(size.groupLevels)) +
        n * perExaminee;
    // Doubles carry any count that could be typed; the result saturates.
    return total >= 1.8e19 ? UINT64_MAX : static_cast<std::uint64_t>(total);
}

void refuseUnaffordableRun(const RunPlan& plan, const WorkSize& size) {
    const std::uint64_t needed = estimatedBootstrapBytes(plan, size);
    const double limit = limitOf(plan);
    if (needed == 0 || limit <= 0 || static_cast<double>(needed) <= limit) return;
    const std::string against = plan.options.maxMemory > 0
                                    ? "more than --max-memory " + memoryText(plan.options.maxMemory)
                                    : "more than " + memoryText(static_cast<std::uint64_t>(limit)) +
                                          " (three quarters of this machine's memory)";
    const std::string lower =
        std::string("ask for fewer replicates (--bootstrap, or bootstrap in the analysis file)") +
        (size.groupLevels > 0 ? " or group by fewer levels" : "");
    throw InputError("the bootstrap of " + std::to_string(plan.options.bootstrapReplicates) +
                     " replicates would need about " + memoryText(needed) + " of memory, " +
                     against + ": " + lower +
                     ", or set the limit with --max-memory SIZE (for example 64GB)");
}

std::string memoryText(std::uint64_t bytes) {
    static const char* const units[] = {"bytes", "kB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1000.0 && unit < 6) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    if (unit == 0)
        std::snprintf(text, sizeof text, "%.0f %s", value, units[unit]);
    else
        std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

}  // namespace tl
