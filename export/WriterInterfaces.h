#pragma once

#include <memory>
#include <string>

#include "pst/MailWriter.h"

namespace tarnwick::exporter {

// The writer interfaces are the PST writer's own: the mail writer (stores, folders and
// every item kind except contacts) and the contact writer, with their body kinds and
// contact fields. The file-tree outputs (EML, mbox) implement the same interfaces.
using pst::AttachmentFile;
using pst::AttachmentList;
using pst::BodyKind;
using pst::ContactField;
using pst::ContactWriter;
using pst::MailWriter;

// One output store: the mail writer that owns it and the contact writers working in it.
class OutputStore {
 public:
  virtual ~OutputStore() = default;
  virtual MailWriter& mail() = 0;
  // A fresh contact writer over this store, for one contact.
  virtual std::unique_ptr<ContactWriter> newContactWriter() = 0;
};

// Makes the output stores of one format.
class OutputFormatFactory {
 public:
  virtual ~OutputFormatFactory() = default;
  // Ending of an output store's name: ".pst" for a file, "" for a folder tree.
  virtual std::string extension() const = 0;
  // A store not created yet; the engine calls CreateStore on its mail writer.
  virtual std::unique_ptr<OutputStore> newStore() = 0;
};

}  // namespace tarnwick::exporter
