// The reference host's bill: one open bill of a template's type on the
// account database, the interface its plug-in is shown, and the user's and
// the host's own actions on it.
//
// Data. Data() is the bill's live page data and the only copy of it:
// "page1" maps each head field key to its value record, "page2", "page3"...
// are vectors of entry rows, each mapping the page's field keys to value
// records (data_service.h). A plug-in that replaces a page in Data() replaces
// the bill's page. Row 0 (or any row below 1) addresses the head; entry rows
// count from 1 within the field's own page; a head field ignores the row.
// The saved bill's id is the host's own (CurBillID), whatever a plug-in
// writes into the head's id field.
//
// Transcript. Every effect of a plug-in is recorded as it happens ("field",
// "tool", "lock", "grid", "status", "action"); every event raised is recorded
// as "event" {name, cancel} once all sinks have handled it, so the records of
// what its handlers did come before the record of the event itself, and the
// cancel flag is the one the host acts on ({name} alone for events without
// one). What the host does, on its own or asked by a plug-in, is recorded as
// "action" {name, ...}: "open", "new", "load", "refresh", "reload" (after the
// host's audit), "save" {billId}, "save failed" {number, description},
// "edit" {key, row, value}, "edit undone", "copy", "select bill", "fill",
// "do sel bill", "add row", "add row refused", "delete row", "insert row",
// "clear page", "check"/"uncheck" {ok, message}, "check failed"/"uncheck
// failed", "unsupported" (no simple-check component), "click refused".
//
// Statements. Loading and saving run their statements with bound parameters
// (never spliced values) on the database; each statement's text passes
// through the host's faults first, so a "sql" fault can make it fail. These
// statements are no plug-in's and are not recorded as "sql".
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/automation_error.h"
#include "host/bill_interface.h"
#include "refhost/bill_template.h"
#include "refhost/data_service.h"
#include "refhost/event_sinks.h"
#include "refhost/toolbar.h"

namespace orb::refhost {

class Host;

class Bill : public BillInterface {
 public:
  // A bill of the template's type, empty until NewBill or Load. The bill's
  // parts (BillCtl, controls) refer to it and must not outlive it.
  Bill(Host& host, std::shared_ptr<const refhost::BillTemplate> tpl);
  ~Bill() override;
  Bill(const Bill&) = delete;
  Bill& operator=(const Bill&) = delete;

  // ---- What the user and the host do (the scenario runner's steps) --------

