// The host's bill: the interface a plug-in is shown, its bill control, its
// data service, its controls, and the events it raises.
//
// Values are keyed dictionaries (host/dictionary.h): field information from
// GetFieldInfoByKey, value records ("FFLD", "FFND", "FDSP", "FModify") from
// GetDataFld. Row 0 is the head; entry rows count from 1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/dictionary.h"
#include "host/object.h"
#include "host/recordset.h"
#include "host/toolbar.h"
#include "host/variant.h"

namespace orb {

// The bill control ("BillCtl").
class ORB_HOST_API BillControl : public Object {
 public:
  std::string TypeName() const override { return "BillCtl"; }
  virtual int32_t BillStatus() const = 0;
  virtual void SetBillStatus(int32_t status) = 0;
  // False while another user holds the bill's function lock.
  virtual bool MutexSuccess() const = 0;
  // True when the bill has unsaved changes.
  virtual bool IsChange() const = 0;
  virtual bool Isok() const = 0;
  virtual void SetIsok(bool ok) = 0;
  virtual void SetLockProperty(bool lock, const DictionaryPtr& fieldInfo, bool flag) = 0;
  // Fills the bill from page data ("page1" record, "page2"... row vectors).
  virtual void DoFillData(const DictionaryPtr& data) = 0;
  virtual void DoSelBill(int32_t selType) = 0;
  virtual void SetGridMaxRows(int32_t grid, int32_t rows) = 0;
  virtual int32_t GetGridMaxRows(int32_t grid) const = 0;
  // The host's check of a value against a related look-up (answer: Boolean or Null).
  virtual Variant GetItem(const DictionaryPtr& related, const DictionaryPtr& value,
                          const Variant& key) = 0;
  // True when the row of the page holds data.
  virtual bool IsHaveData(int32_t page, int32_t row) const = 0;
  virtual DictionaryPtr Data() = 0;
};

using BillControlPtr = std::shared_ptr<BillControl>;

// The bill's data service ("DataSrv").
class ORB_HOST_API DataService : public Object {
 public:
  std::string TypeName() const override { return "DataSrv"; }
  // An empty record of a page template (for an entry page, one row numbered `row`).
  virtual DictionaryPtr GetEmptyData(const DictionaryPtr& pageTemplate, bool entry,
                                     int32_t row) = 0;
  // The value record of the column named by the template's "FKey" in the
  // current row of rs.
  virtual Variant PackValue(const RecordsetPtr& rs, const DictionaryPtr& fieldTemplate) = 0;
  // The number of the saved bill `billId`; `caption` receives its caption text.
  virtual std::string GetExistBillNo(int32_t billId, std::string& caption) = 0;
  virtual DictionaryPtr ClassType() = 0;
  virtual VectorPtr TableInfo() = 0;
};

using DataServicePtr = std::shared_ptr<DataService>;

// One input control of the bill: its shown text and its lock flag. Grid
// controls lock single cells.
class ORB_HOST_API Control : public Object {
 public:
  std::string TypeName() const override { return "Control"; }
  virtual std::string Text() const = 0;
  virtual bool Locked() const = 0;
  virtual void SetLocked(bool locked) = 0;
  virtual void LockCell(const std::string& key, int32_t row, bool locked) = 0;
};

using ControlPtr = std::shared_ptr<Control>;

// A group of controls by field key (item 1 of HeadControls/EntryControls).
class ORB_HOST_API ControlGroup : public Object {
 public:
  std::string TypeName() const override { return "Controls"; }
  // The control of the field key; nullptr when there is none.
  virtual ControlPtr Item(const std::string& key) = 0;
};

using ControlGroupPtr = std::shared_ptr<ControlGroup>;

// The multi-level audit manager.
class ORB_HOST_API MultiCheckManager : public Object {
 public:
  std::string TypeName() const override { return "MultiCheckMgr"; }
  virtual bool IsRun() const = 0;
};

class BillEvents;

// The bill interface handed to Show (type name "BillEvent").
class ORB_HOST_API BillInterface : public Object {
 public:
  std::string TypeName() const override { return "BillEvent"; }

  // Event connection: the host raises its events on every connected sink.
  virtual void Advise(BillEvents* sink) = 0;
  virtual void Unadvise(BillEvents* sink) = 0;

  virtual BillControlPtr BillCtl() = 0;
  virtual int32_t OpenMode() const = 0;
  // "FObjectType", "FObjectID", "FID", "FName", "Mutex".
  virtual DictionaryPtr ClassType() = 0;
  // "PageCount", "Page1", "Page2"...
  virtual DictionaryPtr BillTemplate() = 0;
  // Item 1 the head table, 2.. the entry tables; each with "FTableName".
  virtual VectorPtr TableInfo() = 0;
  virtual DataServicePtr DataSrv() = 0;
  // "page1" head record; "page2", "page3" row vectors.
  virtual DictionaryPtr Data() = 0;

