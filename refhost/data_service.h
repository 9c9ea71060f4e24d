// Value records and the bill type's data service ("DataSrv").
//
// A value record is the dictionary of one field value: "FFLD" the stored value,
// "FFND" the number (code) of a looked-up value, "FDSP" the display text and
// "FModify" 1 (a 16-bit Integer) once changed. A stored NULL reads as the empty
// text, so that Val and Trim work on every FFLD.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/bill_interface.h"
#include "host/dictionary.h"
#include "refhost/bill_template.h"

namespace orb::refhost {

class BoundStatement;
class Database;
class Host;

// {"FFLD": "", "FFND": "", "FDSP": "", "FModify": 0}
DictionaryPtr EmptyValueRecord();
DictionaryPtr MakeValueRecord(const Variant& fld, const Variant& fnd, const Variant& dsp,
                              bool modified);
// The text a control shows for a value: "" for Empty, Null and objects.
std::string DisplayText(const Variant& v);
// False for Empty, Null and blank texts.
bool HasValue(const Variant& v);
// FDSP when it is not empty, otherwise the text of FFLD.
std::string RecordText(const DictionaryPtr& record);

class TemplateDataService : public DataService {
  struct Prepared;

 public:
  TemplateDataService(Host& host, std::shared_ptr<const BillTemplate> tpl);

  // One empty value record per field of the page template (items that are
  // no field information, such as "FEntryType", are skipped).
  DictionaryPtr GetEmptyData(const DictionaryPtr& pageTemplate, bool entry, int32_t row) override;
  // The value of the column named by the template's "FKey" in the current row
  // (raises 3265 when rs has no such column) made into a value record by
  // Resolve.
  Variant PackValue(const RecordsetPtr& rs, const DictionaryPtr& fieldTemplate) override;
  // The bill number of the saved bill, "" when there is none; caption
  // "单据编号：".
  std::string GetExistBillNo(int32_t billId, std::string& caption) override;
  DictionaryPtr ClassType() override { return classType_; }
  VectorPtr TableInfo() override { return tableInfo_; }

  // The value record of a stored value: a field with a source table takes its
  // number and display text from the source row whose FSRCFieldName is the
  // value (both "" when there is none); any other field has FFND "" and the
  // value's text as FDSP. Null becomes "".
  DictionaryPtr Resolve(const Variant& value, const DictionaryPtr& fieldInfo);

  // How the stored values of one field become value records, worked out once
  // for a column that a load resolves row after row. Valid while the host
  // keeps its database.
  class Resolver {
   private:
    friend class TemplateDataService;
    bool hasSource = false;   // a source table: FDSP comes from the source row
    bool lookedUp = false;    // ... and a key column to find it by
    bool hasDisplay = false;  // FDSPFieldName given (else FDSP is the number)
    std::string sql;          // the look-up, prepared when first needed
    mutable Prepared* statement = nullptr;
  };
  Resolver ResolverFor(const DictionaryPtr& fieldInfo);
  DictionaryPtr Resolve(const Variant& value, const Resolver& resolver);
  // The value record for a number typed into a field: through the source
  // table (FFNDFieldName = number, and the field information's FFilter when
  // it has one) when the field has one (FFLD "" when no row matches),
  // otherwise the number itself. A found row also gives the `extras` columns
  // as items of their own name.
  DictionaryPtr LookUpNumber(const DictionaryPtr& fieldInfo, const Variant& number,
                             const std::vector<std::string>& extras = {});
  // A page record of empty values for a page of the template (head: a
  // dictionary by key; entry pages: one row).
  DictionaryPtr EmptyRecord(int32_t page) const;

  // A statement prepared once per text on the host's database and kept for
  // reuse; whoever runs it rewinds it after use (RewindOnExit).
  BoundStatement& Reusable(const std::string& sql);

  const BillTemplate& Template() const { return *tpl_; }

  // While one is open, Resolve remembers each (source, value) it has looked up,
  // so a bill whose lines name the same item or warehouse reads it once. Open
  // one around a read that writes nothing; scopes may nest.
  class LoadScope {
   public:
    explicit LoadScope(TemplateDataService& service);
    ~LoadScope();
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

   private:
    TemplateDataService& service_;
  };

  ~TemplateDataService();

 private:
  // The look-up statement of this text, prepared once on the host's database.
  Prepared& Statement(const std::string& sql);
  // The texts of the two columns of the first row of a look-up statement for
  // `key`, or nothing when no row matches.
  using Texts = std::optional<std::pair<std::string, std::string>>;
  Texts LookUp(Prepared& prepared, const Variant& key);

  Host& host_;
  std::shared_ptr<const BillTemplate> tpl_;
  DictionaryPtr classType_;
  VectorPtr tableInfo_;

  // A look-up statement, prepared on `statementDb_` (kept open while it
  // lives), and within a load scope its results by value.
  struct Prepared {
    std::unique_ptr<BoundStatement> statement;
    std::unordered_map<std::string, Texts> remembered;
  };
  std::shared_ptr<Database> statementDb_;
  std::unordered_map<std::string, Prepared> statements_;  // by text
  int loadDepth_ = 0;
};

}  // namespace orb::refhost
