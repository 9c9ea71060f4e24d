#include "refhost/components/bill_builder.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/components/class_link.h"
#include "refhost/data_service.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {

constexpr int32_t kTransfer = 41;
constexpr int32_t kStockLoss = 43;

// The generated bill waiting for its link, per database.
struct Waiting {
  int32_t billId = 0;
  Savepoint* savepoint = nullptr;
};

std::mutex g_waitingMutex;
std::map<Database*, Waiting> g_waiting;

// Columns of the stock bill the component fills itself.
const std::set<std::string>& OwnColumns() {
  static const std::set<std::string> own = {"finterid",        "fentryid",       "fbillno",
                                            "ftrantype",       "fdate",          "fstatus",
                                            "fbillerid",       "fcheckerid",     "fcheckdate",
                                            "fsourcetrantype", "fsourceinterid", "fsourcebillno"};
  return own;
}

// The id column of a table: FID when it has one, else FInterID.
std::string IdColumnOf(const std::set<std::string>& columns, bool preferFid) {
  if (preferFid && columns.count("fid")) return "FID";
  if (columns.count("finterid")) return "FInterID";
  return "FID";
}

std::string Placeholders(size_t n) {
  std::string marks;
  for (size_t i = 0; i < n; ++i) marks += i == 0 ? "?" : ", ?";
  return marks;
}

}  // namespace

// ---- Savepoint ------------------------------------------------------------------

Savepoint::Savepoint(Database& db, std::string name) : db_(db), name_(std::move(name)) {
  db_.Exec("SAVEPOINT " + name_);
}

Savepoint::~Savepoint() {
  if (released_) return;
  try {
    db_.Exec("ROLLBACK TO " + name_);
    db_.Exec("RELEASE " + name_);
  } catch (...) {
    // The database dropped the transaction itself; nothing is left to undo.
  }
}

void Savepoint::Release() {
  db_.Exec("RELEASE " + name_);
  released_ = true;
}

bool CommitGeneratedBill(Database& db, int32_t billId) {
  std::lock_guard<std::mutex> lock(g_waitingMutex);
  auto it = g_waiting.find(&db);
  if (it == g_waiting.end() || it->second.billId != billId) return false;
  it->second.savepoint->Release();
  g_waiting.erase(it);
  return true;
}

// ---- Bills --------------------------------------------------------------------------

HostBills::HostBills(Host& host) : ComponentBase(host, progid::kBills) {}

HostBills::~HostBills() {
  DropPending();
}

void HostBills::DropPending() {
  if (!pending_) return;
  {
    std::lock_guard<std::mutex> lock(g_waitingMutex);
    auto it = g_waiting.find(&host_.Db());
    if (it != g_waiting.end() && it->second.savepoint == pending_.get()) g_waiting.erase(it);
  }
  pending_.reset();  // rolls back unless the link committed it
}

void HostBills::SetOpt(int32_t userId, const std::string& userName) {
  Enter("SetOpt", {userId, userName});
  userId_ = userId;
  userName_ = userName;
}

bool HostBills::BillValueChanged() const {
  return host_.Scripted().billChanged.value_or(changed_);
}

int32_t HostBills::BillInterID() const {
  return host_.Scripted().billId.value_or(billId_);
}

void HostBills::Show(int32_t a, int32_t b, int32_t modal) {
  DropPending();
  changed_ = false;
  billId_ = 0;
  if (Enter("Show", {a, b, modal, transType_, rob_})) return;

  auto& picks = host_.User().picks;
  std::vector<int32_t> pick;
  if (!picks.empty()) {
    pick = picks.front();
    picks.pop_front();
  }
  if (pick.empty()) {
    host_.Log().Add("action", {{"name", "bill closed"}});
    return;
  }
  std::string billNo;
  billId_ = Build(billNo);
  changed_ = true;
  host_.Log().Add("action", {{"name", "bill saved"}, {"billId", billId_}, {"billNo", billNo}});
}

