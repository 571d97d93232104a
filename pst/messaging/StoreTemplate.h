#pragma once

#include <cstdint>
#include <span>

#include "pst/ltp/TableContextBuilder.h"

/// What a new store holds before anything is added to it: the table column sets of its
/// folders and templates, the internal nodes kept as they are, and the first named
/// properties.
namespace tarnwick::pst::store_template {

std::span<const TableColumn> hierarchyTableColumns();
std::span<const TableColumn> contentsTableColumns();
std::span<const TableColumn> assocContentsTableColumns();
std::span<const TableColumn> searchContentsTableColumns();
std::span<const TableColumn> receiveFolderTableColumns();
std::span<const TableColumn> outgoingQueueTableColumns();
std::span<const TableColumn> attachmentTableColumns();
std::span<const TableColumn> recipientTableColumns();
std::span<const TableColumn> template6b6Columns();
std::span<const TableColumn> template6d7Columns();
std::span<const TableColumn> template6f8Columns();
std::span<const TableColumn> topHierarchyTableColumns();
std::span<const TableColumn> topContentsTableColumns();
std::span<const TableColumn> searchRootHierarchyTableColumns();
std::span<const TableColumn> commonViewsAssocTableColumns();
std::span<const std::uint8_t> searchActivityListData();
std::span<const std::uint8_t> node0c01Data();
std::span<const std::uint8_t> node0e01Data();
std::span<const std::uint8_t> node0ee1Data();
std::span<const std::uint8_t> node0f01Data();
std::span<const std::uint8_t> nameMapGuidStream();
std::span<const std::uint8_t> nameMapEntryStream();
std::span<const std::uint8_t> nameMapStringStream();

}  // namespace tarnwick::pst::store_template
