// frmList: the modal window in which the user picks rows of a host bill list.
//
// The window holds the host's list control (ICListSel) and forwards its
// properties to it. The caller sets what to list, calls InitData, then
// ShowModal; once that returns, OK tells whether the user confirmed a
// selection and Selected gives the marked rows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/components.h"
#include "host/dictionary.h"
#include "host/recordset.h"

namespace orb {

class frmList : public Object, public std::enable_shared_from_this<frmList> {
 public:
  // A loaded window: the host's list control created and placed, the
  // language's font applied, OK False. Raises when the host has no list
  // control.
  static std::shared_ptr<frmList> Create();

  std::string TypeName() const override { return "frmList"; }

  void SetListShowStatus(int32_t status) { ICListSel->SetListShowStatus(status); }
  void SetDestBillTransType(const std::string& type) { ICListSel->SetDestBillTransType(type); }
  void SetListID(int32_t listId) { ICListSel->SetListID(listId); }
  void SetTranType(int32_t tranType) { ICListSel->SetTranType(tranType); }
  void SetBaseInfo(const std::string& baseInfo) { ICListSel->SetBaseInfo(baseInfo); }
  void SetMultiSelect(int32_t multi) { ICListSel->SetMultiSelect(multi); }
  void SetCanSelectMultiRow(bool can) { ICListSel->SetCanSelectMultiRow(can); }
  VectorPtr Selected() { return ICListSel->Selected(); }
  RecordsetPtr GetListRs() { return ICListSel->GetListRs(); }
  ObjectPtr GetListFieldsDes() { return ICListSel->GetListFieldsDes(); }
  void SetFilter(const std::string& filter) { ICListSel->SetFilter(filter); }
  void SetLocalCnn(const std::string& cnn) { ICListSel->SetLocalCnn(cnn); }
  void SetSystemName(const std::string& name) { ICListSel->SetSystemName(name); }
  void SetSelectFlag(int32_t flag) { ICListSel->SetSelectFlag(flag); }
  // True only after the user confirmed a selection of at least one row.
  bool OK() const { return ok_; }

  // Loads the list; when it loads, the caption becomes the list's name
  // followed by "序时薄" in the user's language.
  void InitData();
  // Shows the window until the user confirms a selection, gives up or
  // closes it. A list that did not load is not shown: the window unloads.
  void ShowModal();
  // The list control takes the window's inner size (sizes of 0 or less are
  // ignored).
  void Resize(int32_t innerWidth, int32_t innerHeight);
  // Closes the window: OK False, hidden, the list's data released. Nothing
  // cancels it.
  void Unload();

  const std::string& Caption() const { return caption_; }
  bool Visible() const { return visible_; }

 private:
  frmList();
  void Load();
  // The list control's command event.
  void ListCommand(const std::string& command);

  std::shared_ptr<ListSelectControl> ICListSel;
  bool ok_ = false;
  bool loaded_ = false;
  bool visible_ = false;
  std::string caption_;
};

}  // namespace orb
