// Variants as JSON and back, for transcripts, snapshots and scenario files.
//
//   Empty, Null       null
//   Integer, Long     integer
//   Double            number
//   Boolean           true / false
//   String            text
//   Date              "YYYY-MM-DD" (with " HH:MM:SS" when it has a time of day)
//   Dictionary        object (keys as spelled)
//   Vector            array
//   other objects     "<TypeName>", Nothing "Nothing"
#pragma once

#include <nlohmann/json.hpp>

#include "host/variant.h"

namespace orb::refhost {

nlohmann::json VariantToJson(const Variant& v);

// The reverse: null is Empty, an integer a Long (a Double beyond 32 bits), an
// object a Dictionary, an array a Vector.
Variant JsonToVariant(const nlohmann::json& j);

}  // namespace orb::refhost
