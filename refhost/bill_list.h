// The reference host's bill list: the list window of a template's bill type,
// with the bills the user selected, its toolbar and its two events.
//
// Events are recorded as the bill's are ("event" {name, cancel} once
// handled); RefreshList records "action" {name: "refresh list"} and a click
// on a hidden or disabled tool "action" {name: "click refused", tool}.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/list_interface.h"
#include "refhost/bill_template.h"
#include "refhost/data_service.h"
#include "refhost/event_sinks.h"
#include "refhost/toolbar.h"

namespace orb::refhost {

class Host;

class BillList : public ListInterface {
 public:
  // The list's toolbar is the template's "listToolbar". The list's view
  // refers to the list and must not outlive it.
  BillList(Host& host, std::shared_ptr<const BillTemplate> tpl);
  ~BillList() override;
  BillList(const BillList&) = delete;
  BillList& operator=(const BillList&) = delete;

  // ---- What the user and the host do ----
  // Shows the list with its view's ShowMode, then raises BarInitialize.
  void Open(int32_t showMode);
  // The internal ids of the bills the user selected, in order.
  void Select(std::vector<int32_t> billIds) { selection_ = std::move(billIds); }
  // Raises BarClick unless the tool is hidden or disabled; an unknown tool
  // raises error 5. True when the click was not cancelled.
  bool ClickTool(const std::string& key);

  // ---- Inspection ----
  const std::vector<int32_t>& Selection() const { return selection_; }
  int32_t ShowMode() const { return showMode_; }
  int32_t RefreshCount() const { return refreshes_; }
  std::shared_ptr<Toolbar> Bar() const { return bar_; }
  // {"showMode", "selection": [ids], "refreshes", "tools", "bands"}
  nlohmann::json Snapshot() const;

  // ---- ListInterface ----
  void Advise(ListEvents* sink) override { sinks_.Advise(sink); }
  void Unadvise(ListEvents* sink) override { sinks_.Unadvise(sink); }
  ListViewPtr List() override { return view_; }
  DataServicePtr DataSrv() override { return service_; }
  DictionaryPtr ClassType() override { return service_->ClassType(); }
  VectorPtr TableInfo() override { return service_->TableInfo(); }

 private:
  friend class ListViewImpl;

  void Log(const std::string& kind, nlohmann::json data) const;

  Host& host_;
  std::shared_ptr<const BillTemplate> tpl_;
  std::shared_ptr<TemplateDataService> service_;
  std::shared_ptr<Toolbar> bar_;
  ListViewPtr view_;
  EventSinks<ListEvents> sinks_;
  std::vector<int32_t> selection_;
  int32_t showMode_ = 0;
  int32_t refreshes_ = 0;
};

}  // namespace orb::refhost