int32_t HostBills::Build(std::string& billNo) {
  if (!build_) Raise(err::kInvalidCall, progId_, "Only bills built from a selected bill are made");
  const int32_t transType = static_cast<int32_t>(Val(Trim(transType_)));
  if (transType != kTransfer && transType != kStockLoss)
    Raise(err::kInvalidCall, progId_, "No stock bill of transaction type '" + transType_ + "'");
  if (!sel_ || sel_->Size() < 3)
    Raise(err::kInvalidCall, progId_, "The selection names no bill template and bills");
  VectorPtr records = sel_->Item(3).As<Vector>();
  if (!records || records->Size() == 0)
    Raise(err::kInvalidCall, progId_, "The selection holds no bill");

  Database& db = host_.Db();
  auto rs = BoundStatement(db,
                           "SELECT FSrcClassTypeID FROM t_BillBuildSource "
                           "WHERE FBillTemplateID = ? AND FFieldName = ?")
                .Bind(1, Variant(Trim(sel_->Item(1))))
                .Bind(2, Variant(Trim(sel_->Item(2))))
                .Fetch();
  if (rs->IsEOF()) {
    Raise(err::kInvalidCall, progId_,
          "No source bill for template " + Trim(sel_->Item(1)) + ", field " + Trim(sel_->Item(2)));
  }
  const SourceTables source = FindSourceTables(db, CLng(rs->Value(0)), progId_);
  const std::vector<LinkField> link = ReadLinkTemplate(db, source.classTypeId, transType, progId_);

  // Each mapped column goes to the head, the lines or both, as they have it.
  const auto headColumns = ColumnsOf(db, "ICStockBill");
  const auto entryColumns = ColumnsOf(db, "ICStockBillEntry");
  std::vector<size_t> toHead, toEntry;
  for (size_t i = 0; i < link.size(); ++i) {
    const std::string column = LCase(CheckedName(link[i].destKey, "Stock bill column", progId_));
    const bool head = headColumns.count(column) > 0, entry = entryColumns.count(column) > 0;
    if (OwnColumns().count(column) || (!head && !entry))
      Raise(err::kInvalidCall, progId_, "A stock bill's " + link[i].destKey + " is not copied");
    if (head) toHead.push_back(i);
    if (entry) toEntry.push_back(i);
  }

  // The lines of each selected bill, with that bill's id and number.
  struct Line {
    Variant sourceId;
    Variant sourceNo;
    std::vector<Variant> values;
  };
  std::vector<Line> lines;
  for (int32_t r = 1; r <= records->Size(); ++r) {
    DictionaryPtr record = records->DictionaryAt(r);
    if (!record) Raise(err::kTypeMismatch, progId_, "A selected bill is no dictionary");
    VectorPtr one = Vector::New();
    one->Add(Variant(record));
    auto rows = ReadSelectedRows(db, source, link, one, progId_);
    const Variant id = record->Get("FInterID");
    Variant number("");
    if (!source.billNoColumn.empty()) {
      auto no = BoundStatement(db, "SELECT " + source.billNoColumn + " FROM " + source.head +
                                       " WHERE " + source.idColumn + " = ?")
                    .Bind(1, id)
                    .Fetch();
      if (!no->IsEOF()) number = Variant(DisplayText(no->Value(0)));
    }
    for (const auto& row : rows->Rows()) lines.push_back({id, number, row});
  }
  if (lines.empty()) Raise(err::kInvalidCall, progId_, "None of the selected bills exists");

  {
    std::lock_guard<std::mutex> lock(g_waitingMutex);
    if (g_waiting.count(&db))
      Raise(err::kInvalidCall, progId_, "Another generated bill waits for its link");
  }
  auto pending = std::make_unique<Savepoint>(db, "orb_generate");
  const int32_t id = CLng(
      BoundStatement(db, "SELECT ifnull(max(FInterID), 0) + 1 FROM ICStockBill").Fetch()->Value(0));
  char number[32];
  std::snprintf(number, sizeof number, "%s%06d", transType == kTransfer ? "DB" : "PK", id);
  billNo = number;

  std::string sql =
      "INSERT INTO ICStockBill (FInterID, FBillNo, FTranType, FDate, FStatus, FBillerID";
  for (size_t i : toHead) sql += ", " + link[i].destKey;
  BoundStatement head(db, sql + ") VALUES (?, ?, ?, date('now', 'localtime'), 0, ?" +
                              std::string(toHead.empty() ? "" : ", ") +
                              Placeholders(toHead.size()) + ")");
  head.Bind(1, Variant(id)).Bind(2, Variant(billNo)).Bind(3, Variant(transType));
  head.Bind(4, userId_ > 0 ? Variant(userId_) : Variant::Null());
  for (size_t k = 0; k < toHead.size(); ++k)
    head.Bind(static_cast<int>(k) + 5, lines[0].values[toHead[k]]);
  head.Run();

  sql =
      "INSERT INTO ICStockBillEntry (FInterID, FEntryID, FSourceTranType, FSourceInterId, "
      "FSourceBillNo";
  for (size_t i : toEntry) sql += ", " + link[i].destKey;
  sql += ") VALUES (?, ?, ?, ?, ?" + std::string(toEntry.empty() ? "" : ", ") +
         Placeholders(toEntry.size()) + ")";
  int32_t entryId = 0;
  for (const Line& line : lines) {
    BoundStatement insert(db, sql);
    insert.Bind(1, Variant(id)).Bind(2, Variant(++entryId));
    insert.Bind(3, Variant(source.classTypeId)).Bind(4, line.sourceId).Bind(5, line.sourceNo);
    for (size_t k = 0; k < toEntry.size(); ++k)
      insert.Bind(static_cast<int>(k) + 6, line.values[toEntry[k]]);
    insert.Run();
  }

  std::lock_guard<std::mutex> lock(g_waitingMutex);
  pending_ = std::move(pending);
  g_waiting[&db] = {id, pending_.get()};
  return id;
}

