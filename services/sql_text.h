// Text spliced into SQL.
//
// Statements and look-up filters are built by concatenation. Every text value
// that goes into one passes through SqlQuote, so that a quote inside the value
// cannot end the literal early.
#pragma once

#include <string>

namespace orb {

// The SQL literal of a text: the text between single quotes, each embedded
// single quote doubled ("O'Neil" -> "'O''Neil'").
std::string SqlQuote(const std::string& text);

}  // namespace orb
