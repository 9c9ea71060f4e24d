// BatchPackage: the plug-in of the batch package instruction (批包装指令).
//
// The instruction (head gmpbatchpacket, class type 1001012) orders the
// packaging of one production batch; the production picking bill, the packing
// record and the packaging material balance refer to it. The plug-in gives the
// bill its release life cycle: release and unrelease, pause and unpause,
// cancel and uncancel, end-case and un-end-case, each guarded by a right and
// a status test and carried out by the host's components (the simple-check
// component releases, the batch-pack component does the rest). It puts the
// eight commands on the toolbar, locks a bill that has left the planned
// state, fills the origin and status of a new bill, and fills fields from
// source-bill look-ups (look-up type 100).
//
// Status codes of FBillStatus: 1049 planned, 1050 released, 1051 ended,
// 13557 paused, 13558 cancelled.
#pragma once

#include <cstdint>
#include <string>

#include "frame/plugin.h"

namespace orb {

class BatchPackage : public StatusBillPlugin {
 public:
  BatchPackage() : StatusBillPlugin("BatchPackage") {}

  // Sets the menu state from the bill's open mode and current status.
  void SetPacketToolBar();

 protected:
  void AfterLoadBill() override;
  void AfterNewBill() override;
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BeforLoadBillFillData() override;
  // m_Billinterface_Change: a change of a source-bill look-up field fills the
  // fields that depend on it.
  void Change(const DictionaryPtr& dct, const DictionaryPtr& fieldInfo, int32_t col, int32_t row,
              bool& cancel) override;

 private:
  // "FFLD" of the head field `key`.
  Variant GetHeadValue(const std::string& key);
  void ReleaseInstruction();
  void UnReleaseInstruction();
  // True when a later bill already refers to this instruction; the user has
  // then been told which.
  bool HasDownstreamBills();
  // Pause (13557), cancel (13558) or end-case (1051) when bDo, else their undo.
  void ChangeBillState(bool bDo, int32_t lActionID);
  // "mnuDataLookUp" on a source-bill look-up field: the user picks from the
  // host's list and the bill is filled from the picked bills.
  void LookUpData(bool& cancel);
  void FillLookupFields(const DictionaryPtr& dctFld, bool& cancel);

  // Shared by release and unrelease.
  void RunRelease(bool release);
  // Shows the message, takes the bill's data again and writes the log line.
  void FinishStep(const std::string& message, const std::string& logLong,
                  const std::string& logShort, const std::string& billNo);
  // The bound bill and its bill control; error 91 when there is none.
  BillInterfacePtr TheBill();
  BillControlPtr TheControl();
  DictionaryPtr FieldInfo(const std::string& key);
};

}  // namespace orb
