#include "app/demo_report.h"

#include <algorithm>
#include <ostream>
#include <set>
#include <tuple>

#include "host/convert.h"
#include "refhost/bill.h"
#include "refhost/host.h"

namespace orb::gmpbill {

using nlohmann::json;

namespace {

const char* kBold = "\x1b[1m";
const char* kStatus = "\x1b[1;33m";
const char* kBill = "\x1b[1;32m";
const char* kError = "\x1b[1;31m";
const char* kReset = "\x1b[0m";

// The field holding a bill's life-cycle status, and the one naming its auditor.
const char* kStatusKey = "FBillStatus";
const char* kCheckerKey = "FCheckerID";

std::string Join(const std::vector<std::string>& items, const std::string& separator) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

// The steps that put another bill in the window: its fields are the host's
// reading, not changes; only what the plug-in wrote is told.
bool ShowsAnotherBill(const std::string& what) {
  return what == "new" || what == "load" || what == "copy";
}

std::string Key(const std::string& key, int row) {
  return row > 0 ? key + "[" + std::to_string(row) + "]" : key;
}

// FFLD of "FKey" or "FKey[row]" in a snapshot; null when there is none.
json FieldValue(const json& snapshot, const std::string& key, int row, int page) {
  if (page <= 1) {
    const json& head = snapshot.at("head");
    return head.contains(key) ? head.at(key) : json();
  }
  const json& entries = snapshot.at("entries");
  const std::string name = "page" + std::to_string(page);
  if (!entries.contains(name) || row < 1 || static_cast<size_t>(row) > entries.at(name).size())
    return json();
  const json& r = entries.at(name).at(row - 1);
  return r.contains(key) ? r.at(key) : json();
}

// A step's key as text, "" when missing; the runner reports a step of the
// wrong shape, the account only must not stop on it.
std::string StepText(const json& step, const char* key) {
  if (!step.is_object() || !step.contains(key)) return "";
  const json& v = step.at(key);
  return v.is_string() ? v.get<std::string>() : ValueText(v);
}

int StepRow(const json& step) {
  return step.is_object() && step.contains("row") && step.at("row").is_number_integer()
             ? step.at("row").get<int>()
             : 0;
}

// The number of the bill in the window: the head field stored in the head
// table's bill-number column.
std::string BillNumber(const WindowState& state, const refhost::BillTemplate& tpl) {
  const json& head = state.snapshot.at("head");
  for (const auto& f : tpl.Page(1)->fields) {
    if (SameText(f.column, tpl.Head().billNoColumn) && head.contains(f.key))
      return ValueText(head.at(f.key));
  }
  return "";
}

std::string Display(const WindowState& state, const std::string& key) {
  auto it = state.display.find(key);
  return it == state.display.end() ? "" : it->second;
}

}  // namespace

DemoReport::DemoReport(std::ostream& out, ReportStyle style) : out_(out), style_(style) {}
DemoReport::~DemoReport() = default;

std::string DemoReport::Tr(const std::string& text, const std::vector<std::string>& args) const {
  std::string out = host_ ? host_->Text(text) : text;
  // "%1", "%2"... replaced in one pass, so an argument holding "%2" stays as it is.
  std::string result;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '%' && i + 1 < out.size() && out[i + 1] >= '1' && out[i + 1] <= '9') {
      size_t n = static_cast<size_t>(out[i + 1] - '1');
      if (n < args.size()) {
        result += args[n];
        ++i;
        continue;
      }
    }
    result += out[i];
  }
  return result;
}

std::string DemoReport::Paint(const std::string& text, const char* colour) const {
  if (!style_.colour || !colour) return text;
  return std::string(colour) + text + kReset;
}

void DemoReport::Line(int indent, const std::string& text, const char* colour) {
  out_ << std::string(static_cast<size_t>(indent), ' ') << Paint(text, colour) << "\n";
}

void DemoReport::Opened(const json& scenario, refhost::Host& host, const refhost::Bill& bill) {
  host_ = &host;
  bill_ = &bill;
  touched_.clear();
  logLines_ = 0;
  rows_ = std::make_unique<RowWatch>(host.DbPtr(), bill.Template());
  out_ << "\n";
  const auto& tpl = bill.Template();
  const std::string name = scenario.value("name", std::string());
  Line(0, "== " + Tr(name.empty() ? tpl.Name() : name), kBold);
  Line(5, Tr("打开%1窗口，插件 %2", {Tr(tpl.Name()), scenario.value("plugin", std::string())}));
}

