// Contracts of the host's outside components, each created by ProgID through
// the platform (CreateObjectAs<T>(progId)). The components belong to the host;
// the library relies only on the members declared here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/bill_interface.h"
#include "host/dictionary.h"
#include "host/object.h"
#include "host/recordset.h"
#include "host/toolbar.h"
#include "host/variant.h"

namespace orb {

namespace progid {
inline constexpr const char* kShareProps = "PropsMgr.ShareProps";
inline constexpr const char* kSystemObject = "ZADUVAvuz.GLData";
inline constexpr const char* kResLoader = "OrbResLoader.Loader";
inline constexpr const char* kLangInfo = "OrbLangInfo.LangInfo";
inline constexpr const char* kFrmResLoader = "FrmRes.FrmResLoader";
inline constexpr const char* kSystemDlg = "CSystemDlg.Sys";
inline constexpr const char* kSimpleCheck = "OrbMQMDataAccess.cBillSimpleCheck";
inline constexpr const char* kClassUpdate = "OrbMClass.ClassUpdate";
inline constexpr const char* kDispBuilder = "OrbDisplayer.DispBuilder";
inline constexpr const char* kBatchPack = "OrbMGMPBatchPack.CBatchPack";
inline constexpr const char* kToolbarControl = "OrbBar.ActiveBar";
inline constexpr const char* kListSelect = "ICListSel.ListSel";
inline constexpr const char* kClassLink = "OrbClassLink.ClassLink";
inline constexpr const char* kDataInfo = "OrbMQMDataAccess.DataInfo";
inline constexpr const char* kRoutingView = "OrbRoutingView.RoutingView";
inline constexpr const char* kBills = "OrbBills.Bills";
inline constexpr const char* kDataUpdate = "OrbMGMPDestroy.DataUpdate";
inline constexpr const char* kGradingData = "OrbMQMGrading.CGetGradingData";
}  // namespace progid

// "PropsMgr.ShareProps": properties the host shares per process
// ("PropsString" the login property string, "TVLogin" the login object).
class ORB_HOST_API SharedProperties : public Object {
 public:
  std::string TypeName() const override { return "ShareProps"; }
  virtual Variant GetProperty(uint32_t processId, const std::string& name) = 0;
};

// The shared login object ("TVLogin"): the task lock between users.
class ORB_HOST_API LoginObject : public Object {
 public:
  std::string TypeName() const override { return "TVLogin"; }
  // Takes the task lock of (subsystem, function number); returns a handle
  // above 0, or 0 or less when another user holds it. `key` may be Empty.
  virtual int32_t taskexec(int32_t subSysId, const std::string& number, const std::string& computer,
                           int32_t kind, const Variant& a, const Variant& b,
                           const Variant& key) = 0;
  // Releases the lock of the handle; True when it was released.
  virtual bool CommitTask(int32_t handle) = 0;
};

// "ZADUVAvuz.GLData": rights and the user log.
class ORB_HOST_API SystemObject : public Object {
 public:
  std::string TypeName() const override { return "GLData"; }
  virtual bool AccessCheck(const Variant& objectType, const Variant& objectId, int32_t right) = 0;
  virtual void WriteLog(const std::string& funcId, int32_t type, const std::string& text) = 0;
};

// "OrbResLoader.Loader": translated texts of a resource file.
class ORB_HOST_API ResLoader : public Object {
 public:
  std::string TypeName() const override { return "Loader"; }
  virtual std::string ResFileBaseName() const = 0;
  virtual void SetResFileBaseName(const std::string& name) = 0;
  virtual std::string LanguageID() const = 0;
  virtual void SetLanguageID(const std::string& language) = 0;
  // The text of the key in the current language; the key itself when the
  // catalog lacks it.
  virtual std::string LoadString(const std::string& key) = 0;
};

// "OrbLangInfo.LangInfo".
class ORB_HOST_API LangInfo : public Object {
 public:
  std::string TypeName() const override { return "LangInfo"; }
  virtual std::string CurrentLanguage() = 0;
};

// "FrmRes.FrmResLoader": the language's font on a form.
class ORB_HOST_API FormResLoader : public Object {
 public:
  std::string TypeName() const override { return "FrmResLoader"; }
  virtual void SetFrmFont(const ObjectPtr& form, const std::string& language) = 0;
};

// "CSystemDlg.Sys".
class ORB_HOST_API SystemDialog : public Object {
 public:
  std::string TypeName() const override { return "Sys"; }
  // The connection string of the local switch database.
  virtual std::string LocalCnn() = 0;
};

// "OrbMQMDataAccess.cBillSimpleCheck": audit and release rules. The request
// holds "BillClassTypeid"/"BillClassTypeID", "InterID", "CheckSwitch" and
// "ReturnString", which receives the component's message.
class ORB_HOST_API SimpleCheck : public Object {
 public:
  std::string TypeName() const override { return "cBillSimpleCheck"; }
  virtual bool CheckBill(const std::string& props, const DictionaryPtr& request) = 0;
  virtual bool ReleaseBill(const std::string& props, const DictionaryPtr& request) = 0;
};

// "OrbMClass.ClassUpdate": deletes a bill; raises an automation error when it cannot.
class ORB_HOST_API ClassUpdate : public Object {
 public:
  std::string TypeName() const override { return "ClassUpdate"; }
  virtual void DeleteBill(const std::string& props, const std::vector<Variant>& values) = 0;
};

// "OrbDisplayer.DispBuilder": gathers lines and shows them once.
class ORB_HOST_API DispBuilder : public Object {
 public:
  std::string TypeName() const override { return "DispBuilder"; }
  virtual void AddLine(const std::string& line) = 0;
  virtual void Show() = 0;
};

// "OrbMGMPBatchPack.CBatchPack": pause, cancel and end-case of an instruction.
class ORB_HOST_API BatchPackComponent : public Object {
 public:
  std::string TypeName() const override { return "CBatchPack"; }
  virtual bool Update(const std::string& props, const DictionaryPtr& request) = 0;
};

// "OrbBar.ActiveBar": the host's toolbar control, empty when created. A form
// of the library holding a toolbar creates one and fills it with tools.
class ORB_HOST_API ToolbarControl : public ActiveBar {
 public:
  // A new tool of that name with no caption, on no bar yet: GetTools()->Insert
  // puts it on this bar (or on another), and the inserted tool is the one to
  // change.
  virtual ToolPtr CreateTool(const std::string& name) = 0;
};

// "ICListSel.ListSel": the host's bill list (序时薄) of a look-up class under a
// filter, shown on a window of the library's, where the user marks rows and
// confirms ("SelectOK") or gives up ("Exit").
class ORB_HOST_API ListSelectControl : public Object {
 public:
  std::string TypeName() const override { return "ListSel"; }

