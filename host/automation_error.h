// The automation error: what a late-bound call raises and an error trap catches.
//
// It carries the three parts that handlers read and re-raise: the error number,
// the source that raised it and its description.
#pragma once

#include "host/object.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace orb {

// Error numbers of the automation runtime that the library raises itself.
namespace err {
constexpr int32_t kInvalidCall = 5;         // invalid procedure call or argument
constexpr int32_t kOverflow = 6;            // value out of range of the target type
constexpr int32_t kSubscript = 9;           // 1-based index out of range
constexpr int32_t kTypeMismatch = 13;       // value cannot be converted
constexpr int32_t kObjectNotSet = 91;       // Nothing used as an object
constexpr int32_t kInvalidNull = 94;        // Null used where a value is needed
constexpr int32_t kCannotCreate = 429;      // no component registered under a ProgID
constexpr int32_t kNotSupported = 438;      // object lacks the member
constexpr int32_t kNoCurrentRecord = 3021;  // recordset at BOF or EOF
constexpr int32_t kNoSuchField = 3265;      // recordset has no such column
constexpr int32_t kDatabase = -2147217900;  // a statement failed in the database
}  // namespace err

class ORB_HOST_API AutomationError : public std::exception {
 public:
  AutomationError(int32_t number, std::string source, std::string description);

  int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

// Raises an automation error.
[[noreturn]] void Raise(int32_t number, const std::string& source, const std::string& description);

// Raises `e` again with the same number and source and with its description
// passed through `describe` (for example the language resources).
[[noreturn]] void Reraise(const AutomationError& e,
                          const std::function<std::string(const std::string&)>& describe);

// Turns whatever a call threw into an automation error: automation errors
// pass unchanged, other exceptions become error 5 with their message.
AutomationError CurrentError(std::exception_ptr p);

}  // namespace orb
