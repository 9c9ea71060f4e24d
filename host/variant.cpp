#include "host/variant.h"

#include "host/convert.h"

namespace orb {

bool Variant::IsNumber() const {
  switch (Type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Boolean:
      return true;
    default:
      return false;
  }
}

std::string Variant::Debug() const {
  switch (Type()) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Boolean:
      return CStr(*this);
    case VarType::String: {
      // Quoted as a Basic literal: embedded quotes are doubled.
      std::string out = "\"";
      for (char c : AsString()) {
        out += c;
        if (c == '"') out += '"';
      }
      return out + "\"";
    }
    case VarType::Date:
      return "#" + DateText(AsDate()) + "#";
    case VarType::Object: {
      const ObjectPtr& o = AsObject();
      return o ? "<" + o->TypeName() + ">" : "Nothing";
    }
  }
  return "?";
}

const char* VarTypeName(VarType t) {
  switch (t) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Integer:
      return "Integer";
    case VarType::Long:
      return "Long";
    case VarType::Double:
      return "Double";
    case VarType::Boolean:
      return "Boolean";
    case VarType::String:
      return "String";
    case VarType::Date:
      return "Date";
    case VarType::Object:
      return "Object";
  }
  return "Unknown";
}

}  // namespace orb
