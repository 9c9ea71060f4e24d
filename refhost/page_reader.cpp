#include "refhost/page_reader.h"

#include "host/convert.h"

namespace orb::refhost {

PageReader::PageReader(TemplateDataService& service, const PageTemplate& page,
                       const std::string& table, const std::vector<std::string>& skipColumns)
    : service_(service), table_(table) {
  columns_.reserve(page.fields.size());
  for (const auto& f : page.fields) {
    bool stored = !f.column.empty() && SameText(f.table, table);
    for (const auto& skip : skipColumns) stored = stored && !SameText(f.column, skip);
    Column column{&f, -1, {}};
    if (stored) {
      column.stored = static_cast<int32_t>(stored_.size());
      column.resolver = service_.ResolverFor(f.info);
      stored_.push_back(&f);
    }
    for (const Column& other : columns_)
      distinctKeys_ = distinctKeys_ && !SameText(other.field->key, f.key);
    columns_.push_back(std::move(column));
  }
}

std::string PageReader::Select(const std::string& keyColumn, const std::string& orderColumn) const {
  std::string columns = orderColumn;
  for (const FieldTemplate* f : stored_) columns += (columns.empty() ? "" : ", ") + f->column;
  std::string sql = "SELECT " + columns + " FROM " + table_ + " WHERE " + keyColumn + " = ?";
  if (!orderColumn.empty()) sql += " ORDER BY " + orderColumn;
  return sql;
}

DictionaryPtr PageReader::Row(const BoundStatement& row, int32_t first) const {
  auto value = [&](const Column& c) {
    return c.stored >= 0 ? service_.Resolve(row.Column(first + c.stored), c.resolver)
                         : EmptyValueRecord();
  };
  if (distinctKeys_) {
    std::vector<std::pair<std::string, Variant>> items;
    items.reserve(columns_.size());
    for (const Column& c : columns_) items.emplace_back(c.field->key, value(c));
    return Dictionary::FromDistinct(std::move(items));
  }
  auto record = Dictionary::New();  // a repeated key keeps its first place and stored value
  for (const Column& c : columns_) {
    if (c.stored >= 0 || !record->Exists(c.field->key)) record->Set(c.field->key, value(c));
  }
  return record;
}

}  // namespace orb::refhost
