// A bill type of the reference host, described by a JSON template file.
//
// The template names the bill's class type, its tables, its pages of fields
// and its toolbar. The host builds every bill of the type from it: the field
// information the plug-ins read, the SQL that loads and saves a bill, and the
// toolbar the plug-ins change. Example: refhost/templates/operate_proj.json.
//
// Format (a JSON object; keys are case-sensitive; every table and column name
// is a plain identifier: letters, digits and '_', not starting with a digit):
//
//   "classType"    required object, the class type dictionary:
//       "FID"          required integer, the bill class type identifier
//       "FName"        required text, the bill name
//       "FObjectType"  integer, default 0 (the object type rights are checked on)
//       "FObjectID"    integer, default 0
//       "Mutex"        array of function records, default []; each an object with
//                      "FOpareteType" (integer: 3 delete, 4 audit), "FSubSysID"
//                      (integer, 0 or less: no task lock), "FNumber" (text) and
//                      "FFuncID" (text), each defaulting to 0 or "".
//   "headTable"    required object:
//       "name"         the head table
//       "idColumn"     the bill's internal id column, default "FID"
//       "billNoColumn" the bill-number column, default "FBillNo"
//   "entryTables"  array, default []; one object per entry table, in page order:
//       "name"         the entry table
//       "linkColumn"   the column holding the head's id, default "FID"
//       "entryIdColumn" the row number column, default "FEntryID"
//   "pages"        required array: the head page first, then one page per entry
//                  table, in the order of "entryTables". Each page an object:
//       "FEntryType"   integer: absent or 0 for the head page, above 0 (required)
//                      for an entry page
//       "fields"       required array of field objects (below), in column order
//   "toolbar"      object, default empty: the tools the bill type adds to the
//                  host's standard bill toolbar (the tools and bands every
//                  bill has, listed in bill_template.cpp); a tool the
//                  standard has is replaced by the template's definition:
//       "bands"        array of band names, shown in this order; bands that a
//                      tool names are added when missing
//       "tools"        array of tool objects:
//           "key"      required text, the tool's key ("mnuFileSave")
//           "caption"  text, default ""
//           "visible", "enabled"  Booleans, default true
//           "bands"    array of band names showing the tool, default []; a
//                      band shows its tools in the order of this array
//   "listToolbar"  object as "toolbar": the toolbar of the bill type's list;
//                  when absent the list gets a toolbar like the bill's
//   "sourceClasses" array, default []: the bills this type is made from, each
//                  an object:
//       "FID"          required integer, the source's class (transaction) type
//       "FName"        text, default ""
//       "FHeadTable", "FEntryTable"  where its records are; with "FHeadTable"
//                      the host registers the transaction type
//       "listTemplate" object {"FID" (required), "FName", "FFilter"}: the
//                      look-up class listing the source's bills
//       "lookupKey"    text: the field (a key of this template) naming a
//                      source bill; the bill is filled from the one named
//       "links"        object, target field key -> source column ("h.X" the
//                      head's, "e.X" the lines', X either): the link rows
//
// The host registers every template (bill_registry.h): its t_BillClass row
// and the rows of its source classes, so a bill type needs nothing else.
//
// A field object holds the field-information keys; missing texts default to ""
// and missing numbers to 0, except as noted. Unknown keys are errors.
//   "FKey"           required, unique in the template (letter case ignored)
//   "FFieldName"     the column; "" for a field that is not stored
//   "FTableName"     the table of the column, default the page's table
//   "FEntryType"     integer, default the page's FEntryType
//   "FLookUpType", "FLookupClassID", "FValueType"   integers
//   "FFilter"        text
//   "FSRCTableName", "FSRCFieldName", "FFNDFieldName", "FDSPFieldName"
//                    a source table for a looked-up value: the value stored is
//                    its FSRCFieldName column; FFNDFieldName gives the number
//                    (FFND) and FDSPFieldName the display text (FDSP)
//   "extraItems"     array of further columns of the source table that the
//                    value record of a typed number carries as items of
//                    their own name (the stock batch: FKFDate, FKFPeriod)
// The head page must hold a field stored in the head's id column. A column
// written by the host itself (an entry table's link and row number columns) is
// not stored from a field of the entry page.
//
// Errors name the file (or the origin given to Parse), the place in the
// template and the problem, as std::runtime_error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/dictionary.h"
#include "refhost/toolbar.h"

namespace orb::refhost {

struct FieldTemplate {
  std::string key;       // FKey
  std::string column;    // FFieldName, "" when the field is not stored
  std::string table;     // FTableName
  int32_t page = 1;      // 1 the head, 2.. the entry pages
  int32_t position = 1;  // 1-based column within its page
  int32_t lookUpType = 0;
  std::string sourceTable;   // FSRCTableName
  std::string sourceField;   // FSRCFieldName
  std::string numberField;   // FFNDFieldName
  std::string displayField;  // FDSPFieldName
  // Further source columns a looked-up value record carries, by their names
  // ("FKFDate"): the template's "extraItems".
  std::vector<std::string> extraItems;
  // The field-information dictionary with all twelve keys.
  DictionaryPtr info;

