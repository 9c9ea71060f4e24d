#include "host/automation_error.h"

#include <new>
#include <utility>

namespace orb {

AutomationError::AutomationError(int32_t number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {}

void Raise(int32_t number, const std::string& source, const std::string& description) {
  throw AutomationError(number, source, description);
}

void Reraise(const AutomationError& e,
             const std::function<std::string(const std::string&)>& describe) {
  throw AutomationError(e.Number(), e.Source(),
                        describe ? describe(e.Description()) : e.Description());
}

AutomationError CurrentError(std::exception_ptr p) {
  try {
    std::rethrow_exception(std::move(p));
  } catch (const AutomationError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return AutomationError(7, "OrbGMPBillEvent", "Out of memory");
  } catch (const std::exception& e) {
    return AutomationError(err::kInvalidCall, "OrbGMPBillEvent", e.what());
  } catch (...) {
    return AutomationError(err::kInvalidCall, "OrbGMPBillEvent", "Unknown error");
  }
}

}  // namespace orb
