#include "refhost/variant_json.h"

#include <cstdint>
#include <limits>

#include "host/convert.h"
#include "host/dictionary.h"

namespace orb::refhost {

nlohmann::json VariantToJson(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
    case VarType::Null:
      return nullptr;
    case VarType::Integer:
      return v.AsInteger();
    case VarType::Long:
      return v.AsLong();
    case VarType::Double:
      return v.AsDouble();
    case VarType::Boolean:
      return v.AsBool();
    case VarType::String:
      return v.AsString();
    case VarType::Date:
      return DateText(v.AsDate());
    case VarType::Object:
      break;
  }
  if (auto d = v.As<Dictionary>()) {
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [key, item] : d->Items()) out[key] = VariantToJson(item);
    return out;
  }
  if (auto vec = v.As<Vector>()) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& item : vec->Items()) out.push_back(VariantToJson(item));
    return out;
  }
  return v.HasObject() ? "<" + v.AsObject()->TypeName() + ">" : "Nothing";
}

Variant JsonToVariant(const nlohmann::json& j) {
  switch (j.type()) {
    case nlohmann::json::value_t::boolean:
      return Variant(j.get<bool>());
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned: {
      if (j.is_number_unsigned() && j.get<uint64_t>() > uint64_t{INT32_MAX})
        return Variant(j.get<double>());
      auto n = j.get<int64_t>();
      if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
        return Variant(static_cast<int32_t>(n));
      return Variant(static_cast<double>(n));
    }
    case nlohmann::json::value_t::number_float:
      return Variant(j.get<double>());
    case nlohmann::json::value_t::string:
      return Variant(j.get<std::string>());
    case nlohmann::json::value_t::object: {
      auto d = Dictionary::New();
      for (const auto& [key, item] : j.items()) d->Set(key, JsonToVariant(item));
      return Variant(d);
    }
    case nlohmann::json::value_t::array: {
      auto vec = Vector::New();
      for (const auto& item : j) vec->Add(JsonToVariant(item));
      return Variant(vec);
    }
    default:
      return Variant();
  }
}

}  // namespace orb::refhost
