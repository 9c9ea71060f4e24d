// CItemRate: the plug-in of the material balance yield table (物料平衡收率表).
//
// For one product batch the table lists the operations of the product's
// routing, one entry row each, and computes from the quantities typed in the
// yield of each operation, the actual yield, the cumulative yield and the
// total yield, flagging operations whose actual yield lies outside the
// permitted range. It refuses to save quantities that do not add up.
//
// One instance serves either a bill or the bill list: Show binds a bill
// interface ("BillEvent") to m_Bill or a list interface ("ListEvents") to
// m_List, and ignores anything else. The list audits, unaudits and deletes
// the selected bills.
#pragma once

#include <string>

#include "frame/plugin.h"
#include "host/list_interface.h"

namespace orb {

class CItemRate : public StatusBillPlugin {
 public:
  CItemRate() : StatusBillPlugin("CItemRate"), listHandlers_(*this), m_List(listHandlers_) {}
  void Show(const ObjectPtr& oBillInterface) override;

  const ListInterfacePtr& BoundList() const { return m_List.Get(); }

 protected:
  // Bill events.
  void AddNewRow(int32_t index, int32_t newRow) override;
  void AfterDeleteRow(int32_t index, int32_t row) override;
  void AfterLoadBill() override;
  void AfterNewBill() override;
  void AfterSelBill(int32_t selBillType) override;
  void BarInitialize(const ActiveBarPtr& bar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void BeforLoadBillFillData() override;
  void BeforeSave(bool& cancel) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;

  // List events.
  virtual void m_List_BarInitialize(const ActiveBarPtr& bar);
  virtual void m_List_BarClick(const ToolPtr& tool, bool& cancel);

  // Routes the list's events to the m_List_ handlers (the bill's events of the
  // same names go to the bill handlers).
  struct ListHandlers : ListEvents {
    explicit ListHandlers(CItemRate& owner) : owner_(owner) {}
    void BarInitialize(const ActiveBarPtr& bar) override { owner_.m_List_BarInitialize(bar); }
    void BarClick(const ToolPtr& tool, bool& cancel) override {
      owner_.m_List_BarClick(tool, cancel);
    }
    CItemRate& owner_;
  };

  BillConnection& m_Bill = m_BillInterface;
  ListHandlers listHandlers_;
  ListConnection m_List;

 private:
  void CalcOperRate(int32_t lStartRow);
  void CalcRealRate(int32_t lStartRow);
  void CalcTotalRate();
  void CalcItemStatus(int32_t lRow);
  bool CheckHeadQty();
  bool CheckProQty();
  bool CheckOperQtySum();
  void CheckBatchManaged(bool bShowMsg, int32_t& lResult);
  void SetBatchLock();
  void FillDefaultRouting();
  void FillRoutingByNo(bool& cancel);
  void LinkRoutingOpers(int32_t& lSrcClassTypeID, const VectorPtr& vecSel);
  void SetMenuState();

  // Every yield after the quantities from row `row` on changed.
  void RecalcFrom(int32_t row);
  // The operation rows (page 2) and whether row `r` holds data.
  int32_t RowCount();
  bool HasData(int32_t r);
  double Qty(const char* key, int32_t r);
  // Writes a computed number into `key` at row `r` (0 the head).
  void WriteRate(const char* key, int32_t r, double value, const std::string& text);
  // Shows `text` (translated) with `style`; false for the save checks.
  bool Refuse(const std::string& text);

  std::string m_sCurKey;
};

}  // namespace orb
