// Stock lots: what the stock bills (stock maintenance, label destruction,
// scrap destruction) read about the lot a line names.
//
// A lot is an item in a warehouse and stock place with a batch number, a
// production date and a shelf life; icinventory holds one row per lot.
#pragma once

#include <cstdint>
#include <string>

#include "host/bill_interface.h"
#include "host/dictionary.h"
#include "host/variant.h"

namespace orb {

struct StockLot {
  Variant item;       // FItemID
  Variant warehouse;  // FStockID
  Variant place;      // FStockPlaceId
  Variant batch;      // FBatchNo
  Variant kfDate;     // FKFDate (production or purchase date)
  Variant kfPeriod;   // FKFPeriod (shelf life in days)
};

// The lot-inventory statement: `selectLine` (" select  t1.FQty ", ...), then
// icinventory joined with t_icitem, `extraJoin` when given, and the lot's
// conditions, each line followed by a carriage return and line feed but the
// last. Numbers are inserted as whole numbers, the batch as a quoted text
// literal, the date as 'YYYY-MM-DD' ('' when it is empty).
std::string LotInventorySql(const std::string& selectLine, const StockLot& lot,
                            const std::string& extraJoin = "");

// Writes the stock place `placeId` into the field `key` at `row` with its
// number and name from t_stockplace; a place id of 0 (or none), or one
// t_stockplace does not hold, writes `noPlace` with empty number and name.
void WriteStockPlace(const BillInterfacePtr& bill, const std::string& key, int32_t row,
                     const Variant& placeId, const Variant& noPlace);

// The date fields of a lot line, dispatched by the changed field's name
// (letter case ignored): the batch (`batchKey`) brings date and shelf life
// from its value record `value`; the date or the shelf life recompute the
// expiry; the expiry recomputes the date. False when `fieldName` is none of
// them.
bool DispatchLotDateChange(const BillInterfacePtr& bill, const std::string& fieldName,
                           const DictionaryPtr& value, int32_t row, const std::string& batchKey,
                           const std::string& dateKey, const std::string& periodKey,
                           const std::string& endKey);

// True when the batch look-up's value record `current` is the one applied
// last (`last`): both exist, hold the same number of items and, for every key
// of `last`, the same value.
bool SameBatchValue(const DictionaryPtr& current, const DictionaryPtr& last);

}  // namespace orb
