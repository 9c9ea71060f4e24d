#include "forms/list_select.h"

#include "forms/list_form.h"
#include "host/convert.h"
#include "services/local_database.h"
#include "services/login_context.h"

namespace orb {

namespace {

// What the list control is told of the login: the text between the first "{"
// of the property string and the "}" after it (the account's connection), the
// user's id as a number and the user's name, joined by "|".
std::string ListBaseInfo(const std::string& props) {
  std::string inner;
  const size_t open = props.find('{');
  if (open != std::string::npos) {
    const size_t close = props.find('}', open + 1);
    if (close != std::string::npos) inner = props.substr(open + 1, close - open - 1);
  }
  // The user's items are read pair by pair, so that a braced value holding
  // "UserID=" or a key ending in it is not taken for the user's.
  const std::string userId = CStr(Variant(Val(LoginPropertyIn(props, "UserID"))));
  const std::string userName = LoginPropertyIn(props, "UserName");
  return inner + "|" + userId + "|" + userName;
}

}  // namespace

VectorPtr ShowListSelect(int32_t listId, const std::string& filter, bool multi) {
  const std::string baseInfo = ListBaseInfo(GetPropsString());
  const std::string localCnn = GetDataConnectString();

  std::shared_ptr<frmList> form = frmList::Create();
  form->SetBaseInfo(baseInfo);
  form->SetListID(listId);
  form->SetListShowStatus(2);
  form->SetLocalCnn(localCnn);
  form->SetMultiSelect(0);
  form->SetFilter(filter);
  form->SetSelectFlag(multi ? 1 : 2);
  form->InitData();
  form->ShowModal();

  VectorPtr result;
  if (form->OK()) {
    VectorPtr selected = form->Selected();
    if (selected && selected->Size() > 0) result = selected;
  }
  form->Unload();
  return result;
}

}  // namespace orb
