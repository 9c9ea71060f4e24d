// The end of a step the database has already committed (an audit, an
// unaudit, a release, a pause...): the bill or list is read again and the
// step's user-log line is written.
//
// The log line of a committed step is part of the GMP record and is always
// written: after the re-read when all goes well, and also when the re-read
// fails, whose failure is then reported. A log line that cannot be written is
// reported too ("the step was done, but its log line could not be written"),
// never dropped in silence. Neither failure undoes the step or turns it into
// a failure: the step stays done.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/automation_error.h"
#include "host/bill_interface.h"

namespace orb {

// One user-log line.
struct StepLog {
  int32_t type = 5;
  std::string text;
  std::string funcId;
};

// Runs `refresh`, then writes the line `logLine` builds; reports a failure of
// either as described above. `refresh` may be empty (nothing to read again).
void FinishCommittedStep(const std::function<void()>& refresh,
                         const std::function<StepLog()>& logLine);

// FinishCommittedStep for a bill: RefreshBill, and the bill control's Isok set
// (the step was checked outside the host) whether or not the re-read worked.
void FinishCommittedBillStep(const BillInterfacePtr& bill, const std::function<StepLog()>& logLine);

// Writes the line; a failure is reported. True when it was written.
bool WriteStepLog(const std::function<StepLog()>& logLine);
// Tells the user that a committed step's bill or list could not be read again.
void ReportRefreshFailure(const AutomationError& error);

}  // namespace orb
