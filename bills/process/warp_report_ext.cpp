#include "bills/process/warp_report_ext.h"

#include <string>

#include "frame/error_trap.h"
#include "host/convert.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/error_traps.h"
#include "services/menu_state.h"
#include "services/source_flows.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001017;
constexpr const char* kBeginEditError = "[偏差处理BeginEdit]出错，原因：";

}  // namespace

void WarpReportExt::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    if (HandleCheckToolClick(m_BillInterface.Get(), tool, kClassTypeId, cancel)) return;
    if (tool && tool->Name() == "mnuDataLookUp") cancel = LookUpManTask();
  });
}

void WarpReportExt::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void WarpReportExt::AfterLoadBill() {
  TrapQuietly([&] { SetCheckMenus(); });
}

void WarpReportExt::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenus(); });
}

void WarpReportExt::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void WarpReportExt::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapShowing(kBeginEditError, [&] {
    if (dct && TextOf(dct->Get("FFieldName")) == "FWorkPrc") {
      RestrictToRoutingOperations(m_BillInterface.Get(), dct, "FRouting");
    }
  });
}

void WarpReportExt::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/,
                           int32_t /*col*/, int32_t /*row*/, bool& cancel) {
  TrapQuietly([&] {
    if (dct && TextOf(dct->Get("FFieldName")) == "FManTaskBillNo" && IsSourceLookup(dct)) {
      FillFromManTaskNo(dct, cancel);
    }
  });
}

void WarpReportExt::SetCheckMenus() {
  EnableCheckTools(m_BillInterface.Get());
}

bool WarpReportExt::LookUpManTask() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  // The task's values go into a page record of their own: filled into the
  // bill's Data itself, the fresh head record would replace the report's
  // number and texts before the host's fill could skip what the task lacks.
  if (!PickSourceFromList(bill, nullptr).data) return false;
  MarkTaskFieldsModified();
  return true;
}

void WarpReportExt::FillFromManTaskNo(const DictionaryPtr& dctInfo, bool& cancel) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  switch (FillFromTypedSource(bill, dctInfo, cancel, nullptr)) {
    case TypedSource::NotFound: {
      // No such task: neither its number nor its id stays on the report.
      DictionaryPtr taskId = ValueRecordOf(bill, "FManTaskBillID");
      taskId->Set("FFLD", Variant(""));
      taskId->Set("FOLD", Variant(""));
      taskId->Set("FModify", Variant::Int(1));
      const std::string typed = TextOf(dctInfo->Get("FKey"));
      ValueRecordOf(bill, typed)->Set("FOLD", Variant(""));
      ClearValue(bill, typed);
      MarkModified(bill, "FManTaskBillNo");
      break;
    }
    case TypedSource::Filled:
      MarkTaskFieldsModified();
      break;
    case TypedSource::Nothing:
      break;
  }
}

void WarpReportExt::MarkTaskFieldsModified() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  for (const char* key : {"FManTaskBillID", "FManTaskBillNo", "FItemID", "FRouting", "FBatchNo"}) {
    MarkModified(bill, key);
  }
}

}  // namespace orb
