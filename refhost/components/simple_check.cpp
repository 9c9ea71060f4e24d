#include "refhost/components/simple_check.h"

#include <optional>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/components/bill_class.h"
#include "refhost/components/system_object.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {

// Life-cycle states a release moves a bill between.
constexpr int32_t kStatusPlanned = 1049;
constexpr int32_t kStatusReleased = 1050;

double NumberOf(const Variant& v) {
  return v.IsNull() || v.IsEmpty() ? 0 : Val(v);
}

}  // namespace

HostSimpleCheck::HostSimpleCheck(Host& host) : ComponentBase(host, progid::kSimpleCheck) {}

bool HostSimpleCheck::CheckBill(const std::string& props, const DictionaryPtr& request) {
  if (!request) Raise(err::kObjectNotSet, progId_, "Object variable not set (request)");
  const Variant classType = request->Get("BillClassTypeid");
  const Variant billId = request->Get("InterID");
  const bool check = CLng(request->GetOr("CheckSwitch", Variant(0))) == 0;
  if (Enter("CheckBill", {CallArg(classType), CallArg(billId), check ? 0 : 1})) {
    const std::string& reason = host_.GetFaults().FailReason();
    return Answer(request, false, !reason.empty() ? reason : check ? "审核失败！" : "反审核失败！");
  }

  Database& db = host_.Db();
  std::optional<BillClass> cls = FindBillClass(db, CLng(classType), progId_);
  if (!cls) return Answer(request, false, "单据类型不存在！");
  std::optional<std::string> user = LoginProperty(props, "UserID");
  if (check && (!user || Val(*user) <= 0)) return Answer(request, false, "没有审核人，不能审核！");

  Database::Transaction transaction(db);
  auto rs = BoundStatement(db, "SELECT FCheckerID FROM " + cls->headTable + " WHERE FID = ?")
                .Bind(1, billId)
                .Fetch();
  if (rs->IsEOF()) return Answer(request, false, "单据不存在！");
  const double checker = NumberOf(rs->Value(0));
  if (check && checker > 0) return Answer(request, false, "单据已经审核，不能重复审核！");
  if (!check && checker <= 0) return Answer(request, false, "单据尚未审核，不能反审核！");

  if (check) {
    BoundStatement(db, "UPDATE " + cls->headTable +
                           " SET FCheckerID = ?, FCheckDate = date('now', 'localtime') "
                           "WHERE FID = ?")
        .Bind(1, Variant(CLng(Variant(*user))))
        .Bind(2, billId)
        .Run();
  } else {
    BoundStatement(
        db, "UPDATE " + cls->headTable + " SET FCheckerID = NULL, FCheckDate = '' WHERE FID = ?")
        .Bind(1, billId)
        .Run();
  }
  transaction.Commit();
  return Answer(request, true, check ? "审核成功！" : "反审核成功！");
}

bool HostSimpleCheck::ReleaseBill(const std::string& /*props*/, const DictionaryPtr& request) {
  if (!request) Raise(err::kObjectNotSet, progId_, "Object variable not set (request)");
  const Variant classType = request->Get("BillClassTypeID");
  const Variant billId = request->Get("InterID");
  const bool release = CLng(request->GetOr("CheckSwitch", Variant(0))) == 0;
  if (Enter("ReleaseBill", {CallArg(classType), CallArg(billId), release ? 0 : 1}))
    return Answer(request, false, release ? "下达失败！" : "反下达失败！");

  Database& db = host_.Db();
  std::optional<BillClass> cls = FindBillClass(db, CLng(classType), progId_);
  if (!cls) return Answer(request, false, "单据类型不存在！");

  Database::Transaction transaction(db);
  auto rs =
      BoundStatement(db, "SELECT FBillStatus, FReleaseID FROM " + cls->headTable + " WHERE FID = ?")
          .Bind(1, billId)
          .Fetch();
  if (rs->IsEOF()) return Answer(request, false, "单据不存在！");
  const double status = NumberOf(rs->Value(0));
  const bool released = NumberOf(rs->Value(1)) != 0;

  if (release) {
    if (released) return Answer(request, false, "单据已经下达，不能重复下达！");
    if (status != kStatusPlanned) return Answer(request, false, "单据不是计划状态，不能下达！");
    // Release numbers count up over all bills of the class.
    auto next =
        BoundStatement(db, "SELECT ifnull(max(FReleaseID), 0) + 1 FROM " + cls->headTable).Fetch();
    BoundStatement(
        db, "UPDATE " + cls->headTable + " SET FBillStatus = ?, FReleaseID = ? WHERE FID = ?")
        .Bind(1, Variant(kStatusReleased))
        .Bind(2, next->Value(0))
        .Bind(3, billId)
        .Run();
  } else {
    if (!released) return Answer(request, false, "单据尚未下达，不能反下达！");
    if (status != kStatusReleased) return Answer(request, false, "单据不是下达状态，不能反下达！");
    BoundStatement(
        db, "UPDATE " + cls->headTable + " SET FBillStatus = ?, FReleaseID = NULL WHERE FID = ?")
        .Bind(1, Variant(kStatusPlanned))
        .Bind(2, billId)
        .Run();
  }
  transaction.Commit();
  return Answer(request, true, release ? "下达成功！" : "反下达成功！");
}

}  // namespace orb::refhost
