#pragma once

#include "pst/ndb/Ids.h"
#include "pst/ndb/SubnodeTreeWriter.h"

namespace tarnwick::pst {

/// What a node (or subnode) consists of once written: its data tree and subnode tree.
struct NodeContent {
  Bid data;
  Bid subnodes;
};

}  // namespace tarnwick::pst
