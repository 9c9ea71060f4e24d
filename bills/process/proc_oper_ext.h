// ProcOperExt: the plug-in of the process operation record (工序操作记录).
//
// A record is made at one operation of a production routing. Its head comes
// from a source document (production task, task dispatch bill or process
// report), picked from the list or typed by number; its material preparation
// records (page 2) follow the source task and the operation; its operation
// record lines (page 3) are copied from an audited operation record scheme.
// The operation look-up lists only the operations of the chosen routing, and
// the head fields the source supplied stay locked.
#pragma once

#include <string>

#include "frame/plugin.h"
#include "host/dictionary.h"

namespace orb {

class ProcOperExt : public StatusBillPlugin {
 public:
  ProcOperExt() : StatusBillPlugin("ProcOperExt") {}

  // Blanks the material preparation records (page 2), keeping their number;
  // the caller redisplays the bill. Unless bForce, a record that holds
  // materials asks the user first, and anything but Yes leaves it as it is.
  void ClearEntry2(bool bForce);

 protected:
  void AfterSelBill(int32_t selBillType) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BeforeSelBillShowFilter(DictionaryPtr& filter) override;
  void BarInitialize(const ActiveBarPtr& bar) override;
  void BeforLoadBillFillData() override;
  void AfterNewBill() override;
  void AfterLoadBill() override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;

 private:
  bool IsCurFieldInEntry2();
  void SetProcFilter(const DictionaryPtr& dctProcInfo);
  void CheckProcOfRouting(const DictionaryPtr& dctRoutingValue);
  void LoadOperationScheme();
  void ClearRecordResults(int32_t nRows);
  bool LookUpSourceBill();
  void FillFromSourceBillNo(const DictionaryPtr& dctInfo, bool& cancel);
  void SetSourceLock(bool bLinked, const std::string& sKey);
  void ApplySourceLock();
  void RelinkMaterials();

  // Shows the operation record grid with as many rows as page 3 holds.
  void FitRecordGrid();
  // Empties the operation field (value record, then display).
  void ClearOperation();
  // Empties a head field the way the scheme look-up does.
  void ClearHeadField(const std::string& key);
  // The head control of `key`; nullptr when the host has none.
  ControlPtr HeadControl(const std::string& key);

  std::string m_sCurKey;
  DictionaryPtr m_dctLock;
};

}  // namespace orb
