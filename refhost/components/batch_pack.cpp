#include "refhost/components/batch_pack.h"

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {

struct Transition {
  int32_t action;
  bool undo;
  int32_t from;
  int32_t to;
  const char* refusal;
};

const Transition kTransitions[] = {
    {13557, false, 1050, 13557, "单据不是下达状态，不能挂起！"},
    {13557, true, 13557, 1050, "单据未挂起，不能反挂起！"},
    {13558, false, 1049, 13558, "单据不是计划状态，不能作废！"},
    {13558, true, 13558, 1049, "单据未作废，不能反作废！"},
    {1051, false, 1050, 1051, "单据不是下达状态，不能结案！"},
    {1051, true, 1051, 1050, "单据未结案，不能反结案！"},
};

}  // namespace

HostBatchPack::HostBatchPack(Host& host) : ComponentBase(host, progid::kBatchPack) {}

bool HostBatchPack::Update(const std::string& /*props*/, const DictionaryPtr& request) {
  if (!request) Raise(err::kObjectNotSet, progId_, "Object variable not set (request)");
  const Variant billId = request->Get("InterID");
  const Variant action = request->Get("ActionID");
  const Variant direction = request->GetOr("CheckSwitch", Variant(0));
  if (Enter("Update", {CallArg(billId), CallArg(action), CallArg(direction)})) return false;

  const int32_t actionId = CLng(action);
  const bool undo = CLng(direction) != 0;
  const Transition* step = nullptr;
  for (const auto& t : kTransitions) {
    if (t.action == actionId && t.undo == undo) step = &t;
  }
  if (!step) return Answer(request, false, "未知的操作！");

  Database& db = host_.Db();
  Database::Transaction transaction(db);
  auto rs = BoundStatement(db, "SELECT FBillStatus FROM gmpbatchpacket WHERE FID = ?")
                .Bind(1, billId)
                .Fetch();
  if (rs->IsEOF()) return Answer(request, false, "单据不存在！");
  const Variant status = rs->Value(0);
  if (status.IsNull() || Val(status) != step->from) return Answer(request, false, step->refusal);
  BoundStatement(db, "UPDATE gmpbatchpacket SET FBillStatus = ? WHERE FID = ?")
      .Bind(1, Variant(step->to))
      .Bind(2, billId)
      .Run();
  transaction.Commit();
  return Answer(request, true, "");
}

}  // namespace orb::refhost