  virtual DictionaryPtr GetFieldInfoByKey(const std::string& key, const std::string& tableName,
                                          int32_t index) = 0;
  // The value record of the field; row 0 the head.
  virtual DictionaryPtr GetDataFld(const DictionaryPtr& fieldInfo, int32_t row) = 0;
  virtual Variant GetFieldValue(const std::string& key, int32_t row, int32_t page) = 0;
  virtual void SetFieldValue(const DictionaryPtr& fieldInfo, const Variant& value, int32_t row) = 0;
  virtual void SetDataFld(const DictionaryPtr& fieldInfo, const Variant& value, int32_t row) = 0;
  virtual void SetFieldValueByInfo(const DictionaryPtr& fieldInfo, const Variant& value,
                                   int32_t row) = 0;
  virtual void SetValueByKey(const std::string& key, const Variant& value, int32_t row) = 0;
  // Sets a toolbar property ("Visible", "Enabled") of the tool by key.
  virtual void SetBarStatus(const std::string& tool, const std::string& property,
                            const Variant& value) = 0;
  // The 0-based position of the tool in the band; -1 when absent.
  virtual int32_t GetToolIndex(const std::string& band, const std::string& tool) = 0;
  // The field under the cursor: its information (nullptr when none), row and column.
  virtual void GetCurFieldInfo(DictionaryPtr& fieldInfo, int32_t& row, int32_t& col) = 0;
  virtual void GetSelBillData(const DictionaryPtr& a, const DictionaryPtr& b) = 0;
  virtual void ClearPage(int32_t page) = 0;
  virtual void InsertPageRow(int32_t page, int32_t row, const Variant& values) = 0;
  // Item 1 holds the controls by field key.
  virtual VectorPtr HeadControls() = 0;
  virtual VectorPtr EntryControls() = 0;
  // Reloads the bill from the database.
  virtual void RefreshBill() = 0;
  virtual void FireAfterSelBill(int32_t selType) = 0;

  virtual int32_t BillStatus() const = 0;
  // The bill's class type identifier.
  virtual int32_t FID() const = 0;
  // The saved bill's internal identifier (0 for a new bill).
  virtual int32_t CurBillID() const = 0;
  // The multi-level audit manager, or nullptr.
  virtual std::shared_ptr<MultiCheckManager> MultiCheckMgr() = 0;
  virtual void UpdateLookFld(const DictionaryPtr& fieldInfo, const Variant& number) = 0;
  virtual void LockCell(const Variant& entry, int32_t kind, bool lock) = 0;
  // Writes a value record back and shows its display text.
  virtual void SetText(const DictionaryPtr& fieldInfo, const DictionaryPtr& value, int32_t row) = 0;
  virtual void SetColWidth(const std::string& key, int32_t width) = 0;
};

using BillInterfacePtr = std::shared_ptr<BillInterface>;

// The events a bill raises. Every handler does nothing unless overridden;
// `cancel` arguments are by reference and True stops the host's own action.
class ORB_HOST_API BillEvents {
 public:
  virtual ~BillEvents() = default;
  virtual void BarInitialize(const ActiveBarPtr& /*bar*/) {}
  virtual void BarClick(const ToolPtr& /*tool*/, bool& /*cancel*/) {}
  // `dct` is the changed field's information (with "CtlIndex"), `dctFld` the
  // field's value record as the user left it (FFLD, FFND, FDSP and, for a
  // looked-up value, the extra items its look-up gives).
  virtual void Change(const DictionaryPtr& /*dct*/, const DictionaryPtr& /*dctFld*/,
                      int32_t /*col*/, int32_t /*row*/, bool& /*cancel*/) {}
  virtual void BeginEdit(const DictionaryPtr& /*dct*/, int32_t /*col*/, int32_t /*row*/) {}
  virtual void BeforeSave(bool& /*cancel*/) {}
  virtual void BusinessCheck(bool& /*cancel*/) {}
  virtual void unBusinessCheck(bool& /*cancel*/) {}
  virtual void AfterSave(bool& /*cancel*/) {}
  virtual void AfterLoadBill() {}
  virtual void AfterNewBill() {}
  virtual void BeforLoadBillFillData() {}
  virtual void AfterCopyBill() {}
  virtual void AfterSelBill(int32_t /*selBillType*/) {}
  // The handler may replace the filter dictionary.
  virtual void BeforeSelBillShowFilter(DictionaryPtr& /*filter*/) {}
  virtual void AfterSelBillBeforeFillData(const DictionaryPtr& /*data*/,
                                          const DictionaryPtr& /*link*/) {}
  virtual void AfterFillRow(int32_t /*row*/, const DictionaryPtr& /*page*/,
                            const DictionaryPtr& /*entryData*/, const DictionaryPtr& /*link*/) {}
  virtual void BeforeDoAction(const ObjectPtr& /*item*/, const std::string& /*actionType*/,
                              const std::string& /*action*/, const Variant& /*parameters*/,
                              bool& /*cancel*/) {}
  virtual void AddNewRow(int32_t /*index*/, int32_t /*newRow*/) {}
  virtual void AfterDeleteRow(int32_t /*index*/, int32_t /*row*/) {}
};

}  // namespace orb
