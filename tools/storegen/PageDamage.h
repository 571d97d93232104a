#pragma once

// Damage done to a written store on request: zeroed pages, pages of random bytes, tag
// arrays overwritten with random words, a truncated file. Pages are picked with the rng
// (or named in the scenario); the report lists exactly what was damaged.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/storegen/Rng.h"
#include "tools/storegen/Scenario.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

struct DamageReport {
  std::vector<std::uint32_t> zeroed;
  std::vector<std::uint32_t> randomized;
  std::vector<std::uint32_t> scrambledTags;
  std::optional<std::uint64_t> truncatedTo;
};

// `pageCount`: the highest page number of the store. Picked pages are distinct and never
// the database root (page 1).
DamageReport applyDamage(const std::string& edbPath, const FormatTraits& traits, std::uint32_t pageCount,
                         const DamageRequest& request, Rng& rng);

}  // namespace tarnwick::storegen
