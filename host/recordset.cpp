#include "host/recordset.h"

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb {

namespace {
constexpr const char* kSource = "ADODB.Recordset";
}

MemoryRecordset::MemoryRecordset(std::vector<std::string> columns,
                                 std::vector<std::vector<Variant>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)) {}

void MemoryRecordset::MoveNext() {
  if (IsEOF()) {
    Raise(err::kNoCurrentRecord, kSource,
          "Either BOF or EOF is True, or the current record has been deleted.");
  }
  ++pos_;
}

int32_t MemoryRecordset::Column(const std::string& name) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (SameText(columns_[i], name)) return static_cast<int32_t>(i);
  }
  return -1;
}

std::string MemoryRecordset::FieldName(int32_t index) const {
  if (index < 0 || index >= FieldCount()) {
    Raise(err::kNoSuchField, kSource, "Item cannot be found in the collection.");
  }
  return columns_[index];
}

Variant MemoryRecordset::Value(int32_t index) const {
  if (index < 0 || index >= FieldCount()) {
    Raise(err::kNoSuchField, kSource, "Item cannot be found in the collection.");
  }
  if (IsEOF()) {
    Raise(err::kNoCurrentRecord, kSource,
          "Either BOF or EOF is True, or the current record has been deleted.");
  }
  return rows_[pos_][index];
}

Variant MemoryRecordset::Value(const std::string& name) const {
  int32_t i = Column(name);
  if (i < 0) {
    Raise(err::kNoSuchField, kSource, "Item cannot be found in the collection: " + name);
  }
  return Value(i);
}

}  // namespace orb
