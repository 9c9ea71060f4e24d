// Follow-on stock bills generated when a GMP bill is audited.
//
// Some records (the stock maintenance record, the scrap destruction record)
// are audited only together with the stock bill they cause: the stock bill is
// generated from the record first, then the record is audited. The two belong
// together: when the record's audit fails after the stock bill was made, the
// stock bill is deleted again and the record's link to it put back as it was
// before the generation, so that no stock bill is left whose source was never
// audited and the record is left as the failed audit found it.
#pragma once

#include <cstdint>
#include <string>

#include "host/bill_interface.h"
#include "host/dictionary.h"

namespace orb {

// What GenerateBill is told about the follow-on bill.
struct FollowOnBill {
  std::string billTemplateId;  // "D01"
  std::string fieldName;       // "FGMPStockMaintain"
  std::string systemName;      // "GMP"
  std::string transType;       // "41": the stock bill's transaction type
  int32_t showA = 0;           // 202
};

// The link dictionary of the record: "NewBillID" (the head "FID" as a whole
// number), "NewTblName" (the record's head table), "OldTblName" "ICStockBill",
// "IDFldName" "FStockBillID" and "NOFldName" "FStockBillNo".
DictionaryPtr StockBillLink(const BillInterfacePtr& bill);

enum class FollowOnResult {
  NotGenerated,  // the stock bill was not generated; the record is unaudited
  Audited,       // the stock bill was generated and the record audited
  AuditFailed,   // the record's audit failed; the stock bill was removed again
};

// The record's stock bill id and number columns (IDFldName, NOFldName) as
// they stand; the empty ones (0 and "") when the record is not in the table.
struct StockBillColumns {
  Variant id = Variant::Int(0);
  Variant number = Variant("");
};
StockBillColumns ReadStockBillColumns(const DictionaryPtr& link);

// Generates the follow-on bill through GenerateBill(..., link, 1, 0, true),
// then audits the record with DoCheckBill(bill, true, classTypeId, silent).
// When the audit fails the generated bill is deleted through the class-update
// component and the record's id and number columns get back what they held
// before the generation. Raises what the audit or the removal raised (after
// the removal was tried).
FollowOnResult GenerateThenAudit(const BillInterfacePtr& bill, const FollowOnBill& followOn,
                                 const DictionaryPtr& link, int32_t classTypeId, bool silent);

// Deletes the stock bill the record `link` names (its IDFldName column of
// NewTblName, row NewBillID) and writes `restore` into the record's id and
// number columns (NULL stays NULL). Nothing happens when the record names no
// stock bill.
void RemoveFollowOnBill(const DictionaryPtr& link, const std::string& transType,
                        const StockBillColumns& restore = {});

}  // namespace orb
