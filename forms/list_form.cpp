#include "forms/list_form.h"

#include "host/platform.h"
#include "services/language.h"

namespace orb {

namespace {

// The window's inner size when it is shown, in twips.
constexpr int32_t kInnerWidth = 11400;
constexpr int32_t kInnerHeight = 6600;

constexpr const char* kSelectOK = "SelectOK";
constexpr const char* kExit = "Exit";

}  // namespace

frmList::frmList() : ICListSel(CreateObjectAs<ListSelectControl>(progid::kListSelect)) {}

std::shared_ptr<frmList> frmList::Create() {
  std::shared_ptr<frmList> form(new frmList());
  form->Load();
  return form;
}

void frmList::Load() {
  SetFormFont(shared_from_this());
  ICListSel->SetLeft(0);
  ICListSel->SetTop(0);
  ICListSel->SetVisible(true);
  ok_ = false;
}

void frmList::InitData() {
  loaded_ = ICListSel->Load();
  if (loaded_) caption_ = ICListSel->ListName() + LoadTVString("序时薄");
}

void frmList::ShowModal() {
  if (!loaded_) {
    Unload();
    return;
  }
  visible_ = true;
  Resize(kInnerWidth, kInnerHeight);
  while (visible_) {
    const std::string command = ICListSel->WaitCommand();
    if (command.empty()) {
      Unload();  // the user closed the window
      return;
    }
    ListCommand(command);
  }
}

void frmList::Resize(int32_t innerWidth, int32_t innerHeight) {
  if (innerHeight > 0) ICListSel->SetHeight(innerHeight);
  if (innerWidth > 0) ICListSel->SetWidth(innerWidth);
}

void frmList::ListCommand(const std::string& command) {
  if (command == kSelectOK) {
    // Confirming with no row marked leaves the window open.
    VectorPtr selected = ICListSel->Selected();
    if (selected && selected->Size() > 0) {
      ok_ = true;
      visible_ = false;
    }
  } else if (command == kExit) {
    ok_ = false;
    visible_ = false;
  }
}

void frmList::Unload() {
  ok_ = false;
  visible_ = false;
  ICListSel->ReleaseData();
}

}  // namespace orb
