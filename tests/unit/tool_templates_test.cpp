// The template toolbar of the hidden form Form1.
#include "forms/tool_templates.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "service_host.h"

namespace orb {
namespace {

class ToolTemplatesTest : public ServiceHostTest {
 protected:
  // Form1 is kept per thread: each case asks for it on threads of its own, so
  // that no other test's thread holds it.
  static void OnNewThread(const std::function<void()>& body) { std::thread(body).join(); }

  static std::vector<std::string> Captions(const ActiveBarPtr& bar) {
    std::vector<std::string> captions;
    for (int32_t i = 2; i <= 12; ++i) captions.push_back(bar->GetTools()->ItemAt(i)->Caption());
    return captions;
  }
};

TEST_F(ToolTemplatesTest, CommandToolsInTheUsersLanguage) {
  std::vector<std::string> names;
  std::vector<std::string> chs;
  std::vector<std::string> en;
  bool hasUndoRedo = false;
  Login("UserID=16394;Language=chs;");
  OnNewThread([&] {
    ActiveBarPtr bar = ToolTemplateBar();
    for (int32_t i = 2; i <= 12; ++i) names.push_back(bar->GetTools()->ItemAt(i)->Name());
    chs = Captions(bar);
    ToolPtr undo = bar->GetTools()->Item("miUndo");
    hasUndoRedo = undo && undo->Caption() == "&Undo" && bar->GetTools()->Item("miRedo");
  });
  Login("UserID=16394;Language=en;");
  OnNewThread([&] { en = Captions(ToolTemplateBar()); });

  EXPECT_EQ(names, (std::vector<std::string>{"mnuEditRelease", "mnuEditUnRelease", "mnuQCBill",
                                             "mnuEditEndCase", "mnuEditUnEndCase", "mnuEditPause",
                                             "mnuEditUnPause", "mnuEditCancel", "mnuEditUnCancel",
                                             "mnuEditCheck", "mnuEditUnCheck"}));
  EXPECT_EQ(chs,
            (std::vector<std::string>{"下达", "反下达", "&库存检验单", "结案", "反结案", "挂起",
                                      "反挂起", "作废(&A)", "反作废(&F)", "审核", "反审核"}));
  EXPECT_EQ(en, (std::vector<std::string>{"Release", "Unrelease", "&Stock Inspection", "Close",
                                          "Reopen", "Suspend", "Resume", "Cancel(&A)",
                                          "Uncancel(&F)", "Audit", "Unaudit"}));
  EXPECT_TRUE(hasUndoRedo);
}

TEST_F(ToolTemplatesTest, OneFormPerThread) {
  ActiveBarPtr first;
  ActiveBarPtr again;
  ActiveBarPtr other;
  size_t fonts = 0;
  OnNewThread([&] {
    first = ToolTemplateBar();
    first->GetTools()->Item("mnuEditCheck")->SetCaption("changed");
    again = ToolTemplateBar();
  });
  OnNewThread([&] { other = ToolTemplateBar(); });
  for (const auto& call : host_->Log().Since(0, "call"))
    if (call["member"] == "SetFrmFont" && call["args"][0] == "<Form1>") ++fonts;

  EXPECT_EQ(first, again);
  EXPECT_EQ(again->GetTools()->Item("mnuEditCheck")->Caption(), "changed");
  EXPECT_NE(first, other);
  EXPECT_EQ(other->GetTools()->Item("mnuEditCheck")->Caption(), "审核");
  EXPECT_EQ(fonts, 2u);
}

}  // namespace
}  // namespace orb
