#include "bills/cleaning/item_scrap_check.h"

#include "frame/error_trap.h"
#include "host/convert.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/lot_stock.h"
#include "services/menu_state.h"
#include "services/source_flows.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001818;
// The selection type after which the inspection fields are kept.
constexpr int32_t kKeepInspection = -706;

}  // namespace

void ItemScrapCheck::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void ItemScrapCheck::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] { HandleCheckToolClick(m_BillInterface.Get(), tool, kClassTypeId, cancel); });
}

void ItemScrapCheck::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void ItemScrapCheck::AfterLoadBill() {
  TrapQuietly([&] { ApplySourceBillState(m_BillInterface.Get(), false); });
}

void ItemScrapCheck::AfterSelBill(int32_t selBillType) {
  TrapQuietly([&] {
    ApplySourceBillState(m_BillInterface.Get(), false);
    if (selBillType != kKeepInspection) ClearInspectionFields();
  });
}

void ItemScrapCheck::AfterFillRow(int32_t /*row*/, const DictionaryPtr& /*page*/,
                                  const DictionaryPtr& /*entryData*/,
                                  const DictionaryPtr& /*link*/) {
  TrapQuietly([&] { FreezeRowCount(); });
}

void ItemScrapCheck::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void ItemScrapCheck::Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t /*col*/,
                            int32_t row, bool& /*cancel*/) {
  TrapQuietly([&] {
    DispatchLotDateChange(m_BillInterface.Get(), TextOf(dct->Get("FFieldName")), dctFld, row,
                          "FBatchNo", "FKFDate", "FKFPeriod", "FDeadline");
  });
}

void ItemScrapCheck::ClearInspectionFields() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  bill->SetFieldValueByInfo(FieldInfoOf(bill, "FQCDeptID"), Variant(""), 0);
  bill->SetFieldValueByInfo(FieldInfoOf(bill, "FStockManagerID"), Variant(""), 0);
  bill->SetDataFld(FieldInfoOf(bill, "FQCDate"), Variant(""), 0);
}

void ItemScrapCheck::FreezeRowCount() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  if (!(NumberOf(bill->GetFieldValue("FID_SRC", 1, 1)) > 0)) return;
  const BillControlPtr ctl = ControlOf(bill);
  VectorPtr rows = ctl->Data() ? ctl->Data()->GetVector("page2") : nullptr;
  const int32_t size = rows ? rows->Size() : 0;
  if (ctl->GetGridMaxRows(0) != size) ctl->SetGridMaxRows(0, size);
}

}  // namespace orb