  bool HasSource() const { return !sourceTable.empty() && !sourceField.empty(); }
};

struct PageTemplate {
  int32_t number = 1;
  int32_t entryType = 0;  // 0 for the head page
  std::string table;
  std::vector<FieldTemplate> fields;
};

struct TableTemplate {
  std::string name;
  // The head's id column, or an entry table's column linking to it.
  std::string idColumn;
  std::string billNoColumn;   // head only
  std::string entryIdColumn;  // entry tables only
  int32_t page = 1;
};

// A bill type this one is made from (see "sourceClasses" above).
struct SourceClassTemplate {
  int32_t classTypeId = 0;
  std::string name;
  std::string headTable;  // "" when the transaction type is not registered
  std::string entryTable;
  int32_t listId = 0;  // 0 when there is no list template
  std::string listName;
  std::string listFilter;
  std::string lookupKey;
  std::vector<std::pair<std::string, std::string>> links;  // target key, source column
};

class BillTemplate {
 public:
  // Reads and checks the template file; raises std::runtime_error naming the
  // file and the problem.
  static BillTemplate Load(const std::string& path);
  // Reads a built-in template ("templates/operate_proj.json").
  static BillTemplate LoadEmbedded(const std::string& name);
  // `origin` names the text in errors.
  static BillTemplate Parse(const std::string& text, const std::string& origin = "template");
  static BillTemplate Parse(const nlohmann::json& json, const std::string& origin = "template");
  // A literal text is the template's text, not a JSON string value.
  static BillTemplate Parse(const char* text, const std::string& origin = "template") {
    return Parse(std::string(text), origin);
  }

  int32_t ClassTypeId() const { return classTypeId_; }
  const std::string& Name() const { return name_; }
  const TableTemplate& Head() const { return head_; }
  const std::vector<TableTemplate>& Entries() const { return entries_; }
  // The table of the page; nullptr for a page the template lacks.
  const TableTemplate* TableOfPage(int32_t page) const;
  const std::vector<PageTemplate>& Pages() const { return pages_; }
  int32_t PageCount() const { return static_cast<int32_t>(pages_.size()); }
  const PageTemplate* Page(int32_t number) const;
  // The field of the key (letter case ignored); nullptr when none.
  const FieldTemplate* FindField(const std::string& key) const;
  bool HasField(const std::string& key) const { return FindField(key) != nullptr; }
  // The head field stored in the head's id column.
  const FieldTemplate& IdField() const;

  const std::vector<std::string>& Bands() const { return bands_; }
  const std::vector<ToolDefinition>& Tools() const { return tools_; }
  const std::vector<std::string>& ListBands() const { return listBands_; }
  const std::vector<ToolDefinition>& ListTools() const { return listTools_; }
  const std::vector<SourceClassTemplate>& SourceClasses() const { return sources_; }

  // New dictionaries each call, for a bill or a list to own:
  // "FID", "FName", "FObjectType", "FObjectID", "Mutex" (a vector of records).
  DictionaryPtr ClassTypeDictionary() const;
  // "PageCount", then "Page1", "Page2"...: field key -> field information;
  // entry pages also carry "FEntryType".
  DictionaryPtr TemplateDictionary() const;
  // Item 1 the head, then the entry tables: "FTableName", "FIDField",
  // "FPage", and "FBillNoField" (head) or "FEntryIDField" (entries).
  VectorPtr TableInfo() const;

 private:
  int32_t classTypeId_ = 0;
  std::string name_;
  int32_t objectType_ = 0;
  int32_t objectId_ = 0;
  std::vector<DictionaryPtr> mutex_;
  TableTemplate head_;
  std::vector<TableTemplate> entries_;
  std::vector<PageTemplate> pages_;
  std::vector<std::string> bands_;
  std::vector<ToolDefinition> tools_;
  std::vector<std::string> listBands_;
  std::vector<ToolDefinition> listTools_;
  std::vector<SourceClassTemplate> sources_;
  std::string idKey_;  // the key of the head's id field

  friend class TemplateReader;
};

// True for a plain SQL identifier (letters, digits, '_'; no leading digit).
bool IsIdentifier(const std::string& name);
// True for a look-up field's source column: an identifier, or one qualified
// by the alias the source statements give its table ("v1.FBillNo").
bool IsSourceColumn(const std::string& name);
// True for a look-up field's source table: an identifier, or one followed by
// its alias ("ICTaskDispBill v1").
bool IsSourceTable(const std::string& name);

}  // namespace orb::refhost
