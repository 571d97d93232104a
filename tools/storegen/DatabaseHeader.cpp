#include "tools/storegen/DatabaseHeader.h"

#include <cstring>

#include "tools/storegen/EseLayout.h"
#include "tools/storegen/PageChecksum.h"

namespace tarnwick::storegen {

namespace hd = ese::header;

namespace {
// A fixed log time (seconds, minutes, hours, day, month, year - 1900): 7 Dec 2026 12:00:00,
// so the same scenario gives the same bytes.
void putLogTime(Bytes& b, std::size_t at) {
  const std::uint8_t t[8] = {0, 0, 12, 7, 12, 126, 0, 0};
  std::memcpy(b.data() + at, t, sizeof t);
}
}  // namespace

Bytes buildHeaderPage(const FormatTraits& traits, const HeaderFields& fields) {
  Bytes b(traits.pageSize, 0);
  put32(b, hd::kSignature, hd::kSignatureValue);
  put32(b, hd::kFormatVersion, hd::kFormatVersionValue);
  put32(b, hd::kFileType, fields.fileType);
  put64(b, hd::kDatabaseTime, fields.databaseTime);
  // Database signature: random number, creation time, computer name.
  put32(b, hd::kDatabaseSignature, fields.randomSignature);
  putLogTime(b, hd::kDatabaseSignature + 4);
  const char computer[] = "TARNWICK-GEN";
  std::memcpy(b.data() + hd::kDatabaseSignature + 12, computer, sizeof computer - 1);
  put32(b, hd::kDatabaseState, hd::kStateCleanShutdown);
  putLogTime(b, hd::kConsistentTime);
  putLogTime(b, hd::kAttachTime);
  putLogTime(b, hd::kDetachTime);
  put32(b, hd::kLastObjectId, fields.lastObjectId);
  put32(b, hd::kMajorVersion, traits.majorVersion);
  put32(b, hd::kMinorVersion, traits.minorVersion);
  put32(b, hd::kBuildNumber, traits.buildNumber);
  put32(b, hd::kServicePack, traits.servicePack);
  put32(b, hd::kFormatRevision, traits.formatRevision);
  put32(b, hd::kPageSize, traits.pageSize);
  put32(b, hd::kCreationFormatVersion, hd::kFormatVersionValue);
  put32(b, hd::kCreationFormatRevision, traits.formatRevision);
  put32(b, hd::kChecksum, xorChecksumOldFormat(b));
  return b;
}

}  // namespace tarnwick::storegen
