#include "services/committed_step.h"

#include "frame/error_trap.h"
#include "host/platform.h"
#include "services/bill_values.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/login_context.h"

namespace orb {

namespace {

constexpr const char* kRefreshFailed = "操作已完成，但单据未能重新读取，原因：";
constexpr const char* kLogFailed = "操作已完成，但日志未能写入，原因：";

}  // namespace

bool WriteStepLog(const std::function<StepLog()>& logLine) {
  return Trap(
      [&] {
        const StepLog line = logLine();
        WriteUserLogOrRaise(line.type, line.text, line.funcId);
      },
      [](const AutomationError& e) {
        ShowMessage(PrefixedError(kLogFailed, e), mb::kExclamation);
      });
}

void ReportRefreshFailure(const AutomationError& error) {
  ShowMessage(PrefixedError(kRefreshFailed, error), mb::kExclamation);
}

void FinishCommittedStep(const std::function<void()>& refresh,
                         const std::function<StepLog()>& logLine) {
  AutomationError refreshError(0, "", "");
  const bool refreshed =
      !refresh || Trap(refresh, [&](const AutomationError& e) { refreshError = e; });
  WriteStepLog(logLine);
  if (!refreshed) ReportRefreshFailure(refreshError);
}

void FinishCommittedBillStep(const BillInterfacePtr& bill,
                             const std::function<StepLog()>& logLine) {
  FinishCommittedStep(
      [&] {
        AutomationError error(0, "", "");
        const bool ok =
            Trap([&] { bill->RefreshBill(); }, [&](const AutomationError& e) { error = e; });
        ControlOf(bill)->SetIsok(true);
        if (!ok) throw error;
      },
      logLine);
}

}  // namespace orb
