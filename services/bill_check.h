// Audit, unaudit and delete of bills: on one bill through its bill interface,
// and on the bills selected in a bill list.
//
// Every audit and unaudit goes through the host's simple-check component
// ("OrbMQMDataAccess.cBillSimpleCheck"), which applies the audit rules and
// writes the auditor; the plug-ins only check the preconditions, send the
// request, show its answer and write the user log. List-side actions take the
// network function lock of each bill (services/net_control.h) while they run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/bill_interface.h"
#include "host/list_interface.h"
#include "host/toolbar.h"
#include "host/variant.h"

namespace orb {

// ---- Tables -------------------------------------------------------------------

// The name of a bill class type as list messages show it (translated); ""
// for a class type the table does not know.
std::string BillTypeName(int32_t classTypeId);

enum class BillAction { Audit, Unaudit, Delete };

// The function code written with a user-log line, chosen by the login's
// subsystem code (letter case ignored) and the class type. `fromList` is true
// for the list-side procedures, which know the "cg" rows and the default
// ("PLT<class type>_mnuEditCheck"...) but not the "qm" rows. "" when the
// subsystem has no code for the class type.
std::string FunctionCode(const std::string& subId, int32_t classTypeId, BillAction action,
                         bool fromList);

// The head's "FCheckerID" as a number: 0 for an empty or Null value. Raises
// when the field cannot be read.
double HeadCheckerID(const BillInterfacePtr& oBill);

// ---- One bill -------------------------------------------------------------------

// Audits (bCheck) or unaudits the bill: CanCheckBill, then DoCheckBill. True
// when both succeeded. Messages are always shown. An error is raised again
// with its number and source and its description translated. lClassTypeID and
// iMode are accepted and not used.
bool CheckBill(const BillInterfacePtr& oBill, bool bCheck, int32_t lClassTypeID, int16_t iMode);

// The preconditions, each failure with its message: an audited bill must be
// saved and unchanged, the user needs the class right 1, and the bill must not
// be audited already (audit) or must be audited (unaudit).
bool CanCheckBill(const BillInterfacePtr& oBill, bool bCheck);

// Sends the check request of the bill to the simple-check component. On
// success the bill is re-read, marked checked and the user log written (also
// when the re-read fails; see services/committed_step.h); the component's
// text is shown unless bSilent. lClassTypeID is not used.
bool DoCheckBill(const BillInterfacePtr& oBill, bool bCheck, int32_t lClassTypeID, bool bSilent);

// The check-tool click rule of a bill that audits from its own toolbar: a
// click on "mnuEditCheck" or "mnuEditUnCheck" runs CheckBill (class type
// `classTypeId`) and always cancels the host's own audit, which would audit
// the bill a second time (and run its business checks again). Returns true
// when the tool was one of the two.
bool HandleCheckToolClick(const BillInterfacePtr& oBill, const ToolPtr& tool, int32_t classTypeId,
                          bool& cancel);

// AccessCheck of the bill's class object for the right on the system object.
bool HasClassRight(const BillInterfacePtr& oBill, int32_t lRight);
void ShowNoRightMessage();

// ---- The selected bills of a list ----------------------------------------------

// Audits (bCheck) or unaudits each selected bill of the list under its
// function lock. Returns the number of bills audited or unaudited; the list is
// refreshed when there was any. A lock held by another user raises
// kFunctionConflict; every error is raised again with its number and source
// and its description translated.
int32_t CheckBillsFromList(const ListInterfacePtr& oList, int32_t lClassTypeID, bool bCheck,
                           bool bSilent);
// CheckBillsFromList(oList, lClassTypeID, false, bSilent).
void CheckBillsFromListHandler(const ListInterfacePtr& oList, int32_t lClassTypeID, bool bSilent);

// Deletes the selected bills of the list after the user confirms, each under
// its function lock; audited bills are refused. The outcome of each bill is
// shown (gathered in one display for several bills) and the list refreshed.
// False when nothing was selected, the user said no, or an error ended the run
// (then shown with its reason).
bool DeleteBillsFromList(const ListInterfacePtr& oList);

// DeleteBill(props, values) on a new "OrbMClass.ClassUpdate"; the values are
// the class type, the bill's id, its head table, its number and two Empty
// values. Returns the translated outcome: "成功！", or the error's description
// followed by "失败！".
std::string DeleteBillByClass(const std::string& props, const std::vector<Variant>& values);

}  // namespace orb
