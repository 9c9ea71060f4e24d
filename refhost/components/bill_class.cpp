#include "refhost/components/bill_class.h"

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bill_template.h"
#include "refhost/bound_statement.h"

namespace orb::refhost {

namespace {

std::string Text(const Variant& v) {
  return v.IsNull() || v.IsEmpty() ? std::string() : CStr(v);
}

// Table and column names go into statement text: only plain identifiers do.
std::string Identifier(const std::string& name, bool optional, const std::string& source) {
  if ((optional && name.empty()) || IsIdentifier(name)) return name;
  Raise(err::kDatabase, source, "t_BillClass names no table or column: '" + name + "'");
}

}  // namespace

std::optional<BillClass> FindBillClass(Database& db, int32_t classTypeId,
                                       const std::string& source) {
  auto rs = BoundStatement(db,
                           "SELECT FName, FHeadTable, FEntryTable, FBillNoField "
                           "FROM t_BillClass WHERE FClassTypeID = ?")
                .Bind(1, Variant(classTypeId))
                .Fetch();
  if (rs->IsEOF()) return std::nullopt;
  BillClass c;
  c.classTypeId = classTypeId;
  c.name = Text(rs->Value(0));
  c.headTable = Identifier(Text(rs->Value(1)), false, source);
  c.entryTable = Identifier(Text(rs->Value(2)), true, source);
  c.billNoField = Identifier(Text(rs->Value(3)), true, source);
  return c;
}

}  // namespace orb::refhost
