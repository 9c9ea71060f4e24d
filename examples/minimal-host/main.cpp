// minimal-host: the smallest host of the plug-in library.
//
// It keeps one operation record scheme in memory, already audited, creates the
// plug-in that serves that bill by its ProgID, shows it the bill, and raises the
// events the host raises when it opens a saved bill. An audited scheme must not
// be edited or audited again, so the plug-in is expected to:
//   - set the bill control's status to 0 while the bill is filled, and
//   - disable the audit, unaudit, save and look-up tools once it is loaded.
// The program prints what happened and exits 0 only when all of that did.
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frame/registry.h"
#include "frame/version.h"
#include "host/bill_interface.h"
#include "host/component_factory.h"
#include "host/platform.h"

namespace {

using namespace orb;

// The process services: this host has no outside components, prints message
// boxes and answers OK.
class ConsolePlatform : public Platform {
 public:
  ObjectPtr CreateObject(const std::string& progId) override { return components_.Create(progId); }
  int32_t MsgBox(const std::string& text, int32_t, const std::string& title) override {
    std::cout << "  message [" << title << "]: " << text << "\n";
    return mb::kOk;
  }
  void SetScreenPointer(int32_t) override {}
  uint32_t ProcessId() override { return 1; }
  std::string ComputerName() override { return "minimal-host"; }
  std::string AppPath() override { return "."; }

 private:
  ComponentFactory components_;  // none registered: every request raises 429
};

class MemoryBillControl : public BillControl {
 public:
  explicit MemoryBillControl(int32_t status) : status_(status) {}
  int32_t BillStatus() const override { return status_; }
  void SetBillStatus(int32_t status) override {
    std::cout << "  bill status " << status_ << " -> " << status << "\n";
    status_ = status;
  }
  bool MutexSuccess() const override { return true; }
  bool IsChange() const override { return false; }
  bool Isok() const override { return ok_; }
  void SetIsok(bool ok) override { ok_ = ok; }
  void SetLockProperty(bool, const DictionaryPtr&, bool) override {}
  void DoFillData(const DictionaryPtr&) override {}
  void DoSelBill(int32_t) override {}
  void SetGridMaxRows(int32_t, int32_t) override {}
  int32_t GetGridMaxRows(int32_t) const override { return 0; }
  Variant GetItem(const DictionaryPtr&, const DictionaryPtr&, const Variant&) override {
    return Variant::Null();
  }
  bool IsHaveData(int32_t, int32_t) const override { return false; }
  DictionaryPtr Data() override { return Dictionary::New(); }

 private:
  int32_t status_;
  bool ok_ = false;
};

// A bill with a head only: field values by key, tool states by key.
class MemoryBill : public BillInterface {
 public:
  MemoryBill(int32_t classTypeId, int32_t billId, int32_t status,
             std::map<std::string, Variant> head)
      : classTypeId_(classTypeId),
        billId_(billId),
        control_(std::make_shared<MemoryBillControl>(status)),
        head_(std::move(head)) {}

  // What the host does when it opens a saved bill.
  void Open() {
    for (BillEvents* sink : Sinks()) sink->BeforLoadBillFillData();
    for (BillEvents* sink : Sinks()) sink->AfterLoadBill();
  }
  size_t SinkCount() const { return sinks_.size(); }
  // The tool's property as last set; Empty when never set.
  Variant ToolState(const std::string& tool, const std::string& property) const {
    auto it = tools_.find(tool + "." + property);
    return it == tools_.end() ? Variant() : it->second;
  }

  void Advise(BillEvents* sink) override { sinks_.push_back(sink); }
  void Unadvise(BillEvents* sink) override { std::erase(sinks_, sink); }
  BillControlPtr BillCtl() override { return control_; }
  int32_t OpenMode() const override { return 2; }
  DictionaryPtr ClassType() override {
    return Dictionary::New({{"FID", Variant(classTypeId_)}, {"FName", Variant("scheme")}});
  }
  DictionaryPtr BillTemplate() override { return Dictionary::New(); }
  VectorPtr TableInfo() override { return Vector::New(); }
  DataServicePtr DataSrv() override { return nullptr; }
  DictionaryPtr Data() override { return Dictionary::New(); }

