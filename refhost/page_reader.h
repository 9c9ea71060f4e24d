// Reads the stored fields of one page of a saved bill: the statement that
// fetches them from the page's table, and the page record (one value record
// per field of the page, in the page's order) made of each fetched row.
// Each column's look-up is worked out once, not again for every row.
#pragma once

#include <string>
#include <vector>

#include "host/dictionary.h"
#include "refhost/bill_template.h"
#include "refhost/bound_statement.h"
#include "refhost/data_service.h"

namespace orb::refhost {

class PageReader {
 public:
  // The page's fields stored in `table`, leaving out `skipColumns` (the
  // columns that link an entry row to its bill).
  PageReader(TemplateDataService& service, const PageTemplate& page, const std::string& table,
             const std::vector<std::string>& skipColumns);

  // "SELECT [orderColumn, ]<stored columns> FROM <table> WHERE <keyColumn> = ?
  // [ORDER BY orderColumn]"; no order column for the head.
  std::string Select(const std::string& keyColumn, const std::string& orderColumn) const;

  // The page record of the statement's current row, whose stored columns
  // start at index `first`; fields not stored get empty value records.
  DictionaryPtr Row(const BoundStatement& row, int32_t first) const;

 private:
  struct Column {
    const FieldTemplate* field;
    int32_t stored;  // index among the stored columns, -1 when not stored
    TemplateDataService::Resolver resolver;
  };

  TemplateDataService& service_;
  const std::string table_;
  std::vector<Column> columns_;
  std::vector<const FieldTemplate*> stored_;
  bool distinctKeys_ = true;  // no two fields of the page share a key
};

}  // namespace orb::refhost
