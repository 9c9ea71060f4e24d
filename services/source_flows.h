// How a bill is filled from its source bills, as the plug-ins' look-ups do it.
//
// Each flow is the same in every bill that uses it: the user picks source
// records from the host's list window (the data look-up tool), types a source
// number into a look-up field, or the plug-in finds the source records with a
// statement of its own and lets the class link fill the bill. Beside them, the
// two filters the plug-ins hand to the host: the selection filter that hides
// unaudited source bills, and the operation look-up restricted to a routing.
#pragma once

#include <cstdint>
#include <string>

#include "host/bill_interface.h"
#include "host/dictionary.h"

namespace orb {

// The look-up type of a field whose source-bill look-up the plug-in builds.
inline constexpr int32_t kLookUpSourceBill = 100;

// True when `fieldInfo` describes a source-bill look-up ("FLookUpType" 100).
bool IsSourceLookup(const DictionaryPtr& fieldInfo);

struct PickedSource {
  bool picked = false;  // the user confirmed a selection
  DictionaryPtr data;   // the page data filled and written; nullptr when none
};

// The data look-up on the current field: when it is a source-bill look-up,
// the list of its "FLookupClassID" opens under its "FFilter"; the bill is
// filled from the picked records (FillBillFromSource into `data`, a new
// dictionary when nullptr, for the pages `pages`) and DoFillData writes them.
// Nothing happens for any other field or when nothing is picked.
PickedSource PickSourceFromList(const BillInterfacePtr& bill, const DictionaryPtr& data,
                                const std::string& pages = "");

enum class TypedSource {
  Nothing,   // not a source look-up, or the source gave nothing to fill
  NotFound,  // nothing typed, or no source bill has the typed number
  Filled,    // the bill was filled from the source
};

// A number typed into the source-bill look-up field `fieldInfo`: the source
// records are looked up (LookupSourceBill) and the bill is filled from them
// as PickSourceFromList does. `data` and `pages` as there.
TypedSource FillFromTypedSource(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo,
                                bool& cancel, const DictionaryPtr& data,
                                const std::string& pages = "");

// Runs `sql` and, when it finds records, fills the bill from them through the
// class link of source class type `srcClassTypeId`. Returns the number of
// records found (0: nothing was filled).
int32_t LinkByStatement(const BillInterfacePtr& bill, const std::string& sql,
                        int32_t srcClassTypeId);

// Links the batch package instruction numbered `number` (class type 1001012) through the
// class link, as the packing record and the material balance do; false when no
// instruction has that number or the number is empty.
bool LinkInstructionByNumber(const BillInterfacePtr& bill, const std::string& number);

// The head value of `key` of a bill being filled from a source: the value the
// fill data `data` gives for it ("page1", a value record or a plain value),
// else the bill's own head value. The host raises AfterSelBillBeforeFillData
// before it writes the selected bill's values into the bill, so a handler
// that needs one of them reads it here.
Variant SelectedHeadValue(const BillInterfacePtr& bill, const DictionaryPtr& data,
                          const std::string& key);

// The source-bill selection filter: only audited source bills are offered.
// Replaces `filter` with a new dictionary holding "HideType" 1 and
// "FCheckerID" "FCheckerID".
void HideUncheckedSources(DictionaryPtr& filter);

// The operation look-up of `fieldInfo` lists only the operations of the
// routing in the head field `routingKey`; without a routing, every operation.
void RestrictToRoutingOperations(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo,
                                 const std::string& routingKey);

// The entry page "page2" holds rows and its row 1 names a source bill
// ("FID_SRC" not 0).
bool DrawnFromSource(const BillInterfacePtr& bill);
// The toolbar of a bill that may be drawn from a source bill: drawn from one,
// the check tools follow SetCheckMenuState(bill, false) and "mnuCopyRow" is
// hidden (with freezeGrid, grid 0 first offers no more rows than the source
// supplied); otherwise SetCheckMenuState(bill, true) and "mnuCopyRow" shown.
void ApplySourceBillState(const BillInterfacePtr& bill, bool freezeGrid);

}  // namespace orb
