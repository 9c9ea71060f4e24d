// "OrbBills.Bills": builds a stock bill (a transfer, 41, or a stock-loss
// bill, 43) in ICStockBill and ICStockBillEntry from a selected bill, and
// "OrbMGMPDestroy.DataUpdate", which records the built bill in its source.
//
// The selected bill is found through t_BillBuildSource (bill template and
// linking field -> its class type) and its lines are copied by the link
// template of (its class type, the transaction type) (refhost/schema/link.sql).
// The scripted user saves the new bill (a pick with a row, [1]) or closes it
// without saving ([] or no pick left; nothing is written).
//
// A generated bill and its link are one transaction: the bill component
// writes the saved bill inside a savepoint that stays open, and the data
// update commits it once it has written the link to that bill. A bill
// component released before (the link failed or never came) rolls its bill
// back, so that no bill is left without its link.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"
#include "refhost/sqlite_database.h"

namespace orb::refhost {

// A savepoint on the database: taken on construction, rolled back and
// released on destruction unless Release() came first. Inside a caller's
// transaction it nests; outside it is the transaction.
class Savepoint {
 public:
  Savepoint(Database& db, std::string name);
  ~Savepoint();
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  void Release();

 private:
  Database& db_;
  std::string name_;
  bool released_ = false;
};

// Commits the generated bill `billId` waiting for its link on `db`; false
// when no bill of that id waits.
bool CommitGeneratedBill(Database& db, int32_t billId);

class HostBills : public BillBuilder, private ComponentBase {
 public:
  explicit HostBills(Host& host);
  // Rolls back a saved bill whose link was never recorded.
  ~HostBills() override;
  HostBills(const HostBills&) = delete;
  HostBills& operator=(const HostBills&) = delete;

  void SetLocalCnn(const std::string& cnn) override { localCnn_ = cnn; }
  void SetSystemName(const std::string& name) override { systemName_ = name; }
  void SetOpt(int32_t userId, const std::string& userName) override;
  void SetBuildFromSelBill(bool build) override { build_ = build; }
  void SetSelBillVect(const VectorPtr& sel) override { sel_ = sel; }
  void SetBillROB(int32_t rob) override { rob_ = rob; }
  void SetNewBillTransType(const std::string& transType) override { transType_ = transType; }
  // Builds the bill and lets the user save or close it. Raises when the bill
  // cannot be built (no selection, an unknown kind of bill, no link template).
  void Show(int32_t a, int32_t b, int32_t modal) override;
  // What the user did with the bill, unless the host scripts the answer.
  bool BillValueChanged() const override;
  int32_t BillInterID() const override;

 private:
  // Writes the bill inside `pending_`; returns its id.
  int32_t Build(std::string& billNo);
  void DropPending();

  std::string localCnn_;
  std::string systemName_;
  int32_t userId_ = 0;
  std::string userName_;
  bool build_ = false;
  VectorPtr sel_;
  int32_t rob_ = 1;
  std::string transType_;
  bool changed_ = false;
  int32_t billId_ = 0;
  std::unique_ptr<Savepoint> pending_;
};

class HostDataUpdate : public DataUpdate, private ComponentBase {
 public:
  explicit HostDataUpdate(Host& host);

  // Writes the number of OldTblName's bill OldBillID (its FBillNo) and that
  // id into NOFldName and IDFldName of NewTblName's bill NewBillID (rows
  // whose FID, or FInterID when the table has no FID, is that id), then
  // commits the generated bill OldBillID if it waits for this link. Table
  // and column names must be plain names; values are bound. Raises when a
  // bill is missing; nothing is then written.
  void UpdateSrcBillRelateID(const std::string& props, const DictionaryPtr& link) override;
};

}  // namespace orb::refhost
