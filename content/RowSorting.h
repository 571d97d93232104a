#pragma once

#include "content/MessageRow.h"

namespace tarnwick::content {

// Sorting of the message list by a clicked column. Each sort flips the direction, so a
// second click on a header sorts the other way.
class RowSorter {
 public:
  // -1, 0 or 1 for two rows and a list column (0..4) in the current direction. Column 4
  // compares the dates as local calendar times; a date outside 1..2099 (or otherwise
  // malformed) counts as time 0. Rows compare equal while a preview is being prepared or
  // when a record is missing.
  int compareRows(const SortRecord* first, const SortRecord* second, int column, bool previewBusy = false) const;
  // Called after each sort.
  void sorted() { direction_ = direction_ == 'a' ? 'd' : 'a'; }
  char direction() const { return direction_; }

 private:
  char direction_ = 'a';
};

// The local calendar time a sortable date text stands for; 0 when it is out of range.
long long sortDateValue(std::u16string_view date);

}  // namespace tarnwick::content