void DemoReport::StepStarting(int, const json&, refhost::Host& host, const refhost::Bill& bill) {
  bill_ = &bill;  // the window the step acts on
  before_ = CaptureWindow(bill);
  mark_ = host.Log().Size();
}

std::string DemoReport::ToolName(const json& tools, const std::string& key) const {
  if (tools.contains(key)) {
    std::string caption = tools.at(key).value("caption", std::string());
    if (!caption.empty()) return Tr(caption);
  }
  return key;
}

std::string DemoReport::ValueWithDisplay(const json& value, const std::string& display) const {
  std::string text = ValueText(value);
  if (!display.empty() && display != text) text += " (" + Tr(display) + ")";
  return text.empty() ? Tr("（空）") : text;
}

std::string DemoReport::StepLabel(const json& step, const WindowState& after) const {
  const std::string what = StepText(step, "do");
  auto text = [&](const char* key) { return StepText(step, key); };
  auto field = [&] { return Key(text("field"), StepRow(step)); };
  if (what == "new") return Tr("新建单据");
  if (what == "load") {
    std::string no = BillNumber(after, bill_->Template());
    return Tr("打开单据 %1", {no.empty() ? text("bill") : no});
  }
  if (what == "set") return Tr("录入 %1 = %2", {field(), text("value")});
  if (what == "focus") return Tr("光标移到 %1", {field()});
  if (what == "beginEdit") return Tr("开始编辑 %1", {field()});
  if (what == "click") return Tr("点击“%1”", {ToolName(after.snapshot.at("tools"), text("tool"))});
  if (what == "save") return Tr("保存单据");
  if (what == "copy") return Tr("复制单据");
  if (what == "refresh") return Tr("刷新单据");
  if (what == "selectBill") return Tr("选择源单（类型 %1）", {text("type")});
  if (what == "addRow") return Tr("新增分录行");
  if (what == "deleteRow") return Tr("删除分录行 %1", {text("row")});
  if (what == "event") return Tr("宿主触发事件 %1", {text("event")});
  if (what == "sql") return Tr("其他用户在数据库中操作");
  if (what == "setStatus") return Tr("宿主把单据状态设为 %1", {text("value")});
  if (what == "mutex") return Tr("宿主的互斥检查结果设为 %1", {text("value")});
  return what;
}

void DemoReport::StepDone(int index, const json& step, const std::string& error, refhost::Host&,
                          const refhost::Bill& bill) {
  std::string number = std::to_string(index) + ".";
  if (number.size() < 3) number.insert(0, 3 - number.size(), ' ');
  if (StepText(step, "do") == "openWindow") {
    // Another window: told as the first one was, and its bill type's
    // registration is no bill's rows.
    bill_ = &bill;
    std::string plugin = StepText(step, "plugin");
    Line(1, number + " " + Tr("打开%1窗口，插件 %2", {Tr(bill.Template().Name()), plugin}), kBold);
    if (const std::string note = StepText(step, "note"); !note.empty()) Line(5, Tr(note));
    rows_->Take();
    if (!error.empty()) Line(5, Tr("错误：%1", {error}), kError);
    return;
  }
  const WindowState after = CaptureWindow(bill);
  Line(1, number + " " + StepLabel(step, after), kBold);
  if (const std::string note = StepText(step, "note"); !note.empty()) Line(5, Tr(note));
  PrintMessages(mark_);
  PrintStatus(step, after);
  PrintFields(step, mark_, after);
  PrintLocksAndGrids(after);
  PrintTools(after);
  PrintLogAndActions(mark_);
  PrintDatabase();
  if (!error.empty()) Line(5, Tr("错误：%1", {error}), kError);
  if (style_.verbose) PrintVerbose(mark_);
}

void DemoReport::PrintMessages(size_t from) {
  static const std::map<int, const char*> kStyles = {
      {16, "错误"}, {32, "询问"}, {48, "警告"}, {64, "信息"}};
  static const std::map<int, const char*> kAnswers = {
      {1, "确定"}, {2, "取消"}, {6, "是"}, {7, "否"}};
  for (const auto& m : host_->Log().Since(from, "message")) {
    const int style = m.value("style", 0);
    const int buttons = style & 7;
    const bool asks = buttons == 3 || buttons == 4;
    auto kind = kStyles.find(asks ? 32 : style & 0x70);
    const std::string label = Tr(kind == kStyles.end() ? "消息" : kind->second);
    std::string text = Tr("%1：%2", {label, m.value("text", std::string())});
    if (asks) {
      auto answer = kAnswers.find(m.value("answer", 0));
      text += Tr("（回答：%1）", {answer == kAnswers.end() ? std::to_string(m.value("answer", 0))
                                                           : Tr(answer->second)});
    }
    Line(5, text, style == 16 ? kError : nullptr);
  }
}

