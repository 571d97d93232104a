#pragma once

#include <stdexcept>
#include <string>

namespace tarnwick::pst {

/// A failure while writing a PST file; the message names the file and what went wrong.
class PstError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tarnwick::pst
