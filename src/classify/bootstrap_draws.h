#pragma once

#include <cstdint>
#include <random>
#include <span>

namespace tl {

// The examinees of bootstrap replicates, drawn with replacement from one
// 64-bit Mersenne twister seeded with the run's seed. The mapping from the
// generator's output to an examinee is our own (the standard distributions
// differ between libraries), so a seed gives the same samples everywhere.
class ExamineeDraws {
  public:
    explicit ExamineeDraws(std::uint64_t seed) : engine_(seed) {}

    // Uniform on 0 .. n - 1 (n >= 1): the top 32 bits x of an output, taken
    // as the high word of x n, with the outputs whose low word falls below
    // 2^32 mod n rejected so that every value is equally likely.
    std::uint32_t below(std::uint32_t n);

    // Fills `sample` with draws below n, in order.
    void drawSample(std::uint32_t n, std::span<std::uint32_t> sample);

  private:
    std::mt19937_64 engine_;
};

}  // namespace tl