  // Opens the bill window: sets OpenMode and the bill status the host starts
  // with, then raises BarInitialize with the bill's toolbar.
  void Open(int32_t openMode, int32_t billStatus);
  // A new bill: empty pages, id 0, the bill status given to Open, then AfterNewBill.
  void NewBill();
  // Reads the saved bill: head and entries from the database, then
  // BeforLoadBillFillData (the data is there for it to read) and AfterLoadBill.
  // A bill that does not exist raises error 5 and leaves the bill as it was.
  void Load(int32_t billId);
  // BeforeSave; unless cancelled, writes the head (a new id for a new bill)
  // and the entry rows holding data in one transaction, then AfterSave. A
  // failure rolls everything back, leaves the bill unsaved and records
  // "save failed" {number, description}. True when the bill was written.
  bool Save();
  // The user types a value into a field: sets it (a number typed into a field
  // with a source table and a look-up type other than 100 is looked up,
  // within the field's FFilter), IsChange becomes True, then Change with the
  // field information and the field's value record. A cancelled Change puts
  // the old value and IsChange back ("edit undone") when the handler left the
  // field as typed, and keeps what the handler wrote otherwise ("edit kept").
  // A locked field (its lock, its cell's or its entry table's) refuses the
  // value ("edit refused"). True when the typed value stays.
  bool SetValue(const std::string& key, int32_t row, const Variant& value);
  // The user enters a field: it becomes the current field; BeginEdit with the
  // live field information.
  void BeginEdit(const std::string& key, int32_t row);
  // The user clicks a tool. A hidden or disabled tool is refused ("click
  // refused"); otherwise BarClick, and unless cancelled the host's own action:
  // "mnuFileSave" saves; "mnuEditCheck"/"mnuEditUnCheck" audit or unaudit
  // (see the .cpp); "mnuEditAddRow"/"mnuEditDelRow" add or delete an entry
  // row of the current entry page. True when the host's action ran (or the
  // tool has none); an unknown tool raises error 5. `force` clicks a hidden or
  // disabled tool as a host that does not refuse would ("forced click").
  bool ClickTool(const std::string& key, bool force = false);
  // Copies the bill into a new one (id 0, no auditor or audit date, IsChange
  // True), then AfterCopyBill.
  void CopyBill();
  // The user selects source bills: BeforeSelBillShowFilter with a filter
  // dictionary {"SelType"}; then, with `data` or with the bills picked in the
  // selection of the template's source class `selType` (the scripted user's
  // next pick: 1-based rows of the source's bills by id; "selection"
  // {sourceClass, bills}), AfterSelBillBeforeFillData(data, link), the data
  // filled in as DoFillData does, AfterFillRow for each filled entry row; then
  // AfterSelBill. The link record: {SRCClassTypeID, DestClassTypeID,
  // SelBills (the records picked)}. BillCtl.DoSelBill does the same without
  // the filter and AfterSelBill, which its caller raises.
  void SelectBill(int32_t selType, const DictionaryPtr& data = nullptr,
                  const DictionaryPtr& link = nullptr);
  // Appends an empty row to an entry page, 0 meaning the current entry page
  // (the focused field's, else page 2); refused ("add row refused") when the
  // page's grid is at its maximum rows. Raises AddNewRow(grid, row), the grid
  // being page - 2. The new row, or 0.
  int32_t AddRow(int32_t page = 0);
  // Deletes an entry row (of the current entry page); raises
  // AfterDeleteRow(grid, row). False when there is no such row.
  bool DeleteRow(int32_t page, int32_t row);
  bool DeleteRow(int32_t row) { return DeleteRow(CurrentEntryPage(), row); }
  // The field under the cursor (GetCurFieldInfo); an empty key clears it.
  void Focus(const std::string& key, int32_t row);

  // Events the host raises in situations the steps above do not model.
  // Change of the field's value as it stands, with the column and the field
  // information's CtlIndex given apart; returns the cancel flag.
  bool RaiseChange(const std::string& key, int32_t row, int32_t col, int32_t ctlIndex);
  void RaiseAfterSelBillBeforeFillData(const DictionaryPtr& data, const DictionaryPtr& link);
  void RaiseAfterFillRow(int32_t row, const DictionaryPtr& page, const DictionaryPtr& entryData,
                         const DictionaryPtr& link);
  // Returns the cancel flag.
  bool RaiseBeforeDoAction(const ObjectPtr& item, const std::string& actionType,
                           const std::string& action, const Variant& parameters);
  // Raises an event that takes no argument but a cancel flag, by name:
  // AfterLoadBill, AfterNewBill, BeforLoadBillFillData, AfterCopyBill,
  // BeforeSave, AfterSave, BusinessCheck, unBusinessCheck (letter case
  // ignored); any other name raises error 5. Returns the cancel flag.
  bool RaiseNamedEvent(const std::string& name);

  // ---- Configuration -----------------------------------------------------

  // What BillCtl.MutexSuccess answers (default True).
  void SetMutexSuccess(bool success) { mutexSuccess_ = success; }
  // Gives the bill a multi-level audit manager with IsRun = running.
  void SetMultiCheck(bool running);
  void ClearMultiCheck() { multiCheck_.reset(); }
  // Makes BillCtl.DoSelBill raise `error`; nullopt makes it select again.
  void SetDoSelBillError(std::optional<AutomationError> error) {
    doSelBillError_ = std::move(error);
  }
  // What BillCtl.GetItem answers (default True).
  void SetGetItemAnswer(const Variant& answer) { getItemAnswer_ = answer; }

