#include "services/item_lists.h"

#include "frame/error_trap.h"
#include "host/platform.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/menu_state.h"
#include "services/source_flows.h"
#include "services/sql_text.h"

namespace orb {

namespace {

// Runs body() under the rule's check-error prefix; false when it raised.
template <class Body>
bool UnderCheckTrap(const DuplicateItemRule& rule, Body&& body) {
  if (rule.checkErrorPrefix.empty()) return Trap(body, [](const AutomationError&) {});
  return TrapShowing(rule.checkErrorPrefix, body);
}

}  // namespace

bool RefuseDuplicateEntry(const BillInterfacePtr& bill, const DuplicateItemRule& rule,
                          int32_t row) {
  bool refused = false;
  UnderCheckTrap(rule, [&] {
    if (FindRowWithSameItem(bill, rule.page, rule.itemKey, row) == 0) return;
    ShowMessage(LoadTVString(rule.entryMessage), mb::kInformation);
    ClearValue(bill, rule.itemKey, row);
    if (!rule.linkedKey.empty())
      bill->SetFieldValue(FieldInfoOf(bill, rule.linkedKey), Variant(""), row);
    refused = true;
  });
  return refused;
}

bool PassesDuplicateCheck(const BillInterfacePtr& bill, const DuplicateItemRule& rule) {
  bool passed = false;
  UnderCheckTrap(rule, [&] {
    const int32_t row = FindDuplicateRow(bill, rule.page, rule.itemKey);
    if (row == 0) {
      passed = true;
      return;
    }
    ShowMessage(rule.saveMessageOf ? rule.saveMessageOf(row) : LoadTVString(rule.saveMessage),
                mb::kInformation);
  });
  return passed;
}

std::string SchemeItemsSql(const SchemeSource& scheme, const std::string& number) {
  return "select b.FID,a.FClassTypeID,b.FEntryID from " + scheme.schemeTable + " a " +
         " inner join  " + scheme.schemeTable + "entry b on a.FID =b.FID" + " where a." +
         scheme.numberColumn + " =" + SqlQuote(number);
}

bool LoadSchemeItems(const BillInterfacePtr& bill, const SchemeSource& scheme,
                     const std::string& number) {
  return LinkByStatement(bill, SchemeItemsSql(scheme, number), scheme.classTypeId) > 0;
}

void ClearCleaningColumns(const BillInterfacePtr& bill) {
  for (const char* key : {"FCleanID", "FResult", "FMemo2"}) ClearEntryColumn(bill, key);
}

}  // namespace orb

namespace orb {

void SetItemListToolbar(const BillInterfacePtr& bill) {
  const bool audited = IsAudited(bill);
  bill->SetBarStatus("mnuEditAddRow", "Visible", !audited);
  bill->SetBarStatus("mnuEditDelRow", "Visible", !audited);
  bill->SetBarStatus("mnuFileSave", "Enabled", !audited);
  if (audited) bill->SetBarStatus("mnuDataLookUp", "Enabled", false);
  bill->SetBarStatus("mnuDataRedBill", "Visible", false);
  bill->SetBarStatus("mnuDataBlueBill", "Visible", false);
  EnableCheckTools(bill);
}

}  // namespace orb