std::string DemoReport::StatusName(const WindowState& state) const {
  const json& head = state.snapshot.at("head");
  if (head.contains(kStatusKey)) {
    std::string shown = Display(state, kStatusKey);
    return Tr(shown.empty() ? ValueText(head.at(kStatusKey)) : shown);
  }
  if (head.contains(kCheckerKey)) {
    const std::string checker = ValueText(head.at(kCheckerKey));
    return Tr(checker.empty() || checker == "0" ? "未审核" : "已审核");
  }
  return "";
}

void DemoReport::PrintStatus(const json& step, const WindowState& after) {
  const std::string now = StatusName(after);
  const std::string was = StatusName(before_);
  if (ShowsAnotherBill(StepText(step, "do"))) {
    if (!now.empty()) Line(5, Tr("状态：%1", {now}), kStatus);
  } else if (now != was) {
    Line(5, Tr("状态：%1 → %2", {was.empty() ? Tr("（空）") : was, now}), kStatus);
  }
  const json& a = after.snapshot.at("billStatus");
  const json& b = before_.snapshot.at("billStatus");
  if (a != b) {
    auto name = [&](const json& v) {
      return Tr(v == 0 ? "只读（%1）" : "可编辑（%1）", {ValueText(v)});
    };
    Line(5, Tr("单据窗口：%1 → %2", {name(b), name(a)}), kStatus);
  }
}

void DemoReport::PrintFields(const json& step, size_t from, const WindowState& after) {
  const auto& tpl = bill_->Template();
  const std::string what = StepText(step, "do");
  // The fields to tell, in the order first met: those the plug-in wrote, and
  // (unless another bill was shown) any other whose value moved.
  std::vector<std::pair<std::string, int>> keys;
  std::set<std::string> seen;
  auto add = [&](const std::string& key, int row) {
    if (SameText(key, kStatusKey) && row == 0) return;  // told as the status
    if (seen.insert(Key(key, row)).second) keys.emplace_back(key, row);
  };
  for (const auto& f : host_->Log().Since(from, "field"))
    add(f.value("key", std::string()), f.value("row", 0));
  if (!ShowsAnotherBill(what)) {
    for (int32_t p = 1; p <= tpl.PageCount(); ++p) {
      const int rows = p == 1 ? 0 : bill_->RowCount(p);
      for (int row = p == 1 ? 0 : 1; row <= rows; ++row) {
        for (const auto& f : tpl.Page(p)->fields) {
          if (ValueText(FieldValue(before_.snapshot, f.key, row, p)) !=
              ValueText(FieldValue(after.snapshot, f.key, row, p)))
            add(f.key, row);
        }
      }
    }
  }
  for (const auto& [key, row] : keys) {
    const auto* f = tpl.FindField(key);
    if (!f) continue;
    const json value = FieldValue(after.snapshot, f->key, row, f->page);
    // What the user typed is in the step's line already.
    if (what == "set" && SameText(StepText(step, "field"), f->key) && StepRow(step) == row &&
        ValueText(value) == StepText(step, "value"))
      continue;
    // A write of the value the field already held changes nothing.
    if (!ShowsAnotherBill(what) &&
        ValueText(FieldValue(before_.snapshot, f->key, row, f->page)) == ValueText(value) &&
        Display(before_, Key(f->key, row)) == Display(after, Key(f->key, row)))
      continue;
    Line(5, Tr("字段 %1 = %2",
               {Key(f->key, row), ValueWithDisplay(value, Display(after, Key(f->key, row)))}));
  }
}

