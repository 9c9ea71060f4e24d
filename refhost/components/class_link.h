// "OrbClassLink.ClassLink" and the link templates it shares with the
// data-info and bill components (refhost/schema/link.sql).
//
// A link template says which field of a target bill takes which column of a
// source bill (t_ClassLink). The selected source records are read by their
// ids: "FInterID" (or "FID") the source bill, "FEntryID" one of its lines;
// a record without a line stands for every line of its bill.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/components.h"
#include "host/recordset.h"
#include "refhost/components/component_base.h"
#include "refhost/sqlite_database.h"

namespace orb::refhost {

struct LinkField {
  std::string destKey;   // the target's field key (or stock bill column)
  std::string srcField;  // the source's column
};

// Where the records of a source class type are kept.
struct SourceTables {
  int32_t classTypeId = 0;
  std::string head;
  std::string entry;     // "" when the source has no lines
  std::string idColumn;  // the head's id, also the lines' link to it
  std::string billNoColumn;
  // The lines' column that names one line across all bills of the source
  // ("" when the lines have none). A selected record names its line by this
  // column; a record without it whose "FInterID" is a line id (a work bill or
  // task dispatch line, as their look-ups give them) is matched on it instead
  // of the head's id.
  std::string lineIdColumn;
  bool recordIdIsLineId = false;
};

// The lower-cased column names of a table (none for an unknown table).
std::set<std::string> ColumnsOf(Database& db, const std::string& table);
// `name` when it is a plain identifier; raises err::kInvalidCall from
// `source` naming `what` otherwise.
std::string CheckedName(const std::string& name, const std::string& what,
                        const std::string& source);

// The t_ClassLink rows of (src, dest) in the order they were written; raises
// when there are none.
std::vector<LinkField> ReadLinkTemplate(Database& db, int32_t src, int32_t dest,
                                        const std::string& source);
// The tables of a source class type (t_BillClass, then ICTransactiontype);
// raises when neither knows it.
SourceTables FindSourceTables(Database& db, int32_t classTypeId, const std::string& source);
// The selected records' values: one row per source line (per bill when the
// source has no lines), in the order of `sel`, one column per link field
// named by its destKey. Raises for a record without an id and for a link
// field the source has no column for.
std::shared_ptr<MemoryRecordset> ReadSelectedRows(Database& db, const SourceTables& tables,
                                                  const std::vector<LinkField>& link,
                                                  const VectorPtr& sel, const std::string& source);

// The target is the bill whose data service is given; that service must be
// the host's own (it knows the bill's template).
class HostClassLink : public ClassLink, private ComponentBase {
 public:
  explicit HostClassLink(Host& host);

  void SetDataSrv(const DataServicePtr& dataSrv) override { dataSrv_ = dataSrv; }
  void SetSRCClassTypeID(int32_t classTypeId) override { src_ = classTypeId; }
  // Raises when there is no data service, no link template or no such source.
  void InitLinkTemplate() override;
  // "page1" holds the head fields the template maps, from the first source
  // row; each entry page with mapped fields gets one row per source row, so
  // DoFillData replaces its rows. Values are resolved as the bill resolves
  // stored values (numbers and names of looked-up fields) and marked
  // modified. Raises when none of the selected records exists.
  DictionaryPtr selbills(bool flag, VectorPtr& sel, const DictionaryPtr& billData) override;

 private:
  DataServicePtr dataSrv_;
  int32_t src_ = 0;
  bool ready_ = false;
  std::vector<LinkField> link_;
  SourceTables tables_;
};

}  // namespace orb::refhost
