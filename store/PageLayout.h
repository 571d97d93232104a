#pragma once

#include <cstddef>
#include <cstdint>

// The slice of the ESE on-disk format the store reader understands: the database header's
// page-size field, the page header fields that say which table a page belongs to, how
// many tags it has and whether it is a branch page, and the tag array at the page's end.
// Every other file speaks in these names.
namespace tarnwick::store::layout {

// Database header: the first 512 bytes of the file.
inline constexpr std::size_t kDatabaseHeaderLength = 512;
inline constexpr std::size_t kHeaderPageSizeOffset = 236;  // u32 LE, page size in bytes
inline constexpr std::size_t kHeaderSignatureOffset = 4;   // u32 LE, kHeaderSignature in ESE files
inline constexpr std::uint32_t kHeaderSignature = 0x89ABCDEF;

// Supported page sizes (see PageSizeClass).
inline constexpr std::uint32_t kPageSize4K = 4096;    // class 0
inline constexpr std::uint32_t kPageSize8K = 8192;    // class 1
inline constexpr std::uint32_t kPageSize32K = 32768;  // class 2

// Page header fields (offsets from the start of a page).
inline constexpr std::size_t kPageOwnerObjectIdOffset = 24;  // u32 LE, owning table's object id
inline constexpr std::size_t kPageTagCountOffset = 34;       // u16 LE, entries in the tag array
// The page flags at offset 36 are named in PageFlags.h.

// Object id that the catalogue's pages carry.
inline constexpr std::uint32_t kCatalogueObjectId = 2;

// Page header length; record offsets in the tag array count from its end.
inline constexpr std::size_t kPageHeaderLengthSmall = 40;  // classes 0 and 1
inline constexpr std::size_t kPageHeaderLengthLarge = 80;  // class 2

// Tag array: 4-byte tags at the end of the page, each a size word then an offset word.
inline constexpr std::size_t kTagLength = 4;
inline constexpr std::size_t kTagSizeWordOffset = 0;
inline constexpr std::size_t kTagOffsetWordOffset = 2;
inline constexpr std::uint16_t kTagMask4K = 0x0FFF;
inline constexpr std::uint16_t kTagMask8K = 0x1FFF;
inline constexpr std::uint16_t kTagMask32K = 0x7FFF;

// The record locator fills at most this many slots per page.
inline constexpr std::size_t kMaxRecordSlots = 800;

}  // namespace tarnwick::store::layout
