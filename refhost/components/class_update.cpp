#include "refhost/components/class_update.h"

#include <optional>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/components/bill_class.h"
#include "refhost/components/class_link.h"
#include "refhost/host.h"

namespace orb::refhost {

HostClassUpdate::HostClassUpdate(Host& host) : ComponentBase(host, progid::kClassUpdate) {}

void HostClassUpdate::DeleteBill(const std::string& /*props*/, const std::vector<Variant>& values) {
  auto arg = [&](size_t i) { return i < values.size() ? CallArg(values[i]) : nullptr; };
  if (Enter("DeleteBill", {arg(0), arg(1), arg(2), arg(3), arg(4), arg(5)}))
    Raise(kClassUpdateRefused, progId_, host_.Text("删除未成功，"));
  if (values.size() < 2)
    Raise(err::kInvalidCall, progId_, "DeleteBill needs the class type and the bill's id");
  const Variant billId = values[1];

  Database& db = host_.Db();
  // A GMP bill is named by its bill class; a stock bill (a generated transfer
  // or stock-loss bill) by its transaction type.
  SourceTables tables;
  if (std::optional<BillClass> cls = FindBillClass(db, CLng(values[0]), progId_)) {
    tables = {
        cls->classTypeId, cls->headTable, cls->entryTable, "FID", cls->billNoField, "", false};
  } else if (BoundStatement(db, "SELECT FID FROM ICTransactiontype WHERE FID = ?")
                 .Bind(1, Variant(CLng(values[0])))
                 .Fetch()
                 ->IsEOF()) {
    Raise(kClassUpdateRefused, progId_, host_.Text("单据类型不存在，"));
  } else {
    tables = FindSourceTables(db, CLng(values[0]), progId_);
  }

  Database::Transaction transaction(db);
  auto rs = BoundStatement(
                db, "SELECT FCheckerID FROM " + tables.head + " WHERE " + tables.idColumn + " = ?")
                .Bind(1, billId)
                .Fetch();
  if (rs->IsEOF()) Raise(kClassUpdateRefused, progId_, host_.Text("单据不存在，"));
  const Variant checker = rs->Value(0);
  if (!checker.IsNull() && Val(checker) > 0)
    Raise(kClassUpdateRefused, progId_, host_.Text("单据已审核，"));
  if (!tables.entry.empty()) {
    BoundStatement(db, "DELETE FROM " + tables.entry + " WHERE " + tables.idColumn + " = ?")
        .Bind(1, billId)
        .Run();
  }
  BoundStatement(db, "DELETE FROM " + tables.head + " WHERE " + tables.idColumn + " = ?")
      .Bind(1, billId)
      .Run();
  transaction.Commit();
}

}  // namespace orb::refhost
