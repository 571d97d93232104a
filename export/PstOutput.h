#pragma once

#include "export/WriterInterfaces.h"

#include <memory>

namespace tarnwick::exporter {

// The PST output: one .pst file per output store, written by our own PST writer.
class PstOutputFactory : public OutputFormatFactory {
 public:
  std::string extension() const override { return ".pst"; }
  std::unique_ptr<OutputStore> newStore() override;
};

}  // namespace tarnwick::exporter