// ---- DataUpdate ---------------------------------------------------------------------

HostDataUpdate::HostDataUpdate(Host& host) : ComponentBase(host, progid::kDataUpdate) {}

void HostDataUpdate::UpdateSrcBillRelateID(const std::string& /*props*/,
                                           const DictionaryPtr& link) {
  if (!link) Raise(err::kObjectNotSet, progId_, "Object variable not set (link)");
  auto item = [&](const char* key) { return Trim(link->Get(key)); };
  if (Enter("UpdateSrcBillRelateID", {item("NewTblName"), item("IDFldName"), item("NOFldName"),
                                      CallArg(link->Get("NewBillID")),
                                      CallArg(link->Get("OldBillID")), item("OldTblName")})) {
    Raise(err::kInvalidCall, progId_, "The link was not recorded");
  }
  const std::string target = CheckedName(item("NewTblName"), "NewTblName", progId_);
  const std::string idField = CheckedName(item("IDFldName"), "IDFldName", progId_);
  const std::string noField = CheckedName(item("NOFldName"), "NOFldName", progId_);
  const std::string generated = CheckedName(item("OldTblName"), "OldTblName", progId_);
  const Variant targetId = link->Get("NewBillID");
  const Variant generatedId = link->Get("OldBillID");

  Database& db = host_.Db();
  Savepoint savepoint(db, "orb_link");
  const std::string generatedKey = IdColumnOf(ColumnsOf(db, generated), false);
  auto rs =
      BoundStatement(db, "SELECT FBillNo FROM " + generated + " WHERE " + generatedKey + " = ?")
          .Bind(1, generatedId)
          .Fetch();
  if (rs->IsEOF()) {
    Raise(err::kInvalidCall, progId_, "No bill " + DisplayText(generatedId) + " in " + generated);
  }
  const Variant number = rs->Value(0);
  const std::string targetKey = IdColumnOf(ColumnsOf(db, target), true);
  BoundStatement(db, "UPDATE " + target + " SET " + idField + " = ?, " + noField + " = ? WHERE " +
                         targetKey + " = ?")
      .Bind(1, generatedId)
      .Bind(2, number)
      .Bind(3, targetId)
      .Run();
  if (db.Changes() == 0)
    Raise(err::kInvalidCall, progId_, "No bill " + DisplayText(targetId) + " in " + target);
  savepoint.Release();
  CommitGeneratedBill(db, CLng(generatedId));
}

}  // namespace orb::refhost
