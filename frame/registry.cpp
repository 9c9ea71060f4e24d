#include "frame/registry.h"

#include <memory>

#include "bills/cleaning/audit_bill.h"
#include "bills/cleaning/clean_field_log.h"
#include "bills/cleaning/clean_manage.h"
#include "bills/cleaning/item_destroy_record.h"
#include "bills/cleaning/item_scrap_check.h"
#include "bills/cleaning/note_destory_log.h"
#include "bills/cleaning/rid_manage.h"
#include "bills/packaging/batch_pack_log.h"
#include "bills/packaging/batch_package.h"
#include "bills/packaging/box_unit_ext.h"
#include "bills/packaging/item_balance.h"
#include "bills/packaging/stock_maintain.h"
#include "bills/process/item_rate.h"
#include "bills/process/operate_proj.h"
#include "bills/process/proc_oper_ext.h"
#include "bills/process/warp_report_ext.h"
#include "forms/test_add_bar_tool.h"
#include "host/automation_error.h"
#include "host/convert.h"

namespace orb {

namespace {

struct PluginClass {
  const char* name;
  PluginPtr (*make)();
};

// The roster: one row per public class, in the order the host documents them.
const PluginClass kClasses[] = {
    {"TestAddBarTool", [] { return PluginPtr(std::make_shared<TestAddBarTool>()); }},
    {"StockMaintain", [] { return PluginPtr(std::make_shared<StockMaintain>()); }},
    {"BoxUnitExt", [] { return PluginPtr(std::make_shared<BoxUnitExt>()); }},
    {"NoteDestoryLog", [] { return PluginPtr(std::make_shared<NoteDestoryLog>()); }},
    {"BatchPackage", [] { return PluginPtr(std::make_shared<BatchPackage>()); }},
    {"CleanFieldLog", [] { return PluginPtr(std::make_shared<CleanFieldLog>()); }},
    {"BatchPackLog", [] { return PluginPtr(std::make_shared<BatchPackLog>()); }},
    {"ItemBalance", [] { return PluginPtr(std::make_shared<ItemBalance>()); }},
    {"ItemScrapCheck", [] { return PluginPtr(std::make_shared<ItemScrapCheck>()); }},
    {"ItemDestroyRecord", [] { return PluginPtr(std::make_shared<ItemDestroyRecord>()); }},
    {"WarpReportExt", [] { return PluginPtr(std::make_shared<WarpReportExt>()); }},
    {"CleanManage", [] { return PluginPtr(std::make_shared<CleanManage>()); }},
    {"CItemRate", [] { return PluginPtr(std::make_shared<CItemRate>()); }},
    {"AuditBill", [] { return PluginPtr(std::make_shared<AuditBill>()); }},
    {"RidManage", [] { return PluginPtr(std::make_shared<RidManage>()); }},
    {"OperateProj", [] { return PluginPtr(std::make_shared<OperateProj>()); }},
    {"ProcOperExt", [] { return PluginPtr(std::make_shared<ProcOperExt>()); }},
};

}  // namespace

PluginPtr CreatePlugin(const std::string& progId) {
  for (const auto& c : kClasses) {
    if (SameText(progId, std::string(kLibraryName) + "." + c.name)) return c.make();
  }
  Raise(err::kCannotCreate, progId, "ActiveX component can't create object: " + progId);
}

std::vector<std::string> PluginProgIds() {
  std::vector<std::string> ids;
  for (const auto& c : kClasses) ids.push_back(std::string(kLibraryName) + "." + c.name);
  return ids;
}

}  // namespace orb
