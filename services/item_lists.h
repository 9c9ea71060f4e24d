// Item lists: bills whose entry grid lists items that may occur only once,
// and whose items may come from a scheme bill.
//
// Each bill names its own settings (which entry page, which item column, the
// column emptied with a refused item, its messages); the walks, the refusals
// and the scheme loading are the same for all of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/bill_interface.h"

namespace orb {

struct DuplicateItemRule {
  int32_t page = 2;              // the entry page ("page2")
  std::string itemKey;           // the column holding the item
  std::string linkedKey;         // emptied with a refused item ("" for none)
  std::string entryMessage;      // an item entered that another row holds
  std::string saveMessage;       // a duplicate found before saving
  std::string checkErrorPrefix;  // an error inside a check ("" shows nothing)
  // Builds the before-save message from the duplicate row instead of
  // saveMessage when set (the text is shown as it is returned).
  std::function<std::string(int32_t row)> saveMessageOf;
};

// The item entered at `row` is refused when another row holds it: the entry
// message is shown, the row's item and its linked column are emptied. True
// when the item was refused. An error is shown under the rule's prefix and
// changes nothing further.
bool RefuseDuplicateEntry(const BillInterfacePtr& bill, const DuplicateItemRule& rule, int32_t row);

// The before-save check: false (after the save message) when two rows hold
// the same item. Every row is visited and blank rows are never duplicates.
// An error inside the check is shown under the rule's prefix and fails the
// check, so the save is cancelled rather than passed unchecked.
bool PassesDuplicateCheck(const BillInterfacePtr& bill, const DuplicateItemRule& rule);

// A scheme whose items fill the bill's entry grid.
struct SchemeSource {
  std::string schemeTable;   // "GMPCleanScheme"
  std::string numberColumn;  // the scheme's bill-number column ("FBillNo")
  int32_t classTypeId = 0;   // the scheme's class type, for the class link
};

// The statement reading the items of the scheme numbered `number`; the
// number is quoted as an SQL literal.
std::string SchemeItemsSql(const SchemeSource& scheme, const std::string& number);

// Fills the entry grid from the items of the scheme numbered `number` through
// the class link. False when no scheme has that number (nothing is filled).
bool LoadSchemeItems(const BillInterfacePtr& bill, const SchemeSource& scheme,
                     const std::string& number);

// Empties the columns a scheme's items leave to the user: the cleaner, the
// result and the remark of every row.
void ClearCleaningColumns(const BillInterfacePtr& bill);

}  // namespace orb

namespace orb {

// The toolbar of an item-list bill by its audit state: an audited bill hides
// the row tools and disables saving and the data look-up, an unaudited one
// shows and enables them again; red and blue bills are always hidden; the
// check tools are shown disabled when the bill is opened for viewing
// (OpenMode 1) and enabled otherwise.
void SetItemListToolbar(const BillInterfacePtr& bill);

}  // namespace orb
