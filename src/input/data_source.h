#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/data_findings.h"
#include "core/examinee_groups.h"
#include "core/given_abilities.h"

namespace tl {

// Receives one examinee's item scores on a set, in item order, and the line of
// the data file the record begins on (0 when the scores come from elsewhere).
using RecordSink = std::function<void(std::span<const double> scores, std::int64_t line)>;

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
    virtual std::int32_t readSet(std::size_t set, std::int32_t examinees,
                                 const RecordSink& sink) = 0;

    // Where set `set`'s scores come from, and how its records were laid out
    // when it was first read.
    virtual std::string sourceName(std::size_t set) const = 0;
    virtual RecordLayout layout(std::size_t /*set*/) const { return {}; }

    // The groups whose results are asked for, each examinee's level in record
    // order; null when none are.
    virtual const ExamineeGroups* groups() const { return nullptr; }

    // Each examinee's ability estimate given with the scores; null when the
    // abilities are to be estimated from the responses.
    virtual const GivenAbilities* abilities() const { return nullptr; }
};

}  // namespace tl
