#include "refhost/components/grading_data.h"

#include <map>
#include <memory>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/host.h"
#include "refhost/sqlite_connection.h"

namespace orb::refhost {

namespace {

// One row of the query, its columns by lower-cased name.
class QueryRecord : public GradingRecord {
 public:
  explicit QueryRecord(std::map<std::string, Variant> values) : values_(std::move(values)) {}
  Variant GetValue(const std::string& name, int32_t /*index*/) override {
    auto it = values_.find(LCase(name));
    return it == values_.end() ? Variant() : it->second;
  }

 private:
  std::map<std::string, Variant> values_;
};

}  // namespace

HostGradingData::HostGradingData(Host& host) : ComponentBase(host, progid::kGradingData) {}

VectorPtr HostGradingData::GetData(const std::string& /*props*/, const std::string& sql) {
  if (Enter("GetData", {sql})) return nullptr;
  RecordsetPtr rs;
  try {
    rs = SqliteConnection(host_.DbPtr()).Execute(sql);
  } catch (const AutomationError&) {
    return nullptr;
  }
  if (!rs) return nullptr;
  VectorPtr records = Vector::New();
  for (; !rs->IsEOF(); rs->MoveNext()) {
    std::map<std::string, Variant> values;
    for (int32_t c = 0; c < rs->FieldCount(); ++c) values[LCase(rs->FieldName(c))] = rs->Value(c);
    records->Add(Variant(ObjectPtr(std::make_shared<QueryRecord>(std::move(values)))));
  }
  return records;
}

}  // namespace orb::refhost
