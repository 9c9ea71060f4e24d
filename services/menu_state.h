// Toolbar and menu state of a GMP bill.
//
// An audited bill may not be edited, a bill whose function lock another user
// holds may not be audited, and the multi-level audit manager, when it runs,
// owns the check tools. The host's toolbar knows none of this, so the
// plug-ins apply these rules again whenever the bill's state may have changed
// (after a bill is loaded, created, copied or selected) and when the toolbar
// is first built.
#pragma once

#include <string>

#include "host/bill_interface.h"
#include "host/toolbar.h"

namespace orb {

// Tool keys of the audit commands and bands of the host's toolbar.
inline constexpr const char* kToolCheck = "mnuEditCheck";
inline constexpr const char* kToolUnCheck = "mnuEditUnCheck";
inline constexpr const char* kBandEdit = "mnuEdit";
inline constexpr const char* kBandToolBar = "BandToolBar";

// Applies the bill's state to its toolbar, in this order:
//  1. the multi-level audit manager, when it runs on a bill whose status is
//     not 0, hides the check tools;
//  2. bill status 0 or 1 disables the check tools, any other enables them;
//  3. without bShowRowTools the add-row and delete-row tools are hidden;
//  4. an audited bill, or one whose function lock is held elsewhere, hides the
//     row tools, disables save and data look-up, hides source-bill selection on
//     the stock bills (1001911, 1001902, 1001905, 1001907), and, for the lock
//     only, disables the check tools again.
// An error ends it quietly with the rules applied so far.
void SetCheckMenuState(const BillInterfacePtr& oBill, bool bShowRowTools);

// The toolbar initialisation rule: when the bill's OpenMode is not 0, shows
// the check tools of the bar, and with hideLinkBill also hides
// "mnuOptionLinkBill". OpenMode 0 leaves the bar as the host built it. Raises
// when the bar lacks one of the tools.
void ShowCheckTools(const BillInterfacePtr& oBill, const ActiveBarPtr& oActiveBar,
                    bool hideLinkBill = false);

// The check-tools enabling rule: OpenMode 1 shows the check tools disabled;
// any other mode enables them.
void EnableCheckTools(const BillInterfacePtr& oBill);

// Puts the check tools of oSourceBar on oBar: "mnuEditUnCheck" and then
// "mnuEditCheck" at position 1 of band "mnuEdit", and "mnuEditCheck" at
// position 3 of band "BandToolBar".
void AddCheckTools(const ActiveBarPtr& oBar, const ActiveBarPtr& oSourceBar);

// Inserts oTool at lPos into the tools of oBar and of its band sBand, gives
// the band's copy the tool's picture when it has one, and recalculates the
// bar's layout. A step that fails (a missing band, no picture) is skipped and
// the rest still runs.
void InsertBarTool(const ActiveBarPtr& oBar, const std::string& sBand, const ToolPtr& oTool,
                   int32_t lPos);

}  // namespace orb
