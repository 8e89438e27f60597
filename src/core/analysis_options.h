#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/model_choice.h"
#include "core/scale_table.h"
#include "core/sweep_options.h"

namespace tl {

// How raw-score and composite distributions are found. Enumeration visits every
// count vector and every combination of set raw scores; convolution adds one
// item (one set) at a time and gives the same probabilities up to rounding.
// Auto enumerates wherever the work limits allow and convolves only where they
// would refuse the card, so that every card that could be enumerated keeps its
// report to the last bit.
enum class Engine { Auto, Enumerate, Convolve };

// The engines by the names the command line, analysis files and R give them,
// in the order of Engine.
inline constexpr std::array<std::string_view, 3> kEngineNames{"auto", "enumerate", "convolve"};

// The engine called `name`; none when it is not one of kEngineNames.
inline std::optional<Engine> engineNamed(std::string_view name) {
    for (std::size_t e = 0; e < kEngineNames.size(); ++e) {
        if (kEngineNames[e] == name) return static_cast<Engine>(e);
    }
    return std::nullopt;
}

// The smallest bootstrap: a single replicate has no spread.
inline constexpr std::int64_t kMinBootstrapReplicates = 2;

// The most threads a run may be asked for: beyond the machine's cores they
// only cost memory, and a count of billions is a typing slip.
inline constexpr unsigned kMaxThreads = 1024;

// What a run is asked for beyond its control card, as the command line or R
// gives it. One value with one set of defaults travels unchanged from there to
// the analysis; the run plan checks it.
struct AnalysisOptions {
    unsigned threads = 0;  // 0: every hardware thread; any count gives the same bits
    Engine engine = Engine::Auto;
    // Also tabulate per-cut indices, K x K tables and conditional results.
    bool tables = false;
    // Bootstrap replicates (0: none; otherwise at least kMinBootstrapReplicates)
    // and the seed of their draws.
    std::int64_t bootstrapReplicates = 0;
    std::uint64_t seed = 1;
    // The memory a run may plan to use, in bytes; 0: the machine's physical
    // memory. A run whose estimate is larger is refused before it allocates.
    std::uint64_t maxMemory = 0;
    // Scale scores beside the raw composite, when a conversion table is given.
    std::optional<ScaleRequest> scale;
    // The error model, its method and settings.
    ModelChoice model;
    // The what-if sweep over every possible single cut, when asked for.
    std::optional<SweepOptions> sweep;
    // The multinomial's fit check (every other model's runs always): its
    // first pass's composite distributions summed against the observed
    // composites.
    bool fit = false;
    // Keep each bootstrap replicate's compared indices: the run is one of
    // several models compared on the same draws.
    bool keepReplicates = false;

    bool operator==(const AnalysisOptions&) const = default;
};

}  // namespace tl
