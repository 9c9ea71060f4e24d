#include "bills/cleaning/audit_bill.h"

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

constexpr int32_t kSchemeType = 1001811;
constexpr int32_t kBillType = 1001812;
constexpr const char* kSaveError = "[放行审核]保存出错，原因：";
// The production task fills the head only.
constexpr const char* kHeadPage = "1";

const SchemeSource kOutScheme{"GMPOutScheme", "FBillNo", kSchemeType};

DuplicateItemRule ItemRule(int32_t billType) {
  DuplicateItemRule rule;
  const bool scheme = billType == kSchemeType;
  rule.itemKey = scheme ? "FAudit" : "FAuditItemID";
  rule.linkedKey = scheme ? "FAudit33854" : "FAuditItemID36847";
  rule.entryMessage = "已存在该审核项目，请重新录入";
  rule.saveMessage = "存在重复的审核项目，请更正";
  rule.checkErrorPrefix =
      scheme ? "[放行审核方案]检查出错，原因：" : "[放行审核单]检查出错，原因：";
  return rule;
}

}  // namespace

int32_t AuditBill::BillType() {
  return CLng(m_BillInterface.Get()->ClassType()->Get("FID"));
}

void AuditBill::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar, true); });
}

void AuditBill::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (!tool || HandleCheckToolClick(bill, tool, BillType(), cancel)) return;
    if (tool->Name() != "mnuDataLookUp") return;
    const std::string key = LCase(m_sCurFieldKey);
    if (key == "fscheme") {
      SelectBill(bill, kSchemeType);
      LockByTask();
    } else if (key == "fmantaskno") {
      if (LookUpManTask()) cancel = true;
    }
  });
}

void AuditBill::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void AuditBill::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (BillType() == kBillType && bill->OpenMode() != 1) {
      ControlOf(bill)->SetLockProperty(true, FieldInfoOf(bill, "FScheme"), false);
      ControlOf(bill)->SetLockProperty(true, FieldInfoOf(bill, "FManTaskNo"), false);
      LockByTask();
    }
    SetCheckMenuState(bill, true);
  });
}

void AuditBill::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void AuditBill::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string key = LCase(TextOf(dct->Get("FKey")));
    if ((key == "fscheme" && BillType() == kBillType) || key == "fmantaskno") {
      m_BillInterface.Get()->SetBarStatus("mnuDataLookUp", "Enabled", true);
    }
    m_sCurFieldKey = TextOf(dct->Get("Fkey"));
  });
}

void AuditBill::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/, int32_t /*col*/,
                       int32_t row, bool& cancel) {
  TrapQuietly([&] {
    if (!dct) return;
    const BillInterfacePtr bill = m_BillInterface.Get();
    const std::string field = TextOf(dct->Get("FFieldName"));
    const int32_t type = BillType();
    if (type == kBillType && field == "FScheme") {
      LoadOutScheme();
      ClearCleaningColumns(bill);
      LockByTask();
    } else if ((type == kSchemeType && field == "FAudit") ||
               (type == kBillType && field == "FAuditItemID")) {
      RefuseDuplicateEntry(bill, ItemRule(type), row);
    } else if (field == "FManTaskNo") {
      OnManTaskChanged(dct, cancel);
    }
  });
}

void AuditBill::BeforeSave(bool& cancel) {
  TrapShowingAndCancel(kSaveError, cancel, [&] {
    const int32_t type = BillType();
    if (type != kSchemeType && type != kBillType) return;
    cancel = !PassesDuplicateCheck(m_BillInterface.Get(), ItemRule(type));
  });
}

void AuditBill::AfterSelBill(int32_t /*selBillType*/) {
  TrapQuietly([&] { ClearCleaningColumns(m_BillInterface.Get()); });
}

void AuditBill::LockProductFields(bool lock) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  ControlOf(bill)->SetLockProperty(lock, FieldInfoOf(bill, "FItemID"), false);
  ControlOf(bill)->SetLockProperty(lock, FieldInfoOf(bill, "FBatchID"), false);
}

void AuditBill::LockByTask() {
  if (!Trim(HeadText(m_BillInterface.Get(), "FManTaskNo")).empty()) LockProductFields(true);
}

bool AuditBill::LookUpManTask() {
  // The task's values go into a dictionary of their own, so the bill keeps
  // its own number and texts where the task has none.
  if (!PickSourceFromList(m_BillInterface.Get(), nullptr, kHeadPage).data) return false;
  LockProductFields(true);
  return true;
}

void AuditBill::LoadOutScheme() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string number = TextOf(HeadValue(bill, "FScheme"));
  if (number.empty()) return;
  if (LoadSchemeItems(bill, kOutScheme, number)) return;
  ShowMessage(LoadTVString("你输入的放行审核方案代码有错，请重新输入！"), mb::kInformation);
  ClearValue(bill, "FScheme");
}

void AuditBill::OnManTaskChanged(const DictionaryPtr& dct, bool& cancel) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  switch (FillFromTypedSource(bill, dct, cancel, nullptr, kHeadPage)) {
    case TypedSource::NotFound:
      ClearValue(bill, "FManTaskNo");
      LockProductFields(false);
      cancel = true;
      break;
    case TypedSource::Filled:
      LockProductFields(true);
      break;
    case TypedSource::Nothing:
      break;
  }
}

}  // namespace orb
