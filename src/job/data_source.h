#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace tl {

// Receives one examinee's item scores on a set, in item order.
using RecordSink = std::function<void(std::span<const double> scores)>;

// Where the examinees' item scores come from: the data files the control card
// names, or scores a caller already holds in memory. Every pass asks for every
// set again, in card order.
class DataSource {
public:
    virtual ~DataSource() = default;

    // Hands the records of item set `set` (0-based) to `sink` in examinee order
    // and returns how many it handed. With `examinees` below zero every complete
    // record is taken: that count is the run's number of examinees. Otherwise
    // exactly `examinees` records are taken, and fewer is an error.
    virtual std::int32_t readSet(std::size_t set, std::int32_t examinees, const RecordSink& sink) = 0;
};

}  // namespace tl
