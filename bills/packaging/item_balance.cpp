#include "bills/packaging/item_balance.h"

#include "frame/error_trap.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/menu_state.h"
#include "services/source_flows.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001807;
constexpr int32_t kInstructionClassTypeId = 1001012;

RecordsetPtr Execute(const std::string& sql) {
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

bool HasRecord(const RecordsetPtr& rs) {
  return rs && !rs->IsBOF() && !rs->IsEOF();
}

bool IsEmptyText(const Variant& v) {
  return v.IsNull() || Trim(TextOf(v)).empty();
}

}  // namespace

void ItemBalance::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (bill->OpenMode() != 1) {
      ControlOf(bill)->SetLockProperty(true, bill->GetFieldInfoByKey("FPackageBillNo", "", 0),
                                       false);
    }
    SetCheckMenuState(bill, true);
  });
}

void ItemBalance::BeforeSelBillShowFilter(DictionaryPtr& dctFilter) {
  TrapQuietly([&] { HideUncheckedSources(dctFilter); });
}

void ItemBalance::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void ItemBalance::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void ItemBalance::AfterSelBillBeforeFillData(const DictionaryPtr& data,
                                             const DictionaryPtr& /*link*/) {
  TrapQuietly([&] { ProposeBalance(data); });
}

void ItemBalance::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (HandleCheckToolClick(bill, tool, kClassTypeId, cancel) || !tool) return;
    if (tool->Name() == "mnuDataLookUp" && SameText(m_sEditKey, "FPackageBillNO")) {
      ControlOf(bill)->DoSelBill(kInstructionClassTypeId);
    }
  });
}

void ItemBalance::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void ItemBalance::BeforeSave(bool& bCancel) {
  TrapCancelling(bCancel, [&] { CheckLoseReason(bCancel); });
}

void ItemBalance::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string key = TextOf(dct->Get("FKey"));
    if (SameText(key, "FPackageBillNO")) {
      m_BillInterface.Get()->SetBarStatus("mnuDataLookUp", "Enabled", true);
    }
    m_sEditKey = key;
  });
}

void ItemBalance::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/, int32_t /*col*/,
                         int32_t /*row*/, bool& /*cancel*/) {
  TrapQuietly([&] {
    if (dct && UCase(TextOf(dct->Get("FFieldName"))) == "FPACKAGEBILLNO" &&
        FillFromPackageBillNo()) {
      ProposeBalance(nullptr);
    }
  });
}

Variant ItemBalance::GetHeadValue(const std::string& key) {
  return HeadValue(m_BillInterface.Get(), key);
}

void ItemBalance::SetEntryValue(const std::string& key, int32_t row, const Variant& display,
                                const Variant& fld, const Variant& fnd) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  DictionaryPtr value = bill->GetDataFld(bill->GetFieldInfoByKey(key, "", 0), row);
  value->Set("FFLD", IsEmptyText(fld) ? display : fld);
  value->Set("FFND", IsEmptyText(fnd) ? display : fnd);
  value->Set("FDSP", Variant(TextOf(display)));
}

RecordsetPtr ItemBalance::OpenBalanceRecordset(int32_t id) {
  const std::string sId = std::to_string(id);
  return Execute(
      " SELECT t14.FItemID AS FItemID1,t14.FNumber AS FItemID2,t14.FName AS FItemName,"
      " u1.FMaterieltype As FTypeName,t14.FModel AS FItemModel,t17.FMeasureUnitID As "
      "FUnitID1,t17.FName AS FUnitID2,"
      " u1.FBatchNo AS FBatchNo,u1.FStockQty-isnull(a6.FTakeQty,0) AS FBaseQtyPick"
      " from PPBOM v1 INNER JOIN PPBOMEntry u1 ON   v1.FInterID = u1.FInterID"
      " INNER JOIN ICMO i1 ON   v1.FICMOInterID = i1.FInterID INNER JOIN t_ICItem t4 ON   "
      "v1.FItemID = t4.FItemID"
      " INNER JOIN t_ICItem t14 ON   u1.FItemID = t14.FItemID INNER JOIN t_MeasureUnit t17 ON   "
      "u1.FUnitID = t17.FItemID"
      " LEFT OUTER JOIN t_MeasureUnit t20 ON   t4.FCUUnitID = t20.FMeasureUnitID"
      " inner join GMPBatchPacket a on a.FMoBillNoID=i1.FinterID"
      " left join (select t1.FSubItemID,sum(t1.FTakeQty) 'FTakeQty' from GMPItemBalanceEntry t1"
      " left join  GMPItemBalance t11 on t1.FID=t11.FID"
      " left join GMPBatchPacket a1 on t11.FPackageBillID=a1.FID where a1.fid=" +
      sId +
      " group by t1.FSubItemID) a6 on a6.FSubItemID=t14.FItemID"
      " where (((SELECT FStatus FROM ICMO WHERE FInterID=v1.FICMOInterID) in (1,2) AND "
      "v1.FStatus in(1,2) AND"
      " v1.FType<>(SELECT FInterID FROM t_SubMessage WHERE FID='LX3' AND FTypeID=243)"
      " AND (SELECT FSuspend FROM ICMO WHERE FInterID=v1.FICMOInterID)=0 AND"
      " (SELECT FErpClsID FROM t_ICItem WHERE FItemID=u1.FItemID) NOT IN(6,7,8) AND"
      " (Select FGMPIsWrapper from t_ICItem  where FItemID =u1.FItemID)=1) AND "
      "u1.FMaterielType=371"
      " ) and u1.FStockQty>0  and a.FID=" +
      sId);
}

