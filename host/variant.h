// Variant: the automation value that flows between the host and the plug-ins.
//
// A Variant is Empty, Null, a 16-bit Integer, a 32-bit Long, a Double, a
// Boolean, a String (UTF-8), a Date or an Object reference (possibly Nothing).
// The conversions with the automation runtime's semantics live in convert.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "host/object.h"

namespace orb {

// An automation date: days since 1899-12-30, the fraction being the time of day.
struct Date {
  double serial = 0;
  bool operator==(const Date& o) const { return serial == o.serial; }
};

enum class VarType { Empty, Null, Integer, Long, Double, Boolean, String, Date, Object };

class ORB_HOST_API Variant {
 public:
  Variant() = default;  // Empty
  Variant(int32_t v) : v_(v) {}
  Variant(double v) : v_(v) {}
  Variant(bool v) : v_(v) {}
  Variant(const char* v) : v_(std::string(v)) {}
  Variant(std::string v) : v_(std::move(v)) {}
  Variant(Date v) : v_(v) {}
  Variant(ObjectPtr v) : v_(std::move(v)) {}
  template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
  Variant(std::shared_ptr<T> v) : v_(ObjectPtr(std::move(v))) {}

  static Variant Null() {
    Variant v;
    v.v_ = NullTag{};
    return v;
  }
  // A 16-bit Integer (plain integers make a 32-bit Long).
  static Variant Int(int16_t v) {
    Variant r;
    r.v_ = v;
    return r;
  }
  static Variant Nothing() { return Variant(ObjectPtr()); }

  VarType Type() const { return static_cast<VarType>(v_.index()); }
  bool IsEmpty() const { return Type() == VarType::Empty; }
  bool IsNull() const { return Type() == VarType::Null; }
  bool IsObject() const { return Type() == VarType::Object; }
  bool IsString() const { return Type() == VarType::String; }
  bool IsNumber() const;  // Integer, Long, Double or Boolean
  // True for an Object that is not Nothing.
  bool HasObject() const { return IsObject() && std::get<ObjectPtr>(v_) != nullptr; }

  // Raw accessors: the Variant must hold that type exactly.
  int16_t AsInteger() const { return std::get<int16_t>(v_); }
  int32_t AsLong() const { return std::get<int32_t>(v_); }
  double AsDouble() const { return std::get<double>(v_); }
  bool AsBool() const { return std::get<bool>(v_); }
  const std::string& AsString() const { return std::get<std::string>(v_); }
  Date AsDate() const { return std::get<Date>(v_); }
  const ObjectPtr& AsObject() const { return std::get<ObjectPtr>(v_); }

  // The object cast to T; nullptr when the Variant is no object of that kind.
  template <class T>
  std::shared_ptr<T> As() const {
    return IsObject() ? std::dynamic_pointer_cast<T>(AsObject()) : nullptr;
  }

  // Same type and same value (objects: the same instance).
  bool operator==(const Variant& o) const { return v_ == o.v_; }
  bool operator!=(const Variant& o) const { return !(*this == o); }

  // A readable text for diagnostics and transcripts ("Empty", "Null", 12, "text").
  std::string Debug() const;

 private:
  struct NullTag {
    bool operator==(const NullTag&) const { return true; }
  };
  std::variant<std::monostate, NullTag, int16_t, int32_t, double, bool, std::string, Date,
               ObjectPtr>
      v_;
};

const char* VarTypeName(VarType t);

}  // namespace orb