  // What to list and how; read by Load.
  virtual void SetListID(int32_t listId) = 0;
  // An SQL condition on the listed bills ("" for none).
  virtual void SetFilter(const std::string& filter) = 0;
  // The account's connection text, "|", the user's id, "|", the user's name.
  virtual void SetBaseInfo(const std::string& baseInfo) = 0;
  // The connection string of the local switch database.
  virtual void SetLocalCnn(const std::string& cnn) = 0;
  virtual void SetListShowStatus(int32_t status) = 0;
  virtual void SetDestBillTransType(const std::string& transType) = 0;
  virtual void SetTranType(int32_t tranType) = 0;
  virtual void SetMultiSelect(int32_t multiSelect) = 0;
  virtual void SetCanSelectMultiRow(bool canSelect) = 0;
  virtual void SetSystemName(const std::string& name) = 0;
  // 1: any number of rows may be marked; 2: one row.
  virtual void SetSelectFlag(int32_t flag) = 0;

  // Place and size on the window, and whether it is shown.
  virtual void SetLeft(int32_t left) = 0;
  virtual void SetTop(int32_t top) = 0;
  virtual void SetWidth(int32_t width) = 0;
  virtual void SetHeight(int32_t height) = 0;
  virtual void SetVisible(bool visible) = 0;