  // ---- Inspection ---------------------------------------------------------

  // {"classType", "billId", "openMode", "billStatus", "isChange",
  //  "head": {key: FFLD}, "entries": {"page2": [{key: FFLD}...]},
  //  "tools": {key: {caption, visible, enabled}}, "bands": {band: [keys]},
  //  "locks": {key: locked}, "lockFlags": {key: flag},
  //  "cellLocks": {key: {row: locked}}, "tableLocks": {table: locked},
  //  "grids": {grid: rows}}
  // A field's lock is the last one set on it, by SetLockProperty or by its
  // control's SetLocked; only fields ever locked or unlocked are listed.
  nlohmann::json Snapshot() const;
  // FFLD of the field at the row (row ignored for a head field) as JSON; null
  // for an unknown key or a missing row.
  nlohmann::json FieldSnapshot(const std::string& key, int32_t row) const;
  const refhost::BillTemplate& Template() const { return *tpl_; }
  std::shared_ptr<Toolbar> Bar() const { return bar_; }
  // The value record of a field, as GetDataFld gives it but without faults or
  // transcript; nullptr for an unknown key or a missing row.
  DictionaryPtr ValueRecord(const std::string& key, int32_t row) const;
  // Rows of an entry page (0 for the head or an unknown page).
  int32_t RowCount(int32_t page) const;
  bool Isok() const { return isok_; }
  Host& GetHost() { return host_; }

  // ---- BillInterface --------------------------------------------------------

  void Advise(BillEvents* sink) override;
  void Unadvise(BillEvents* sink) override;
  BillControlPtr BillCtl() override;
  int32_t OpenMode() const override { return openMode_; }
  DictionaryPtr ClassType() override;
  DictionaryPtr BillTemplate() override { return templateDictionary_; }
  VectorPtr TableInfo() override;
  DataServicePtr DataSrv() override { return service_; }
  DictionaryPtr Data() override { return data_; }
  // By key (letter case ignored); the table name and index are not needed to
  // tell fields apart. An unknown key raises error 5 naming it.
  DictionaryPtr GetFieldInfoByKey(const std::string& key, const std::string& tableName,
                                  int32_t index) override;
  // The live value record; an entry row outside the page raises error 9.
  DictionaryPtr GetDataFld(const DictionaryPtr& fieldInfo, int32_t row) override;
  Variant GetFieldValue(const std::string& key, int32_t row, int32_t page) override;
  // A value-record dictionary sets FFLD, FFND and FDSP from its items; any
  // other value sets FFLD and, as text, FDSP. FModify becomes 1.
  void SetFieldValue(const DictionaryPtr& fieldInfo, const Variant& value, int32_t row) override;
  void SetDataFld(const DictionaryPtr& fieldInfo, const Variant& value, int32_t row) override;
  void SetFieldValueByInfo(const DictionaryPtr& fieldInfo, const Variant& value,
                           int32_t row) override;
  void SetValueByKey(const std::string& key, const Variant& value, int32_t row) override;
  // "Visible" or "Enabled" (letter case ignored) of the bar's tool. A tool
  // the bar lacks is ignored and recorded ("tool" with "error"); an unknown
  // property raises error 5.
  void SetBarStatus(const std::string& tool, const std::string& property,
                    const Variant& value) override;
  int32_t GetToolIndex(const std::string& band, const std::string& tool) override;
  void GetCurFieldInfo(DictionaryPtr& fieldInfo, int32_t& row, int32_t& col) override;
  // Nothing to do: the host's selection dialog is not modelled.
  void GetSelBillData(const DictionaryPtr& a, const DictionaryPtr& b) override;
  // The head: every field emptied but the id; an entry page: no rows.
  void ClearPage(int32_t page) override;
  // Inserts an empty row before `row` (appends when `row` is beyond the page);
  // a dictionary of values (value records or plain values by key) fills it.
  void InsertPageRow(int32_t page, int32_t row, const Variant& values) override;
  VectorPtr HeadControls() override;
  VectorPtr EntryControls() override;
  void RefreshBill() override;
  void FireAfterSelBill(int32_t selType) override;
  int32_t BillStatus() const override { return billStatus_; }
  int32_t FID() const override { return tpl_->ClassTypeId(); }
  int32_t CurBillID() const override { return billId_; }
  std::shared_ptr<MultiCheckManager> MultiCheckMgr() override { return multiCheck_; }
  void UpdateLookFld(const DictionaryPtr& fieldInfo, const Variant& number) override;
  // Locks an entry table's grid (`entry` a TableInfo item or a table name).
  void LockCell(const Variant& entry, int32_t kind, bool lock) override;
  void SetText(const DictionaryPtr& fieldInfo, const DictionaryPtr& value, int32_t row) override;
  void SetColWidth(const std::string& key, int32_t width) override;