void DemoReport::PrintLocksAndGrids(const WindowState& after) {
  std::vector<std::string> locked, unlocked;
  auto compare = [&](const json& was, const json& now, const std::string& suffix) {
    for (auto it = now.begin(); it != now.end(); ++it) {
      const bool a = it.value().is_boolean() && it.value().get<bool>();
      const bool b =
          was.contains(it.key()) && was.at(it.key()).is_boolean() && was.at(it.key()).get<bool>();
      if (a != b) (a ? locked : unlocked).push_back(it.key() + suffix);
    }
    for (auto it = was.begin(); it != was.end(); ++it) {
      if (!now.contains(it.key()) && it.value() == true) unlocked.push_back(it.key() + suffix);
    }
  };
  compare(before_.snapshot.at("locks"), after.snapshot.at("locks"), "");
  compare(before_.snapshot.at("tableLocks"), after.snapshot.at("tableLocks"), Tr("（分录表）"));
  const json& cellsNow = after.snapshot.at("cellLocks");
  const json& cellsWas = before_.snapshot.at("cellLocks");
  for (auto it = cellsNow.begin(); it != cellsNow.end(); ++it) {
    json was = cellsWas.contains(it.key()) ? cellsWas.at(it.key()) : json::object();
    for (auto row = it.value().begin(); row != it.value().end(); ++row) {
      const bool a = row.value() == true;
      const bool b = was.contains(row.key()) && was.at(row.key()) == true;
      if (a != b) (a ? locked : unlocked).push_back(it.key() + "[" + row.key() + "]");
    }
  }
  if (!locked.empty()) Line(5, Tr("锁定：%1", {Join(locked, ", ")}));
  if (!unlocked.empty()) Line(5, Tr("解锁：%1", {Join(unlocked, ", ")}));

  const json& gridsNow = after.snapshot.at("grids");
  const json& gridsWas = before_.snapshot.at("grids");
  for (auto it = gridsNow.begin(); it != gridsNow.end(); ++it) {
    if (gridsWas.contains(it.key()) && gridsWas.at(it.key()) == it.value()) continue;
    Line(5, Tr("表格 %1 最多 %2 行", {it.key(), ValueText(it.value())}));
  }
}

void DemoReport::PrintTools(const WindowState& after) {
  const json& now = after.snapshot.at("tools");
  const json& was = before_.snapshot.at("tools");
  // One line per property: what was switched on, then what was switched off.
  for (const auto& [property, on, off] :
       {std::tuple{"visible", "显示", "隐藏"}, std::tuple{"enabled", "可用", "禁用"}}) {
    std::vector<std::string> up, down;
    for (auto it = now.begin(); it != now.end(); ++it) {
      const bool a = it.value().value(property, false);
      const bool known = was.contains(it.key());
      const bool b = known && was.at(it.key()).value(property, false);
      if (known && a == b) continue;
      if (!known && !a && std::string(property) == "enabled") continue;
      (a ? up : down).push_back(ToolName(now, it.key()));
    }
    std::vector<std::string> parts;
    if (!up.empty()) parts.push_back(Tr("%1：%2", {Tr(on), Join(up, ", ")}));
    if (!down.empty()) parts.push_back(Tr("%1：%2", {Tr(off), Join(down, ", ")}));
    if (!parts.empty()) Line(5, Tr("工具栏 %1", {Join(parts, Tr("；"))}));
  }
}

void DemoReport::PrintLogAndActions(size_t from) {
  for (const auto& r : host_->Log().Since(from, "action")) {
    const std::string name = r.value("name", std::string());
    if (name == "click refused") {
      Line(5, Tr("点击被拒绝：工具隐藏或不可用"), kError);
    } else if (name == "save failed") {
      Line(5, Tr("保存失败：%1", {r.value("description", std::string())}), kError);
    } else if (name == "add row refused") {
      Line(5, Tr("不能新增分录行：表格已满"), kError);
    }
  }
  for (const auto& e : host_->Log().Since(from, "event")) {
    if (e.value("cancel", false))
      Line(5, Tr("%1 取消了宿主的操作", {e.value("name", std::string())}));
  }
  for (const auto& l : host_->Log().Since(from, "log")) {
    ++logLines_;
    Line(5, Tr("用户日志 [%1]：%2",
               {l.value("funcId", std::string()), l.value("text", std::string())}));
  }
}

