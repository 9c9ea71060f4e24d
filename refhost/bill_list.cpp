#include "refhost/bill_list.h"

#include "host/automation_error.h"
#include "refhost/host.h"

namespace orb::refhost {

class ListViewImpl : public ListView {
 public:
  explicit ListViewImpl(BillList& list) : list_(list) {}

  VectorPtr GetSelectedBillID() override {
    auto ids = Vector::New();
    for (int32_t id : list_.selection_) ids->Add(id);
    return ids;
  }
  void RefreshList() override {
    ++list_.refreshes_;
    list_.Log("action", {{"name", "refresh list"}});
  }
  int32_t ShowMode() const override { return list_.showMode_; }

 private:
  BillList& list_;
};

BillList::BillList(Host& host, std::shared_ptr<const BillTemplate> tpl)
    : host_(host),
      tpl_(std::move(tpl)),
      service_(std::make_shared<TemplateDataService>(host, tpl_)),
      bar_(Toolbar::Build(tpl_->ListBands(), tpl_->ListTools())),
      view_(std::make_shared<ListViewImpl>(*this)) {}

BillList::~BillList() = default;

void BillList::Log(const std::string& kind, nlohmann::json data) const {
  host_.Log().Add(kind, std::move(data));
}

void BillList::Open(int32_t showMode) {
  showMode_ = showMode;
  Log("action", {{"name", "open list"}, {"showMode", showMode}});
  sinks_.Raise([&](ListEvents& s) { s.BarInitialize(bar_); });
  Log("event", {{"name", "BarInitialize"}});
}

bool BillList::ClickTool(const std::string& key) {
  ToolPtr tool = bar_->FindTool(key);
  if (!tool) Raise(err::kInvalidCall, "ListEvents", "The list's toolbar has no tool '" + key + "'");
  if (auto refusal = ClickRefusal(*tool)) {
    Log("action", *refusal);
    return false;
  }
  bool cancel = false;
  sinks_.Raise([&](ListEvents& s) { s.BarClick(tool, cancel); });
  Log("event", {{"name", "BarClick"}, {"cancel", cancel}});
  return !cancel;
}

nlohmann::json BillList::Snapshot() const {
  nlohmann::json bar = bar_->Snapshot();
  return {{"showMode", showMode_},
          {"selection", selection_},
          {"refreshes", refreshes_},
          {"tools", bar["tools"]},
          {"bands", bar["bands"]}};
}

}  // namespace orb::refhost
