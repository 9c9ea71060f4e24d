// Entry rows: the helpers the plug-ins share for their entry grids.
//
// Entry pages are the "page2", "page3"... items of the bill's Data, each a
// vector of row records (field key -> value record), rows counted from 1.
#pragma once

#include <cstdint>
#include <string>

#include "host/bill_interface.h"

namespace orb {

// The rows of the entry page `page` (2 for "page2"); an empty vector when the
// bill has no such page.
VectorPtr EntryRows(const BillInterfacePtr& bill, int32_t page);

// Blanks every row of entry page `page`, keeping their number: each row
// becomes the data service's empty row of the page's template. The caller
// redisplays the bill (DoFillData).
void BlankEntryRows(const BillInterfacePtr& bill, int32_t page);

// Keeps the first row of entry page `page` and drops the others, for a bill
// that takes one line per record; returns how many rows were dropped. A page
// that is missing or empty is left as it is. The caller redisplays the bill
// (DoFillData).
int32_t KeepFirstRow(const BillInterfacePtr& bill, int32_t page);

// The rows of entry page `page` whose `key` holds a value. Every row is
// walked, so a filled row after a blank one still counts.
int32_t CountFilledRows(const BillInterfacePtr& bill, int32_t page, const std::string& key);

// Duplicate items of an entry page, the item of a row being the text of its
// `itemKey`; rows without an item are never duplicates.
// The first row whose item an earlier row already holds; 0 when none.
int32_t FindDuplicateRow(const BillInterfacePtr& bill, int32_t page, const std::string& itemKey);
// The first other row holding the item of `row`; 0 when none (or `row` has
// no item).
int32_t FindRowWithSameItem(const BillInterfacePtr& bill, int32_t page, const std::string& itemKey,
                            int32_t row);

// Empties the column `key` of every row of the bill's first entry page
// (stored value, code and text), marked modified, and shows it empty.
void ClearEntryColumn(const BillInterfacePtr& bill, const std::string& key);

}  // namespace orb
