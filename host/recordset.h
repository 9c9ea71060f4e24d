// The recordset contract and an in-memory recordset.
//
// A recordset is open and on its first row when it has rows; RecordCount gives
// the number of rows; EOF turns True after MoveNext past the last row. Fields
// are read by 0-based index or by column name without regard to letter case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/object.h"
#include "host/variant.h"

namespace orb {

class ORB_HOST_API Recordset : public Object {
 public:
  std::string TypeName() const override { return "Recordset"; }

  virtual bool IsEOF() const = 0;
  virtual bool IsBOF() const = 0;
  virtual int32_t RecordCount() const = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;
  virtual int32_t FieldCount() const = 0;
  virtual std::string FieldName(int32_t index) const = 0;
  // True when the recordset has a column of that name.
  virtual bool HasField(const std::string& name) const = 0;
  // The current row's value; raises 3265 for an unknown column, 3021 at BOF/EOF.
  virtual Variant Value(int32_t index) const = 0;
  virtual Variant Value(const std::string& name) const = 0;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

// A recordset over rows already fetched.
class ORB_HOST_API MemoryRecordset : public Recordset {
 public:
  MemoryRecordset(std::vector<std::string> columns, std::vector<std::vector<Variant>> rows);

  bool IsEOF() const override { return pos_ >= rows_.size(); }
  bool IsBOF() const override { return rows_.empty(); }
  int32_t RecordCount() const override { return static_cast<int32_t>(rows_.size()); }
  void MoveFirst() override { pos_ = 0; }
  void MoveNext() override;
  int32_t FieldCount() const override { return static_cast<int32_t>(columns_.size()); }
  std::string FieldName(int32_t index) const override;
  bool HasField(const std::string& name) const override { return Column(name) >= 0; }
  Variant Value(int32_t index) const override;
  Variant Value(const std::string& name) const override;

  const std::vector<std::string>& Columns() const { return columns_; }
  const std::vector<std::vector<Variant>>& Rows() const { return rows_; }

 private:
  int32_t Column(const std::string& name) const;
  std::vector<std::string> columns_;
  std::vector<std::vector<Variant>> rows_;
  size_t pos_ = 0;
};

// The host's connection component ("OrbConnection.Appconnection"): it already
// knows the account database. Execute returns a recordset for a SELECT and
// nullptr for a statement; a failing statement raises an automation error.
class ORB_HOST_API Connection : public Object {
 public:
  std::string TypeName() const override { return "Appconnection"; }
  virtual RecordsetPtr Execute(const std::string& sql) = 0;
};

inline constexpr const char* kConnectionProgId = "OrbConnection.Appconnection";

}  // namespace orb
