#pragma once

#include "export/ItemContent.h"
#include "export/WriterInterfaces.h"
#include "store/BodySource.h"

#include <cstdint>
#include <string>

namespace tarnwick::exporter {

// A body as a writer takes it: UTF-8 text and its kind.
struct WriterBody {
  std::string text;
  BodyKind kind = BodyKind::Utf16Text;
};

// Turns a stored body into writer text. A plain Unicode body ('p') and any body of the
// UTF-16 form are read as UTF-16LE; everything else as 8-bit Windows-1252 text. For the
// item kind other (`kindOther`), a 'p' buffer whose second byte is not zero and that
// holds a space byte is 8-bit text, unless a high byte of zero shows it is UTF-16 (text
// beyond Latin-1 with a space or a digit in it). Text ends at its first terminator.
WriterBody toWriterBody(const StoredItemBody& body, store::BodySource bodySource, bool kindOther);

}  // namespace tarnwick::exporter
