// Bill values: what every plug-in reads from and writes to its bill.
//
// A field is addressed by its template key and a row: a row below 1 is the
// head, a row of 1 or more that entry row. Values read from the bill or the
// database count Empty, Null and blank text as 0 (numbers) or "" (texts).
// Every reader raises error 91 when the bill has no such field, so a handler's
// trap decides what the user sees instead of a rule going on with a blank.
#pragma once

#include <cstdint>
#include <string>

#include "host/bill_interface.h"
#include "host/variant.h"

namespace orb {

// A number of a value: Empty, Null and blank text are 0.
double NumberOf(const Variant& v);
// The text of a value: Empty and Null are "".
std::string TextOf(const Variant& v);

// The bill control of `bill`; error 91 when there is no bill or control.
BillControlPtr ControlOf(const BillInterfacePtr& bill);
// The text of the bill's own class type (its ClassType "FID").
std::string ClassTypeText(const BillInterfacePtr& bill);

// The field information of `key` (GetFieldInfoByKey with an empty table name
// and index 0).
DictionaryPtr FieldInfoOf(const BillInterfacePtr& bill, const std::string& key);
// The value record of `key` at `row` (GetDataFld).
DictionaryPtr ValueRecordOf(const BillInterfacePtr& bill, const std::string& key, int32_t row = 0);

// "FFLD" of `key` at `row`.
Variant CellValue(const BillInterfacePtr& bill, const std::string& key, int32_t row);
Variant HeadValue(const BillInterfacePtr& bill, const std::string& key);
double HeadNumber(const BillInterfacePtr& bill, const std::string& key);
std::string HeadText(const BillInterfacePtr& bill, const std::string& key);
double CellNumber(const BillInterfacePtr& bill, const std::string& key, int32_t row);
std::string CellText(const BillInterfacePtr& bill, const std::string& key, int32_t row);
// True when the head value of `key` is Empty, Null or blank text.
bool IsBlank(const BillInterfacePtr& bill, const std::string& key, int32_t row = 0);

// Writes `key` at `row` as one value record: stored value `fld`, number or
// code `fnd` and display text `dsp`, marked modified. The host keeps the
// stored value and shows the text.
void WriteValue(const BillInterfacePtr& bill, const std::string& key, int32_t row,
                const Variant& fld, const std::string& fnd, const std::string& dsp);
// Empties `key` at `row` (stored value, code and text), marked
// modified, and shows it empty.
void ClearValue(const BillInterfacePtr& bill, const std::string& key, int32_t row = 0);
// Marks the head value of `key` modified, so the host saves it.
void MarkModified(const BillInterfacePtr& bill, const std::string& key);

// The bill is audited: its head "FCheckerID" is a number above 0 (empty,
// Null and 0 are not audited).
bool IsAudited(const BillInterfacePtr& bill);

}  // namespace orb
