// Selection of rows of a host bill list.
#pragma once

#include <cstdint>
#include <string>

#include "host/dictionary.h"

namespace orb {

// Opens the list-selection window on the host list listId under the filter
// (an SQL condition, "" for none) and lets the user pick rows: one row, or
// several when multi. Returns the selected rows, each a keyed dictionary of
// the list row ("FInterID", "FEntryID" when the list's bill has an entry
// table, and the list's columns), or nullptr when the user left the window
// without confirming a selection or the list could not be loaded. Raises
// when the host has no list control or the control raises.
VectorPtr ShowListSelect(int32_t listId, const std::string& filter, bool multi);

}  // namespace orb
