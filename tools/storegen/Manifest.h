#pragma once

// manifest.json: what a generated store holds (schema in README.md).

#include <nlohmann/json.hpp>

#include "tools/storegen/StoreWriter.h"

namespace tarnwick::storegen {

inline constexpr int kManifestVersion = 2;

nlohmann::json manifestOf(const StoreReport& report);

}  // namespace tarnwick::storegen