  DictionaryPtr GetFieldInfoByKey(const std::string& key, const std::string&, int32_t) override {
    if (!head_.count(key)) return nullptr;
    return Dictionary::New({{"FKey", Variant(key)}, {"FEntryType", Variant(0)}});
  }
  DictionaryPtr GetDataFld(const DictionaryPtr& fieldInfo, int32_t row) override {
    if (!fieldInfo || row != 0) return nullptr;
    Variant value = head_.at(fieldInfo->Get("FKey").AsString());
    return Dictionary::New({{"FFLD", value}, {"FFND", value}, {"FDSP", value}});
  }
  Variant GetFieldValue(const std::string& key, int32_t row, int32_t) override {
    return row == 0 && head_.count(key) ? head_.at(key) : Variant();
  }
  void SetFieldValue(const DictionaryPtr& info, const Variant& value, int32_t row) override {
    SetValue(info, value, row);
  }
  void SetDataFld(const DictionaryPtr& info, const Variant& value, int32_t row) override {
    SetValue(info, value, row);
  }
  void SetFieldValueByInfo(const DictionaryPtr& info, const Variant& value, int32_t row) override {
    SetValue(info, value, row);
  }
  void SetValueByKey(const std::string& key, const Variant& value, int32_t row) override {
    if (row == 0) head_[key] = value;
  }
  void SetBarStatus(const std::string& tool, const std::string& property,
                    const Variant& value) override {
    std::cout << "  tool " << tool << " " << property << " = " << value.Debug() << "\n";
    tools_[tool + "." + property] = value;
  }
  int32_t GetToolIndex(const std::string&, const std::string&) override { return -1; }
  void GetCurFieldInfo(DictionaryPtr& fieldInfo, int32_t& row, int32_t& col) override {
    fieldInfo = nullptr;
    row = col = 0;
  }
  void GetSelBillData(const DictionaryPtr&, const DictionaryPtr&) override {}
  void ClearPage(int32_t) override {}
  void InsertPageRow(int32_t, int32_t, const Variant&) override {}
  VectorPtr HeadControls() override { return Vector::New(); }
  VectorPtr EntryControls() override { return Vector::New(); }
  void RefreshBill() override {}
  void FireAfterSelBill(int32_t) override {}
  int32_t BillStatus() const override { return control_->BillStatus(); }
  int32_t FID() const override { return classTypeId_; }
  int32_t CurBillID() const override { return billId_; }
  std::shared_ptr<MultiCheckManager> MultiCheckMgr() override { return nullptr; }
  void UpdateLookFld(const DictionaryPtr&, const Variant&) override {}
  void LockCell(const Variant&, int32_t, bool) override {}
  void SetText(const DictionaryPtr& info, const DictionaryPtr& value, int32_t row) override {
    if (value) SetValue(info, value->Get("FFLD"), row);
  }
  void SetColWidth(const std::string&, int32_t) override {}

 private:
  // A copy, so that a handler may advise or unadvise while events are raised.
  std::vector<BillEvents*> Sinks() const { return sinks_; }
  void SetValue(const DictionaryPtr& info, const Variant& value, int32_t row) {
    if (info && row == 0) head_[info->Get("FKey").AsString()] = value;
  }

  int32_t classTypeId_;
  int32_t billId_;
  std::shared_ptr<MemoryBillControl> control_;
  std::map<std::string, Variant> head_;
  std::map<std::string, Variant> tools_;
  std::vector<BillEvents*> sinks_;
};

int failures = 0;

void Expect(bool ok, const std::string& what) {
  std::cout << (ok ? "ok   " : "FAIL ") << what << "\n";
  if (!ok) ++failures;
}

bool IsFalse(const Variant& v) {
  return v.Type() == VarType::Boolean && !v.AsBool();
}

// Opens a saved operation record scheme (class type 1001828, bill 12, status 2)
// under a new plug-in; checkerId 0 means not audited. Returns the bill after
// the plug-in is released.
std::shared_ptr<MemoryBill> OpenScheme(int32_t checkerId) {
  auto bill = std::make_shared<MemoryBill>(
      1001828, 12, 2,
      std::map<std::string, Variant>{{"FID", Variant(12)},
                                     {"FBillNo", Variant("CZFA000012")},
                                     {"FCheckerID", Variant(checkerId)}});
  PluginPtr plugin = CreatePlugin("OrbGMPBillEvent.OperateProj");
  plugin->Show(bill);
  Expect(bill->SinkCount() == 1, "Show connects the " + plugin->TypeName() + " plug-in");
  bill->Open();
  plugin.reset();
  Expect(bill->SinkCount() == 0, "releasing the plug-in disconnects it");
  return bill;
}

}  // namespace

int main() {
  std::cout << "OrbGMPBillEvent " << LibraryVersion() << "\n";
  InstallPlatform(std::make_shared<ConsolePlatform>());

  try {
    std::cout << "opening a scheme audited by user 7\n";
    auto audited = OpenScheme(7);
    Expect(audited->BillCtl()->BillStatus() == 0, "the audited bill's status is forced to 0");
    Expect(IsFalse(audited->ToolState("mnuEditCheck", "Enabled")), "audit is disabled");
    Expect(IsFalse(audited->ToolState("mnuEditUnCheck", "Enabled")), "unaudit is disabled");
    Expect(IsFalse(audited->ToolState("mnuFileSave", "Enabled")), "save is disabled");

    std::cout << "opening a scheme not audited yet\n";
    auto open = OpenScheme(0);
    Expect(open->BillCtl()->BillStatus() == 2, "the bill keeps its status");
    Expect(open->ToolState("mnuEditCheck", "Enabled") == Variant(true), "audit is enabled");
    Expect(open->ToolState("mnuFileSave", "Enabled").IsEmpty(), "save is left alone");
  } catch (const AutomationError& e) {
    std::cout << "FAIL error " << e.Number() << ": " << e.Description() << "\n";
    ++failures;
  }

  // A class the library does not have is a clear error, not a null object.
  try {
    CreatePlugin("OrbGMPBillEvent.NoSuchClass");
    Expect(false, "an unknown ProgID is refused");
  } catch (const AutomationError& e) {
    Expect(e.Number() == err::kCannotCreate, "an unknown ProgID is refused: " + e.Description());
  }

  std::cout << (failures == 0 ? "minimal-host: all checks passed\n" : "minimal-host: FAILED\n");
  return failures == 0 ? 0 : 1;
}
