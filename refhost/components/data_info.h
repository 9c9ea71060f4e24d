// "OrbMQMDataAccess.DataInfo": the data of source bills, read by the link
// templates of refhost/schema/link.sql (see class_link.h).
#pragma once

#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostDataInfo : public DataInfo, private ComponentBase {
 public:
  explicit HostDataInfo(Host& host);

  // The source class of the look-up field is the t_ClassLinkLookup row of
  // (classTypeId, key); the columns are the t_ClassLink fields of (source,
  // classTypeId), named by their target keys. Raises when either is missing.
  RecordsetPtr GetSelOldBillData(const std::string& props, const std::string& classTypeId,
                                 const std::string& key, const VectorPtr& sel) override;
  // The bill id is the head's FInterID column, or its FID when it has no
  // FInterID; lines link to the head by the same column and are told apart
  // by FEntryID. `filter` is an SQL condition on the head table ("" for all).
  VectorPtr GetBillData(const std::string& props, const std::string& headTable,
                        const std::string& entryTable, const std::string& filter) override;
};

}  // namespace orb::refhost
