#include "bills/cleaning/rid_manage.h"

#include "frame/error_trap.h"
#include "host/convert.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/error_traps.h"
#include "services/item_lists.h"
#include "services/menu_state.h"

namespace orb {

namespace {

constexpr const char* kSaveError = "[清场方案]保存出错，原因：";

DuplicateItemRule RidItemRule() {
  DuplicateItemRule rule;
  rule.itemKey = "FRidID";
  rule.linkedKey = "FRidID75984";
  rule.entryMessage = "已存在该清场项目，请重新录入";
  rule.saveMessage = "存在重复的清场项目，请更正";
  rule.checkErrorPrefix = "[清场方案]检查出错，原因：";
  return rule;
}

}  // namespace

void RidManage::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void RidManage::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    HandleCheckToolClick(bill, tool, CLng(bill->ClassType()->Get("FID")), cancel);
  });
}

void RidManage::AfterNewBill() {
  TrapQuietly([&] { SetItemListToolbar(m_BillInterface.Get()); });
}

void RidManage::AfterLoadBill() {
  TrapQuietly([&] { SetItemListToolbar(m_BillInterface.Get()); });
}

void RidManage::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void RidManage::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (dct) m_sCurFieldKey = TextOf(dct->Get("Fkey"));
  });
}

void RidManage::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/, int32_t /*col*/,
                       int32_t row, bool& /*cancel*/) {
  TrapQuietly([&] {
    if (dct && TextOf(dct->Get("FFieldName")) == "FRidID") {
      RefuseDuplicateEntry(m_BillInterface.Get(), RidItemRule(), row);
    }
  });
}

void RidManage::BeforeSave(bool& cancel) {
  TrapShowingAndCancel(kSaveError, cancel, [&] {
    cancel = !PassesDuplicateCheck(m_BillInterface.Get(), RidItemRule());
  });
}

void RidManage::AfterSelBill(int32_t /*selBillType*/) {
  TrapQuietly([&] { ClearCleaningColumns(m_BillInterface.Get()); });
}

}  // namespace orb
