#include "frame/connections.h"

namespace orb {

void GuardEvent(const std::function<void()>& handler) noexcept {
  try {
    handler();
  } catch (...) {
    // A handler's own trap decides what the user sees; whatever still escapes
    // it must not reach the host.
  }
}

BillConnection::~BillConnection() {
  Set(nullptr);
}

void BillConnection::Set(BillInterfacePtr bill) {
  if (bill_) bill_->Unadvise(this);
  bill_ = std::move(bill);
  if (bill_) bill_->Advise(this);
}

void BillConnection::BarInitialize(const ActiveBarPtr& bar) {
  GuardEvent([&] { handlers_.BarInitialize(bar); });
}
void BillConnection::BarClick(const ToolPtr& tool, bool& cancel) {
  GuardEvent([&] { handlers_.BarClick(tool, cancel); });
}
void BillConnection::Change(const DictionaryPtr& dct, const DictionaryPtr& fieldInfo, int32_t col,
                            int32_t row, bool& cancel) {
  GuardEvent([&] { handlers_.Change(dct, fieldInfo, col, row, cancel); });
}
void BillConnection::BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) {
  GuardEvent([&] { handlers_.BeginEdit(dct, col, row); });
}
void BillConnection::BeforeSave(bool& cancel) {
  GuardEvent([&] { handlers_.BeforeSave(cancel); });
}
void BillConnection::BusinessCheck(bool& cancel) {
  GuardEvent([&] { handlers_.BusinessCheck(cancel); });
}
void BillConnection::unBusinessCheck(bool& cancel) {
  GuardEvent([&] { handlers_.unBusinessCheck(cancel); });
}
void BillConnection::AfterSave(bool& cancel) {
  GuardEvent([&] { handlers_.AfterSave(cancel); });
}
void BillConnection::AfterLoadBill() {
  GuardEvent([&] { handlers_.AfterLoadBill(); });
}
void BillConnection::AfterNewBill() {
  GuardEvent([&] { handlers_.AfterNewBill(); });
}
void BillConnection::BeforLoadBillFillData() {
  GuardEvent([&] { handlers_.BeforLoadBillFillData(); });
}
void BillConnection::AfterCopyBill() {
  GuardEvent([&] { handlers_.AfterCopyBill(); });
}
void BillConnection::AfterSelBill(int32_t selBillType) {
  GuardEvent([&] { handlers_.AfterSelBill(selBillType); });
}
void BillConnection::BeforeSelBillShowFilter(DictionaryPtr& filter) {
  GuardEvent([&] { handlers_.BeforeSelBillShowFilter(filter); });
}
void BillConnection::AfterSelBillBeforeFillData(const DictionaryPtr& data,
                                                const DictionaryPtr& link) {
  GuardEvent([&] { handlers_.AfterSelBillBeforeFillData(data, link); });
}
void BillConnection::AfterFillRow(int32_t row, const DictionaryPtr& page,
                                  const DictionaryPtr& entryData, const DictionaryPtr& link) {
  GuardEvent([&] { handlers_.AfterFillRow(row, page, entryData, link); });
}
void BillConnection::BeforeDoAction(const ObjectPtr& item, const std::string& actionType,
                                    const std::string& action, const Variant& parameters,
                                    bool& cancel) {
  GuardEvent([&] { handlers_.BeforeDoAction(item, actionType, action, parameters, cancel); });
}
void BillConnection::AddNewRow(int32_t index, int32_t newRow) {
  GuardEvent([&] { handlers_.AddNewRow(index, newRow); });
}
void BillConnection::AfterDeleteRow(int32_t index, int32_t row) {
  GuardEvent([&] { handlers_.AfterDeleteRow(index, row); });
}

ListConnection::~ListConnection() {
  Set(nullptr);
}

void ListConnection::Set(ListInterfacePtr list) {
  if (list_) list_->Unadvise(this);
  list_ = std::move(list);
  if (list_) list_->Advise(this);
}

void ListConnection::BarInitialize(const ActiveBarPtr& bar) {
  GuardEvent([&] { handlers_.BarInitialize(bar); });
}
void ListConnection::BarClick(const ToolPtr& tool, bool& cancel) {
  GuardEvent([&] { handlers_.BarClick(tool, cancel); });
}

}  // namespace orb
