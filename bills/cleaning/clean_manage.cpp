#include "bills/cleaning/clean_manage.h"

#include <string>

#include "frame/error_trap.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/bill_check.h"
#include "services/bill_link.h"
#include "services/bill_values.h"
#include "services/error_traps.h"
#include "services/item_lists.h"
#include "services/language.h"
#include "services/menu_state.h"
#include "services/source_flows.h"

namespace orb {

namespace {

constexpr int32_t kSchemeType = 1001801;
constexpr int32_t kRecordType = 1001808;
constexpr const char* kSaveError = "[清洁管理 ]保存出错，原因：";

const SchemeSource kCleanScheme{"GMPCleanScheme", "FBillNo", kSchemeType};

// The item rule of each bill type; the record's items are entered under
// "FCleanItemID" and checked before saving under "FCleanItemId".
DuplicateItemRule ItemRule(int32_t billType, const std::string& itemKey) {
  DuplicateItemRule rule;
  rule.itemKey = itemKey;
  rule.linkedKey = "FCleanItemId54845";
  rule.entryMessage = "已存在该清洁项目，请重新录入";
  rule.saveMessage = "存在重复的清洁项目，请更正";
  rule.checkErrorPrefix =
      billType == kSchemeType ? "[清洁方案]检查出错，原因：" : "[清洁记录]检查出错，原因：";
  return rule;
}

}  // namespace

int32_t CleanManage::BillType() {
  return CLng(m_BillInterface.Get()->ClassType()->Get("FID"));
}

void CleanManage::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar, true); });
}

void CleanManage::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (!tool || HandleCheckToolClick(bill, tool, BillType(), cancel)) return;
    if (tool->Name() == "mnuDataLookUp" && LCase(m_sCurFieldKey) == "fcleanscheme") {
      SelectBill(bill, kSchemeType);
    }
  });
}

void CleanManage::AfterNewBill() {
  TrapQuietly([&] { SetItemListToolbar(m_BillInterface.Get()); });
}

void CleanManage::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (BillType() == kRecordType && bill->OpenMode() != 1) {
      ControlOf(bill)->SetLockProperty(true, FieldInfoOf(bill, "FCleanScheme"), false);
    }
    SetItemListToolbar(bill);
  });
}

void CleanManage::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void CleanManage::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (!dct) return;
    if (LCase(TextOf(dct->Get("FKey"))) == "fcleanscheme") {
      // The scheme bill has no scheme to look up.
      if (BillType() == kSchemeType) return;
      m_BillInterface.Get()->SetBarStatus("mnuDataLookUp", "Enabled", true);
    }
    m_sCurFieldKey = TextOf(dct->Get("Fkey"));
  });
}

void CleanManage::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/, int32_t /*col*/,
                         int32_t row, bool& /*cancel*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const BillInterfacePtr bill = m_BillInterface.Get();
    const std::string field = TextOf(dct->Get("FFieldName"));
    const int32_t type = BillType();
    if (type == kRecordType && field == "FCleanScheme") {
      LoadCleanScheme();
      ClearCleaningColumns(bill);
    } else if ((type == kSchemeType && field == "FCleanItemId") ||
               (type == kRecordType && field == "FCleanItemID")) {
      RefuseDuplicateEntry(bill, ItemRule(type, field), row);
    }
  });
}

void CleanManage::BeforeSave(bool& cancel) {
  TrapShowingAndCancel(kSaveError, cancel, [&] {
    const int32_t type = BillType();
    if (type != kSchemeType && type != kRecordType) return;
    cancel = !PassesDuplicateCheck(m_BillInterface.Get(), ItemRule(type, "FCleanItemId"));
  });
}

void CleanManage::BeforeSelBillShowFilter(DictionaryPtr& filter) {
  TrapQuietly([&] { HideUncheckedSources(filter); });
}

void CleanManage::AfterSelBill(int32_t /*selBillType*/) {
  TrapQuietly([&] { ClearCleaningColumns(m_BillInterface.Get()); });
}

void CleanManage::LoadCleanScheme() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string number = TextOf(HeadValue(bill, "FCleanScheme"));
  if (number.empty()) return;
  if (LoadSchemeItems(bill, kCleanScheme, number)) return;
  ShowMessage(LoadTVString("你输入的清洁方案代码有错，请重新输入！"), mb::kInformation);
  ClearValue(bill, "FCleanScheme");
}

}  // namespace orb
