// Field access by template key.
//
// Plug-ins read and write bill fields through the host's field information
// and value records (GetFieldInfoByKey / GetDataFld), never through the
// controls. Every procedure that takes a row addresses the head when the row
// is below 1 and that entry row otherwise. None of them shows a message: an
// error (a missing field key, a failed conversion, a missing template entry)
// ends the procedure and leaves what was written before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/bill_interface.h"
#include "host/dictionary.h"
#include "host/recordset.h"
#include "host/variant.h"

namespace orb {

// The "FFLD" of the field `key` at `row` (0 the head); Empty for a negative
// row or when the field cannot be read.
Variant GetFieldFLD(const BillInterfacePtr& bill, const std::string& key, int32_t row);

// One item per column of the current record: column name -> value.
DictionaryPtr RecordToDictionary(const RecordsetPtr& rs);
// RecordToDictionary of every record from the current one to EOF; an empty
// (but existing) vector for an empty recordset.
VectorPtr RecordsetToVector(const RecordsetPtr& rs);

// Fills the value records of `record` from the current row of `rs`: for each
// key of `keys`, in order, the field template is the item of that key in
// `pageTemplate`; when `rs` has the template's "FKey" column, the record's
// item becomes DataSrv().PackValue(rs, template) marked "FModify" = 1. Keys
// without a column, and page items that are no field ("FEntryType"), are left
// as they are; a key the page template lacks ends the procedure.
void FillPageFromRecordset(const BillInterfacePtr& bill, const DictionaryPtr& record,
                           const RecordsetPtr& rs, const DictionaryPtr& keys,
                           const DictionaryPtr& pageTemplate);

// The look-up filter of the field information `fieldInfo` ("FFilter") as SQL:
// each GetFldValue(key,mode) placeholder is replaced by the head value of that
// field (numbers as numbers, dates as 'yyyy/mm/dd', other values as quoted
// text). A field without a value gives 0, NULL or '' followed by " or 1=1" in
// mode 0, and drops the whole filter ("") in mode 1.
std::string ExpandFilter(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo);
// ExpandFilter for a caller that must not run a look-up with a filter it could
// not build: raises the error instead of returning "".
std::string ExpandFilterOrRaise(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo);
// The GetFldValue(...) placeholders of a filter, each up to and including its
// ")", in order.
std::vector<std::string> NextGetFldValue(const std::string& filter);

// Copies "FKFDate" and "FKFPeriod" of `src` into `dateKey` and `periodKey`
// and writes the date plus the period in days into `endKey` (keys left empty
// are skipped, as are empty source values).
void SetPeriodFromDate(const BillInterfacePtr& bill, const DictionaryPtr& src,
                       const std::string& dateKey, const std::string& periodKey,
                       const std::string& endKey, int32_t row);
// targetKey = dateKey + daysKey days ("YYYY-MM-DD"), or "" when the date is empty.
void SetDateField(const BillInterfacePtr& bill, const std::string& dateKey,
                  const std::string& daysKey, const std::string& targetKey, int32_t row);
// targetKey = dateKey - daysKey days ("YYYY-MM-DD"); "" when the date is empty
// or the result lies before 1900-01-01.
void CheckDateField(const BillInterfacePtr& bill, const std::string& targetKey,
                    const std::string& daysKey, const std::string& dateKey, int32_t row);

// Locks (or unlocks) the whole bill: SetLockProperty with the field
// information of "FID", then LockCell on every field entry of the data
// service's table information.
void LockAllFields(const BillInterfacePtr& bill, bool lock);

}  // namespace orb
