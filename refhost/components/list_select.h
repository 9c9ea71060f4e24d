// "ICListSel.ListSel": the host's bill list (序时薄) in a selection window.
//
// Load reads the list of a look-up class from the account database:
// ICListTemplate (FID the list) names the transaction type of the listed
// bills (FBillTemplateID) and a condition of its own (FFilter);
// ICTransactiontype (FID that type) names their head and entry tables. The
// rows are the head rows (alias v1) joined with their entry rows (alias u1,
// on FInterID) when the type has an entry table, under both conditions, in
// the order of FInterID and FEntryID. Each row has "FInterID", "FEntryID"
// (with an entry table), then the head's columns, then the entry's; a column
// name repeated keeps its first value. The work bill lines (list 601) and the
// task dispatch lines (691) are listed as the source look-ups find them: 601
// also joins the production order as t3 and takes the line's FWBInterID as
// "FInterID"; 691 lists ICTaskDispBillEntry (v2) with its bill (v1), the
// production order (t1) and the work bill line (t3), "FInterID" being the
// line's FTaskDispInterID.
//
// The user is the host's scripted user: each WaitCommand takes the next pick,
// marks its rows (1-based; rows not in the list are ignored; with select flag
// 2 only the first) and confirms with "SelectOK". An empty pick, or none
// left, closes the window.
//
// Transcript: Load is recorded as a call {listId, filter} that the faults may
// fail or make raise; the rest as "action" records: "list" {listId, rows},
// "list refused" {listId, reason}, "list select" {rows}, "list closed". The
// list's statements are the host's own and not recorded as "sql".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostListSelect : public ListSelectControl, private ComponentBase {
 public:
  explicit HostListSelect(Host& host);

  void SetListID(int32_t listId) override { listId_ = listId; }
  void SetFilter(const std::string& filter) override { filter_ = filter; }
  void SetBaseInfo(const std::string& baseInfo) override { baseInfo_ = baseInfo; }
  void SetLocalCnn(const std::string& cnn) override { localCnn_ = cnn; }
  void SetListShowStatus(int32_t status) override { listShowStatus_ = status; }
  void SetDestBillTransType(const std::string& transType) override {
    destBillTransType_ = transType;
  }
  void SetTranType(int32_t tranType) override { tranType_ = tranType; }
  void SetMultiSelect(int32_t multiSelect) override { multiSelect_ = multiSelect; }
  void SetCanSelectMultiRow(bool canSelect) override { canSelectMultiRow_ = canSelect; }
  void SetSystemName(const std::string& name) override { systemName_ = name; }
  void SetSelectFlag(int32_t flag) override { selectFlag_ = flag; }
  void SetLeft(int32_t left) override { left_ = left; }
  void SetTop(int32_t top) override { top_ = top; }
  void SetWidth(int32_t width) override { width_ = width; }
  void SetHeight(int32_t height) override { height_ = height; }
  void SetVisible(bool visible) override { visible_ = visible; }

  bool Load() override;
  // ICListTemplate's FName, else the transaction type's.
  std::string ListName() override { return name_; }
  VectorPtr Selected() override;
  // nullptr before Load.
  RecordsetPtr GetListRs() override { return rows_; }
  ObjectPtr GetListFieldsDes() override;
  std::string WaitCommand() override;
  void ReleaseData() override;

  // What the form set, for tests.
  const std::string& BaseInfo() const { return baseInfo_; }
  const std::string& LocalCnn() const { return localCnn_; }
  int32_t ListShowStatus() const { return listShowStatus_; }
  int32_t MultiSelect() const { return multiSelect_; }
  int32_t SelectFlag() const { return selectFlag_; }
  bool Visible() const { return visible_; }

 private:
  bool Refuse(const std::string& reason);

  int32_t listId_ = 0;
  std::string filter_;
  std::string baseInfo_;
  std::string localCnn_;
  int32_t listShowStatus_ = 0;
  std::string destBillTransType_;
  int32_t tranType_ = 0;
  int32_t multiSelect_ = 0;
  bool canSelectMultiRow_ = false;
  std::string systemName_;
  int32_t selectFlag_ = 0;
  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool visible_ = false;

  std::string name_;
  std::shared_ptr<MemoryRecordset> rows_;
  std::vector<int32_t> marked_;  // 1-based rows, in the order marked
};

}  // namespace orb::refhost
