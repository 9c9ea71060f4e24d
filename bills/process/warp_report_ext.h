// WarpReportExt: the plug-in of the deviation handling report (偏差处理报告).
//
// A deviation report (class type 1001017) is tied to one production task and
// one operation of that task's routing. The task is picked from the list or
// typed by number; the report then takes product, routing and batch from it,
// and the operation look-up lists only the operations of that routing. The
// plug-in shows the audit tools, audits and unaudits through the shared
// workflow, and opens an audited report with bill status 0.
#pragma once

#include "frame/plugin.h"

namespace orb {

class WarpReportExt : public StatusBillPlugin {
 public:
  WarpReportExt() : StatusBillPlugin("WarpReportExt") {}

 protected:
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void AfterLoadBill() override;
  void AfterNewBill() override;
  void BeforLoadBillFillData() override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;

 private:
  void SetCheckMenus();
  // The production task picked from the list; true (the host's own look-up is
  // cancelled) when the report was filled from it.
  bool LookUpManTask();
  // The production task typed into the field `dctInfo`.
  void FillFromManTaskNo(const DictionaryPtr& dctInfo, bool& cancel);
  // The fields taken from the task are saved with the report.
  void MarkTaskFieldsModified();
};

}  // namespace orb
