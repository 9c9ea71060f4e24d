// Bills filled from, linked to and generated from other bills.
//
// Most GMP bills take their data from a source bill: the user selects one
// through the host (SelectBill), types its number into a look-up field
// (LookupSourceBill, then FillBillFromSource), or a class fills the bill from
// records it found itself (LinkFromSourceBills, through the host's class-link
// component). GenerateBill makes a follow-on stock bill through the host's
// bill component and records its id and number in the current bill's table.
//
// None of these shows a message. An error raised on the way ends the
// procedure with the bill as far as it was filled; SelectBill alone raises
// it again (source + ":SelBill", description translated).
#pragma once

#include <cstdint>
#include <string>

#include "host/bill_interface.h"
#include "host/dictionary.h"

namespace orb {

// Asks the host to select bills of class type `selType` (DoSelBill) and then
// raises AfterSelBill with that type on the bill.
void SelectBill(const BillInterfacePtr& bill, int32_t selType);

// Fills the bill from the selected records `sel` of class type
// `srcClassTypeId` through "OrbClassLink.ClassLink" and DoFillData.
void LinkFromSourceBills(const BillInterfacePtr& bill, VectorPtr& sel, int32_t& srcClassTypeId);

// For a field whose "FLookUpType" is 100 (a source-bill look-up): the source
// records whose number is the one typed into the field, each a dictionary
// with "FInterID" (and "FEntryID" when the source bill has entries). When no
// source bill has that number the field is emptied. nullptr when nothing was
// found or looked up.
VectorPtr LookupSourceBill(const DictionaryPtr& fieldInfo, const BillInterfacePtr& bill,
                           bool& cancel);

// The page data of the bill filled from the selected source records `sel`
// (read through "OrbMQMDataAccess.DataInfo" for the bill's class type
// `classTypeId` and the look-up field `key`). `pages` lists the pages to fill
// ("1," the head, "2," the first entry page, "" all); `data` receives them
// (a new dictionary when nullptr) and is returned for DoFillData. nullptr
// when the source data could not be read.
DictionaryPtr FillBillFromSource(const BillInterfacePtr& bill, const std::string& classTypeId,
                                 const std::string& key, const VectorPtr& sel, DictionaryPtr data,
                                 const std::string& pages);

// Lets the user pick a routing of `routingId` ("OrbRoutingView.RoutingView")
// and writes its number into the look-up field `key`. A closed dialog changes
// nothing.
void SelectRouting(const BillInterfacePtr& bill, const std::string& key, int32_t routingId);

// Generates a bill of template `billTemplateId` from the current bill through
// "OrbBills.Bills" and, when the user saved it, records the link through
// "OrbMGMPDestroy.DataUpdate". `link` holds "NewBillID" (the current bill's
// id), "NewTblName" (its table), "OldTblName" (the generated bill's table),
// "IDFldName" and "NOFldName" (the columns of NewTblName that receive the
// generated bill's id and number). True when the bill was generated and linked.
bool GenerateBill(const std::string& billTemplateId, const std::string& fieldName,
                  const std::string& systemName, const std::string& newBillTransType, int32_t showA,
                  const DictionaryPtr& link, int32_t billRob, int32_t showB, bool showFlag);

}  // namespace orb