void DemoReport::PrintDatabase() {
  for (const auto& b : rows_->Take()) {
    std::vector<std::string> parts;
    if (b.headAdded) parts.push_back(Tr("新增"));
    if (b.headUpdated) parts.push_back(Tr("修改"));
    if (b.headDeleted) parts.push_back(Tr("已删除"));
    if (b.rowsAdded) parts.push_back(Tr("新增 %1 行", {std::to_string(b.rowsAdded)}));
    if (b.rowsUpdated) parts.push_back(Tr("修改 %1 行", {std::to_string(b.rowsUpdated)}));
    if (b.rowsDeleted) parts.push_back(Tr("删除 %1 行", {std::to_string(b.rowsDeleted)}));
    std::string what = b.name.empty() ? b.table : Tr(b.name);
    if (!b.billNo.empty()) what += " " + b.billNo;
    Line(5, Tr("数据库：%1（%2）：%3", {what, b.table, Join(parts, Tr("，"))}), kBill);

    // The summary keeps each bill once.
    auto it = std::find_if(touched_.begin(), touched_.end(), [&](const Touched& t) {
      return SameText(t.bill.table, b.table) && t.bill.billNo == b.billNo;
    });
    if (it == touched_.end()) it = touched_.insert(touched_.end(), Touched{b});
    it->created = it->created || b.headAdded > 0;
    it->deleted = it->deleted || b.headDeleted > 0;
    it->changed = it->changed || b.headUpdated > 0 || b.rowsAdded > 0 || b.rowsUpdated > 0 ||
                  b.rowsDeleted > 0;
  }
}

namespace {
// The names the detailed account gives the kinds of transcript records.
const char* KindName(const std::string& kind) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"tool", "工具栏"}, {"field", "字段"},      {"sql", "语句"},     {"call", "调用"},
      {"event", "事件"},  {"action", "操作"},     {"message", "消息"}, {"lock", "锁定"},
      {"grid", "表格"},   {"status", "单据状态"}, {"log", "用户日志"}, {"pointer", "鼠标指针"}};
  for (const auto& [k, name] : kNames) {
    if (kind == k) return name;
  }
  return nullptr;
}
}  // namespace

void DemoReport::PrintVerbose(size_t from) {
  const auto& records = host_->Log().Records();
  for (size_t i = from; i < records.size(); ++i) {
    const auto& r = records[i];
    const json& d = r.data;
    std::string text;
    if (r.kind == "tool") {
      text = d.value("tool", std::string()) + " " + d.value("property", std::string()) + " = " +
             d.at("value").dump();
    } else if (r.kind == "field") {
      text = Key(d.value("key", std::string()), d.value("row", 0)) + " = " +
             ValueText(d.value("value", json()));
    } else if (r.kind == "sql") {
      text = d.value("text", std::string());
    } else if (r.kind == "call") {
      text = d.value("component", std::string()) + "." + d.value("member", std::string());
    } else if (r.kind == "event" || r.kind == "action") {
      text = d.value("name", std::string());
      json rest = d;
      rest.erase("name");
      if (!rest.empty()) text += " " + rest.dump();
    } else {
      text = d.dump();
    }
    const char* name = KindName(r.kind);
    Line(6, "- " + Tr("%1：%2", {name ? Tr(name) : r.kind, text}));
  }
}

void DemoReport::Finished(refhost::Host&, const refhost::Bill& bill) {
  const WindowState last = CaptureWindow(bill);
  const std::string windowNo = BillNumber(last, bill.Template());
  Line(1, Tr("小结"), kBold);
  for (const auto& t : touched_) {
    std::vector<std::string> parts;
    if (t.created) parts.push_back(Tr("已新建"));
    if (t.changed && !t.created) parts.push_back(Tr("已修改"));
    if (t.deleted) parts.push_back(Tr("已删除"));
    if (!t.deleted && SameText(t.bill.table, bill.Template().Head().name) &&
        t.bill.billNo == windowNo) {
      const std::string status = StatusName(last);
      if (!status.empty()) parts.push_back(Tr("最终状态：%1", {status}));
    }
    std::string what = t.bill.name.empty() ? t.bill.table : Tr(t.bill.name);
    if (!t.bill.billNo.empty()) what += " " + t.bill.billNo;
    Line(5, Tr("%1：%2", {what, Join(parts, Tr("，"))}), kBill);
  }
  if (touched_.empty()) Line(5, Tr("没有单据写入数据库"));
  Line(5, Tr("用户日志：写入 %1 行", {std::to_string(logLines_)}));
  if (!database_.empty() && database_ != ":memory:")
    Line(5, Tr("查看数据库：sqlite3 %1", {database_}));
  rows_.reset();
  host_ = nullptr;
  bill_ = nullptr;
}

}  // namespace orb::gmpbill
