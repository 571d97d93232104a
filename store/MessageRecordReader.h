#pragma once

#include "store/BodySource.h"
#include "store/PageSizeClass.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwick::store {

// Column ids of one message table, taken from the catalogue; 0 means "no such column".
struct MessageColumns {
  std::uint16_t address = 0;                // 'T': the recipient value
  std::uint16_t plainBody = 0;              // 'P'
  std::uint16_t htmlBody = 0;               // 'H'
  std::uint16_t rtfBody = 0;                // 'R'
  std::uint16_t attachments = 0;            // 'A': the attachment identifiers
  std::uint16_t startTime = 0;              // 'I'
  std::uint16_t endTime = 0;                // 'J'
  std::array<std::uint16_t, 18> contact{};  // contact texts by kind 0..17
  std::uint16_t appointmentContact = 0;     // named column 8225
  std::uint16_t appointmentTimeZone = 0;    // named column 810c
  std::uint16_t appointmentLocation = 0;    // named column 8201
  std::uint16_t senderAddress = 0;          // 'E': the sender's e-mail address
};

// Where a message record may start in a page: the position of its message id and the end
// of the record slot it lies in (both from the page start).
struct RecordCandidate {
  std::uint32_t position = 0;
  std::uint32_t slotEnd = 0;
};

using MessageIdBytes = std::array<std::uint8_t, 8>;
using LongValueKeyBytes = std::array<std::uint8_t, 4>;
using TimeBytes = std::array<std::uint8_t, 6>;

// Unpacks 7-bit packed text into at most `capacity` bytes; nothing when it cannot.
using SevenBitUnpacker =
    std::function<std::optional<std::vector<std::uint8_t>>(std::span<const std::uint8_t>, std::size_t)>;

// What the caller knows about the item being completed.
struct RecordReadOptions {
  bool streamingFileOpen = false;  // a 0x011B entry after the address column is honoured
  bool readsKindTexts = true;      // false for journal, task and note items: no contact or appointment texts
  bool needsThirdText = false;     // the header gave no third text
  SevenBitUnpacker unpack7Bit;     // 32 KB stores: compressed contact texts (may be empty)
};

struct RecordAppointment {
  std::u16string contact;   // column 8225
  std::u16string location;  // column 8201
  std::u16string timeZone;  // column 810c
  TimeBytes start{};
  TimeBytes end{};
};

// What one matched message record says about its message. Positions are file offsets.
struct MessageRecordFields {
  bool thirdFound = false;
  std::uint16_t thirdOffset = 0;  // position in the page of the record's first short text
  std::uint8_t thirdLength = 0;
  std::uint16_t addressLength = 0;
  std::uint64_t addressPosition = 0;
  std::optional<LongValueKeyBytes> addressKey;  // the address value is a long value
  BodySource bodySource = BodySource::Other;
  std::uint16_t bodyLength = 0;
  std::uint64_t bodyPosition = 0;
  std::optional<LongValueKeyBytes> bodyKey;                    // the body is a long value
  std::vector<MessageIdBytes> attachmentIds;                   // 8-byte attachment identifiers
  std::optional<std::array<std::u16string, 18>> contactSlots;  // in the slot order of the model
  std::optional<RecordAppointment> appointment;
  std::u16string senderAddress;  // empty when the record has none
};

// The record slots of a message-table page that may hold a message record (at most 800).
std::vector<RecordCandidate> findMessageRecordCandidates(std::span<const std::uint8_t> page,
                                                         PageSizeClass pageSizeClass);

// The start of the tagged-column directory of the record at `candidate` when it holds
// `messageId` and its directory is usable; nothing otherwise.
std::optional<std::uint32_t> matchMessageRecord(std::span<const std::uint8_t> page, PageSizeClass pageSizeClass,
                                                const RecordCandidate& candidate, const MessageIdBytes& messageId);

// Reads the matched record whose directory starts at `directory`. Every read stays inside
// `page`; an entry or value that does not fit ends the directory walk with what was read.
MessageRecordFields readMessageRecord(std::span<const std::uint8_t> page, std::uint64_t pageFileOffset,
                                      PageSizeClass pageSizeClass, const RecordCandidate& candidate,
                                      std::uint32_t directory, const MessageColumns& columns,
                                      const RecordReadOptions& options);

// The model's contact slot order: slot i holds the text of contact kind kContactSlotKinds[i].
inline constexpr std::array<std::size_t, 18> kContactSlotKinds = {11, 9, 16, 0,  1,  2,  3,  4,  5,
                                                                  6,  7, 8,  10, 12, 13, 14, 17, 15};

}  // namespace tarnwick::store