 private:
  friend class BillCtlImpl;
  friend class FieldControl;

  // Raise an event on the sinks and record it once handled.
  template <class F>
  void Fire(const char* name, F&& call);
  template <class F>
  bool FireCancellable(const char* name, F&& call);

  const FieldTemplate& Field(const std::string& key) const;  // raises 5
  const FieldTemplate& FieldOf(const DictionaryPtr& info) const;
  DictionaryPtr Head() const;
  VectorPtr Rows(int32_t page) const;  // creates the page when missing
  // The live record; raises 9 for an entry row outside the page.
  DictionaryPtr Record(const FieldTemplate& f, int32_t row) const;
  DictionaryPtr NewRow(int32_t page) const;
  // A plug-in's write: the value set, then a "field" record.
  void Write(const FieldTemplate& f, const Variant& value, int32_t row);
  bool RowHasData(const DictionaryPtr& row) const;
  bool IsLocked(const FieldTemplate& f, int32_t row) const;
  void ResetPages();
  void ReadBill(int32_t billId, const char* action);
  void WriteBill();
  void Fill(const DictionaryPtr& data);
  void SelectAndFill(int32_t selType, DictionaryPtr data, DictionaryPtr link);
  bool OpenSelection(const SourceClassTemplate& source, DictionaryPtr& data, DictionaryPtr& link);
  void RunCheck(bool check);
  int32_t CurrentEntryPage() const;
  std::string TableKey(const Variant& entry) const;
  void Log(const std::string& kind, nlohmann::json data) const;

  Host& host_;
  std::shared_ptr<const refhost::BillTemplate> tpl_;
  std::shared_ptr<TemplateDataService> service_;
  std::shared_ptr<Toolbar> bar_;
  DictionaryPtr templateDictionary_;
  DictionaryPtr data_;
  BillControlPtr control_;
  std::shared_ptr<MultiCheckManager> multiCheck_;
  EventSinks<BillEvents> sinks_;

  int32_t openMode_ = 0;
  int32_t openStatus_ = 0;
  int32_t billStatus_ = 0;
  int32_t billId_ = 0;
  bool mutexSuccess_ = true;
  bool isChange_ = false;
  bool isok_ = false;
  Variant getItemAnswer_ = Variant(true);
  std::optional<AutomationError> doSelBillError_;
  std::string currentKey_;
  int32_t currentRow_ = 0;

  // Locks by the field key as the template spells it.
  void ResetWindow();
  // Each tool's (visible, enabled) once the toolbar was initialised.
  std::map<std::string, std::pair<bool, bool>> initialTools_;

  std::map<std::string, bool> locks_;
  std::map<std::string, bool> lockFlags_;
  std::map<std::string, std::map<int32_t, bool>> cellLocks_;
  std::map<std::string, bool> tableLocks_;
  std::map<int32_t, int32_t> gridRows_;
  std::map<std::string, int32_t> colWidths_;
};

}  // namespace orb::refhost
