#pragma once

#include "store/PageSizeClass.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarnwick::analysis {

// A name in a catalogue page that may be the name of a message-header table, with the
// numbers its catalogue record holds before it.
struct HeaderTableCandidate {
  std::int64_t namePosition = 0;
  std::string storedName;  // the stored name over its stored length, in upper case
  std::uint32_t objectId = 0;
  std::uint32_t rootPage = 0;
};

// Finds the header-table names of one catalogue page: in each tag, the first place after a
// byte 0x80 whose fourth following byte is "-" (4 KB/8 KB names such as "1-1C"), or the
// first "MsgHeader-" (32 KB names). Places whose stored length does not fit, or whose
// record gives the object id 0, are left out. Never reads outside `page`.
std::vector<HeaderTableCandidate> findHeaderTableCandidates(std::span<const std::uint8_t> page,
                                                            store::PageSizeClass pageSizeClass);

}  // namespace tarnwick::analysis
