#include "pst/ndb/BlockSignature.h"

namespace tarnwick::pst {

std::uint16_t computeSignature(FileOffset ib, Bid bid) {
  std::uint64_t v = ib.value ^ bid.value;
  return static_cast<std::uint16_t>(static_cast<std::uint16_t>(v >> 16) ^ static_cast<std::uint16_t>(v));
}

}  // namespace tarnwick::pst
