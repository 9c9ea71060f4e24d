// The login context the host shares with the plug-ins.
//
// The login property string ("PropsString" of the shared-property service) is
// a list of key=value pairs separated by ";"; a value may be wrapped in "{"
// and "}" and then contain ";". Keys compare without regard to letter case.
// The string and the login object are fetched anew on every call; the system
// object and the parsed property collection are cached per thread (see
// ResetServiceCaches).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/components.h"
#include "host/variant.h"

namespace orb {

// ---- Property string parser ------------------------------------------------

// Splits `s` once at the first `delim` (letter case ignored): returns the part
// before it and leaves the rest in `s`. Without the delimiter returns all of
// `s` and empties it.
std::string TakeToken(std::string& s, const std::string& delim);
// The trimmed text up to the next "=".
std::string TakeKey(std::string& s);
// The trimmed value up to the next ";"; a value starting with "{" runs up to
// the "}" (";" included) and the rest up to the next ";" is dropped.
std::string TakeValue(std::string& s);

// The value of `name` in `props`, pair by pair; "" when absent.
std::string LoginPropertyIn(const std::string& props, const std::string& name);
// The text between the first occurrence of key + "=" (letter case ignored) and
// the next ";"; "" when absent.
std::string PropsValueIn(const std::string& props, const std::string& key);

// ---- The login property string ---------------------------------------------

// The shared property "PropsString"; "" when it cannot be read.
std::string GetPropsString();
// LoginPropertyIn(GetPropsString(), name).
std::string GetLoginProperty(const std::string& name);
// PropsValueIn(GetPropsString(), key).
std::string GetPropsValue(const std::string& key);

// Parses `props` into this thread's property collection (replacing the one
// before) and remembers the string; a repeated key keeps its first value.
// Returns true.
bool ParseProperties(const std::string& props);
// An item of the parsed collection; "" when absent. When nothing has been
// parsed on this thread yet, GetPropsString() is parsed first.
std::string GetParsedProperty(const std::string& key);
// "UserName" of the parsed collection.
std::string GetUserName();
// CLng of "UserID" of the parsed collection; 0 when it is absent or no number.
int32_t GetUserID();

// ---- Shared objects ----------------------------------------------------------

// GetProperty(process id, name) of a new "PropsMgr.ShareProps". Raises when
// the service cannot be created or fails.
Variant GetSharedProperty(const std::string& name);
// The shared login object "TVLogin" (task lock). Raises when it is missing
// (error 91 when the property holds no login object).
std::shared_ptr<LoginObject> GetLoginObject();
// This thread's "ZADUVAvuz.GLData", created on first use. Raises when it
// cannot be created.
std::shared_ptr<SystemObject> GetSystemObject();
// WriteLog(funcId, type, text) on the system object; any error is dropped.
void WriteUserLog(int32_t type, const std::string& text, const std::string& funcId);
// The same, raising what the system object raised: for the log line of a
// committed step, whose loss must be reported (services/committed_step.h).
void WriteUserLogOrRaise(int32_t type, const std::string& text, const std::string& funcId);

// Drops every per-thread cache of the shared services (system object, parsed
// properties, resource loader, language, form-resource loader, the hidden
// toolbar form with its translated captions), for hosts and
// tests that change the login.
void ResetServiceCaches();

}  // namespace orb
