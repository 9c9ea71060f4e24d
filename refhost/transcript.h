// The transcript: every effect a plug-in has on the reference host, in order.
//
// The bill, the platform and the components append records as they happen; a
// scenario checks its expectations against them and `gmpbill run
// --transcript` prints them as JSON lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orb::refhost {

// One record: its kind and its details.
//   "event"     {name, cancel?}                  an event raised on the plug-in
//   "message"   {text, style, title, answer}     a message box shown
//   "tool"      {tool, property, value}          a toolbar property set
//   "field"     {key, row, value}                a field written by the plug-in
//   "lock"      {key, lock, flag}                SetLockProperty / a control's lock flag
//   "grid"      {grid, rows}                     SetGridMaxRows
//   "status"    {value}                          BillStatus set
//   "sql"       {text}                           a statement sent to the connection
//   "call"      {component, member, args}        an outside-component call
//   "log"       {funcId, type, text}             a user-log line
//   "action"    {name, ...}                      a host action (load, save, refresh...)
//   "pointer"   {value}                          the screen pointer changed
struct Record {
  std::string kind;
  nlohmann::json data;
};

class Transcript {
 public:
  void Add(std::string kind, nlohmann::json data) {
    records_.push_back({std::move(kind), std::move(data)});
  }
  // A "sql" record. Statements are the most frequent records, so the text is
  // only copied here; it becomes the record's {text} when the records are
  // next read.
  void AddStatement(const std::string& sql) {
    records_.push_back({"sql", nullptr});
    texts_.emplace_back(records_.size() - 1, sql);
  }
  const std::vector<Record>& Records() const {
    Settle();
    return records_;
  }
  size_t Size() const { return records_.size(); }
  void Clear() {
    records_.clear();
    texts_.clear();
  }
  // The records from index `from` on, of one kind.
  std::vector<nlohmann::json> Since(size_t from, const std::string& kind) const {
    Settle();
    std::vector<nlohmann::json> out;
    for (size_t i = from; i < records_.size(); ++i) {
      if (records_[i].kind == kind) out.push_back(records_[i].data);
    }
    return out;
  }
  // One JSON line per record: {"kind": ..., ...details}.
  std::string ToJsonLines() const {
    Settle();
    std::string out;
    for (const auto& r : records_) {
      nlohmann::json line = r.data;
      line["kind"] = r.kind;
      out += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    }
    return out;
  }

 private:
  void Settle() const {
    for (auto& [index, text] : texts_) {
      nlohmann::json data(nlohmann::json::value_t::object);
      data.emplace("text", std::move(text));
      records_[index].data = std::move(data);
    }
    texts_.clear();
  }

  // Mutable: reading settles the statements' texts into their records.
  mutable std::vector<Record> records_;
  mutable std::vector<std::pair<size_t, std::string>> texts_;
};

}  // namespace orb::refhost