  // Reads the list; False when it cannot be shown (an unknown list, a filter
  // the database refuses).
  virtual bool Load() = 0;
  // The list's name, for the window's caption.
  virtual std::string ListName() = 0;
  // The marked rows, each a keyed dictionary of the row's columns ("FInterID",
  // "FEntryID" when the listed bills have entries); an empty vector when none.
  virtual VectorPtr Selected() = 0;
  // All rows of the list.
  virtual RecordsetPtr GetListRs() = 0;
  // The list's columns: a vector of their names, in order.
  virtual ObjectPtr GetListFieldsDes() = 0;
  // Waits, while the window is shown modally, for the user's next command:
  // "SelectOK", "Exit", or "" when the user closed the window.
  virtual std::string WaitCommand() = 0;
  // Drops the rows read.
  virtual void ReleaseData() = 0;
};

// ---- Bill linking and generation ----------------------------------------------

// "OrbClassLink.ClassLink": fills a bill from selected source bills by the
// link template between the source's class type and the bill's.
class ORB_HOST_API ClassLink : public Object {
 public:
  std::string TypeName() const override { return "ClassLink"; }
  // The data service of the bill to fill; its class type is the target's.
  virtual void SetDataSrv(const DataServicePtr& dataSrv) = 0;
  // The class type of the selected source bills.
  virtual void SetSRCClassTypeID(int32_t classTypeId) = 0;
  // Reads the link template of (SRCClassTypeID, the bill's class type).
  virtual void InitLinkTemplate() = 0;
  // The page data ("page1" record, "page2"... row vectors) that DoFillData
  // writes into the bill: the values of the selected source records `sel`
  // (each a dictionary with "FInterID", and "FEntryID" for one entry line).
  // `billData` is the bill's Data.
  virtual DictionaryPtr selbills(bool flag, VectorPtr& sel, const DictionaryPtr& billData) = 0;
};

// "OrbMQMDataAccess.DataInfo": source-bill data.
class ORB_HOST_API DataInfo : public Object {
 public:
  std::string TypeName() const override { return "DataInfo"; }
  // The selected source records `sel` of the look-up field `key` of a bill of
  // class type `classTypeId` (its decimal text): one row per record, the
  // columns named by the field keys of that bill that take a source value.
  virtual RecordsetPtr GetSelOldBillData(const std::string& props, const std::string& classTypeId,
                                         const std::string& key, const VectorPtr& sel) = 0;
  // The bills of a head table (and their lines in the entry table, "" for
  // none) that meet `filter` (an SQL condition on the head table): one
  // dictionary per line, or per bill without lines, with "FInterID" (the
  // bill's id) and "FEntryID"; an empty vector when none does.
  virtual VectorPtr GetBillData(const std::string& props, const std::string& headTable,
                                const std::string& entryTable, const std::string& filter) = 0;
};

// One record of a "OrbMQMGrading.CGetGradingData" query.
class ORB_HOST_API GradingRecord : public Object {
 public:
  std::string TypeName() const override { return "GradingRecord"; }
  // The value of the column `name` (letter case ignored); `index` 0 is the
  // record's own value. Empty for a column the query did not return.
  virtual Variant GetValue(const std::string& name, int32_t index) = 0;
};

// "OrbMQMGrading.CGetGradingData": the records of a query.
class ORB_HOST_API GradingData : public Object {
 public:
  std::string TypeName() const override { return "CGetGradingData"; }
  // One GradingRecord per row of `sql` (an empty vector when none), or
  // nullptr when the query could not run.
  virtual VectorPtr GetData(const std::string& props, const std::string& sql) = 0;
};

// "OrbRoutingView.RoutingView": the user picks a routing.
class ORB_HOST_API RoutingView : public Object {
 public:
  std::string TypeName() const override { return "RoutingView"; }
  virtual int32_t RoutingID() const = 0;
  virtual void SetRoutingID(int32_t routingId) = 0;
  virtual void Show() = 0;
  // The routing picked: "FBillNO", "FInterID", "FName"; nullptr when the
  // dialog was closed.
  virtual DictionaryPtr Result() = 0;
};

// "OrbBills.Bills": builds a new bill from a selected bill and lets the user
// edit and save it.
class ORB_HOST_API BillBuilder : public Object {
 public:
  std::string TypeName() const override { return "Bills"; }
  // The connection string of the local switch database.
  virtual void SetLocalCnn(const std::string& cnn) = 0;
  virtual void SetSystemName(const std::string& name) = 0;
  // The user the new bill is made by.
  virtual void SetOpt(int32_t userId, const std::string& userName) = 0;
  virtual void SetBuildFromSelBill(bool build) = 0;
  // Item 1 the bill template id, item 2 the linking field name, item 3 a
  // vector of the selected bills ("BillTemplateID", "FieldName", "FInterID").
  virtual void SetSelBillVect(const VectorPtr& sel) = 0;
  // 1 a blue bill, -1 a red one.
  virtual void SetBillROB(int32_t rob) = 0;
  // The transaction type of the new bill ("41" transfer, "43" stock loss).
  virtual void SetNewBillTransType(const std::string& transType) = 0;
  // Shows the new bill; `modal` 1 waits until the user closes it.
  virtual void Show(int32_t a, int32_t b, int32_t modal) = 0;
  // True once the user saved the new bill; BillInterID is then its id.
  virtual bool BillValueChanged() const = 0;
  virtual int32_t BillInterID() const = 0;
};

// "OrbMGMPDestroy.DataUpdate": records a generated bill in its source bill.
class ORB_HOST_API DataUpdate : public Object {
 public:
  std::string TypeName() const override { return "DataUpdate"; }
  // `link`: "NewTblName" (the source bill's table), "NewBillID" (its id),
  // "IDFldName" and "NOFldName" (its columns that receive the generated
  // bill's id and number), "OldTblName" (the generated bill's table) and
  // "OldBillID" (its id). Raises when the link cannot be written.
  virtual void UpdateSrcBillRelateID(const std::string& props, const DictionaryPtr& link) = 0;
};

}  // namespace orb
