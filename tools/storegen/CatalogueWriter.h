#pragma once

// The catalogue (MSysObjects, rooted at page 4) and its shadow copy: one row per table,
// column, index and long-value tree, each a record of the catalogue's own schema, keyed by
// (owning table, row type, id).

#include <vector>

#include "tools/storegen/BTreeWriter.h"
#include "tools/storegen/Schema.h"

namespace tarnwick::storegen {

// The catalogue's own table definition (MSysObjects or MSysObjectsShadow).
TableDef catalogueTableDef(const FormatTraits& traits, bool shadow, PageNumber root);

struct CatalogueResult {
  TreeStats catalogue;
  TreeStats shadow;
  std::uint64_t rows = 0;
};

// Writes both catalogue trees for `tables` (the catalogue's own definitions included).
CatalogueResult writeCatalogue(DatabaseFile& file, const std::vector<const TableDef*>& tables);

}  // namespace tarnwick::storegen
