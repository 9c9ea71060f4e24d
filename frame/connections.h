// Event connections: the plug-in side of a WithEvents member.
//
// A connection holds the host interface a plug-in was shown and is the sink
// the host raises events on. It forwards each event to the plug-in's handlers
// and makes sure that no error ever leaves a handler into the host. Setting
// the member moves the connection: the previous interface is released and
// receives no more handling.
#pragma once

#include <functional>

#include "host/bill_interface.h"
#include "host/list_interface.h"

namespace orb {

// Runs one event handler; anything it raises stops here.
void GuardEvent(const std::function<void()>& handler) noexcept;

class BillConnection : private BillEvents {
 public:
  explicit BillConnection(BillEvents& handlers) : handlers_(handlers) {}
  ~BillConnection() override;
  BillConnection(const BillConnection&) = delete;
  BillConnection& operator=(const BillConnection&) = delete;

  // The member's setter: binds the events of `bill` (nullptr releases).
  void Set(BillInterfacePtr bill);
  const BillInterfacePtr& Get() const { return bill_; }
  BillInterface* operator->() const { return bill_.get(); }
  explicit operator bool() const { return bill_ != nullptr; }

 private:
  void BarInitialize(const ActiveBarPtr& bar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& fieldInfo, int32_t col, int32_t row,
              bool& cancel) override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void BeforeSave(bool& cancel) override;
  void BusinessCheck(bool& cancel) override;
  void unBusinessCheck(bool& cancel) override;
  void AfterSave(bool& cancel) override;
  void AfterLoadBill() override;
  void AfterNewBill() override;
  void BeforLoadBillFillData() override;
  void AfterCopyBill() override;
  void AfterSelBill(int32_t selBillType) override;
  void BeforeSelBillShowFilter(DictionaryPtr& filter) override;
  void AfterSelBillBeforeFillData(const DictionaryPtr& data, const DictionaryPtr& link) override;
  void AfterFillRow(int32_t row, const DictionaryPtr& page, const DictionaryPtr& entryData,
                    const DictionaryPtr& link) override;
  void BeforeDoAction(const ObjectPtr& item, const std::string& actionType,
                      const std::string& action, const Variant& parameters, bool& cancel) override;
  void AddNewRow(int32_t index, int32_t newRow) override;
  void AfterDeleteRow(int32_t index, int32_t row) override;

  BillEvents& handlers_;
  BillInterfacePtr bill_;
};

class ListConnection : private ListEvents {
 public:
  explicit ListConnection(ListEvents& handlers) : handlers_(handlers) {}
  ~ListConnection() override;
  ListConnection(const ListConnection&) = delete;
  ListConnection& operator=(const ListConnection&) = delete;

  void Set(ListInterfacePtr list);
  const ListInterfacePtr& Get() const { return list_; }
  ListInterface* operator->() const { return list_.get(); }
  explicit operator bool() const { return list_ != nullptr; }

 private:
  void BarInitialize(const ActiveBarPtr& bar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;

  ListEvents& handlers_;
  ListInterfacePtr list_;
};

}  // namespace orb
