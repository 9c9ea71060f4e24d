#include "bills/packaging/box_unit_ext.h"

#include <string>

#include "frame/error_trap.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/menu_state.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001815;
constexpr const char* kSaveError = "[合箱记录]保存出错，原因：";

// Shows a refusal of the save; always false.
bool Refuse(const char* text, int32_t style) {
  ShowMessage(LoadTVString(text), style);
  return false;
}

}  // namespace

void BoxUnitExt::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] { HandleCheckToolClick(m_BillInterface.Get(), tool, kClassTypeId, cancel); });
}

void BoxUnitExt::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void BoxUnitExt::BeforeSave(bool& bCancel) {
  TrapShowingAndCancel(kSaveError, bCancel, [&] { bCancel = !CheckBoxMerge(); });
}

void BoxUnitExt::AfterLoadBill() {
  TrapQuietly([&] { SetBoxMenuState(); });
}

void BoxUnitExt::AfterNewBill() {
  TrapQuietly([&] { SetBoxMenuState(); });
}

void BoxUnitExt::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

bool BoxUnitExt::CheckBoxMerge() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  if (IsBlank(bill, "FUDate")) return Refuse("合箱日期不能为空，请更正！", mb::kInformation);
  if (IsBlank(bill, "FLBatchNo")) {
    return Refuse("单据体1上批产品批号不允许为空！", mb::kExclamation);
  }
  if (IsBlank(bill, "FTBatchNo")) {
    return Refuse("单据体1本批产品批号不允许为空！", mb::kExclamation);
  }
  if (Trim(HeadText(bill, "FTBatchNo")) == Trim(HeadText(bill, "FLBatchNo"))) {
    return Refuse("上批产品批号和本批产品批号不能相同，请更正！", mb::kExclamation);
  }
  if (HeadNumber(bill, "FLBatchNum") == 0) {
    return Refuse("上批产品数量不能为0，请更正！", mb::kInformation);
  }
  if (HeadNumber(bill, "FTBatchNum") == 0) {
    return Refuse("本批产品数量不能为0，请更正！", mb::kInformation);
  }
  return true;
}

void BoxUnitExt::SetBoxMenuState() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  for (const char* tool : {"mnuEditAddRow", "mnuEditDelRow", "mnuDataRedBill", "mnuDataBlueBill"}) {
    bill->SetBarStatus(tool, "Visible", false);
  }
  EnableCheckTools(bill);
}

}  // namespace orb
