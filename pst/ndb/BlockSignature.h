#pragma once

#include <cstdint>
#include <span>

#include "pst/ndb/Ids.h"

namespace tarnwick::pst {

/// wSig of page and block trailers: the offset xor the id, folded to 16 bits.
std::uint16_t computeSignature(FileOffset ib, Bid bid);

}  // namespace tarnwick::pst