void ItemBalance::FillGetMaterialID(int32_t id) {
  RecordsetPtr rs =
      Execute(" select FInterID,FBillNo from icstockbill  " +
              std::string(" Where FTrantype = 24 And FGMPBatchPackID = ") + std::to_string(id));
  const std::string number = HasRecord(rs) ? TextOf(rs->Value("FBillNO")) : "";
  WriteValue(m_BillInterface.Get(), "FGetMaterialID", 0, Variant(number), number, number);
}

int32_t ItemBalance::CountFilledRows() {
  return orb::CountFilledRows(m_BillInterface.Get(), 2, "FSubItemID");
}

void ItemBalance::CheckLoseReason(bool& bCancel) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const int32_t rows = EntryRows(bill, 2)->Size();
  for (int32_t row = 1; row <= rows; ++row) {
    // Every row is walked: a filled row after a blank one is still checked.
    if (IsBlank(bill, "FSubItemID", row)) continue;
    const Variant lose = CellValue(bill, "FLoseQty", row);
    if (IsEmptyText(lose) || NumberOf(lose) <= 0) continue;
    if (!Trim(CellText(bill, "FLoseReason", row)).empty()) continue;
    ShowMessage(LoadTVString("第") + std::to_string(row) +
                    LoadTVString("行：缺失数大于0时缺失原因不能为空，请检查!"),
                mb::kInformation);
    bCancel = true;
    return;
  }
}

void ItemBalance::LockUnmanagedBatchCells() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const int32_t rows = EntryRows(bill, 2)->Size();
  for (int32_t row = 1; row <= rows; ++row) {
    if (IsBlank(bill, "FSubItemID", row)) continue;
    RecordsetPtr rs = Execute("select FBatchManager from t_icitem where FItemID=" +
                              std::to_string(CLng(CellValue(bill, "FSubItemID", row))));
    if (!HasRecord(rs) || CBool(rs->Value("FBatchManager"))) continue;
    auto controls = bill->HeadControls()->Item(1).As<ControlGroup>();
    ControlPtr grid = controls ? controls->Item("FSubBatchNo") : nullptr;
    if (grid) grid->LockCell("FSubBatchNo", row, true);
  }
}

bool ItemBalance::FillFromPackageBillNo() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string number = TextOf(GetHeadValue("FPackageBillNO"));
  // The instruction is linked as a whole: its head has no line id to select.
  if (LinkInstructionByNumber(bill, number)) {
    return true;
  }
  if (!number.empty()) {
    ShowMessage(LoadTVString("你输入的批包装指令单号有错,请检查"), mb::kInformation);
  }
  WriteValue(bill, "FPackageBillNO", 0, Variant(""), "", "");
  return false;
}

void ItemBalance::ProposeBalance(const DictionaryPtr& data) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const Variant instruction = SelectedHeadValue(bill, data, "FPackageBillID");
  if (IsEmptyText(instruction)) return;
  const int32_t id = CLng(instruction);
  RecordsetPtr rs = OpenBalanceRecordset(id);
  VectorPtr rows = Vector::New();
  bill->Data()->Set("page2", rows);
  const DictionaryPtr pageTemplate = bill->BillTemplate()->GetDictionary("Page2");
  auto addEmptyRow = [&] {
    rows->Add(Variant(bill->DataSrv()->GetEmptyData(pageTemplate, true, rows->Size() + 1)));
  };
  if (rs && rs->IsEOF()) addEmptyRow();
  for (int32_t row = 1; rs && !rs->IsEOF(); ++row, rs->MoveNext()) {
    addEmptyRow();
    SetEntryValue("FSubItemID", row, rs->Value("FItemID2"), rs->Value("FitemID1"),
                  rs->Value("FItemID2"));
    SetEntryValue("FSubItemName", row, rs->Value("FItemName"), Variant(), Variant());
    SetEntryValue("FSubModel", row, rs->Value("FItemModel"), Variant(), Variant());
    SetEntryValue("FSubBatchNo", row, rs->Value("FBatchNo"), Variant(), Variant());
    const Variant qty(NumberOf(rs->Value("FBaseQtyPick")));
    SetEntryValue("FTakeQty", row, qty, qty, qty);
  }
  ControlOf(bill)->DoFillData(bill->Data());
  FillGetMaterialID(id);
  LockUnmanagedBatchCells();
}

}  // namespace orb
