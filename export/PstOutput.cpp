#include "export/PstOutput.h"

#include "pst/PstMailWriter.h"

namespace tarnwick::exporter {

namespace {

// A PST file: our PST writer is the output store's mail writer; contact writers work in
// the store it has open.
class PstFileStore : public OutputStore {
 public:
  MailWriter& mail() override { return writer_; }
  std::unique_ptr<ContactWriter> newContactWriter() override {
    return std::make_unique<pst::PstContactWriter>(writer_);
  }

 private:
  pst::PstMailWriter writer_;
};

}  // namespace

std::unique_ptr<OutputStore> PstOutputFactory::newStore() { return std::make_unique<PstFileStore>(); }

}  // namespace tarnwick::exporter
