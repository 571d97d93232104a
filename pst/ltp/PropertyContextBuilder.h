#pragma once

#include <vector>

#include "pst/ltp/Hid.h"
#include "pst/ltp/NodeContent.h"
#include "pst/ltp/Property.h"

namespace tarnwick::pst {

class NodeDatabaseWriter;

/// Writes a property context: a heap whose BTH maps property ids to values; values over
/// the heap's limit go to subnodes of the node. `subnodes` may already hold other
/// subnodes of the node (tables, attachments); the tree is written here.
class PropertyContextBuilder {
 public:
  static NodeContent write(NodeDatabaseWriter& db, std::vector<Property> properties, SubnodeTreeWriter& subnodes,
                           std::uint32_t& nextLocalNid);
};

/// Stores a value in the heap, or in a new subnode when it is too large; returns the HNID
/// (0 for an empty value).
class HeapBuilder;
Hnid storeVariableValue(NodeDatabaseWriter& db, HeapBuilder& heap, const Property& p, SubnodeTreeWriter& subnodes,
                        std::uint32_t& nextLocalNid);

}  // namespace tarnwick::pst
