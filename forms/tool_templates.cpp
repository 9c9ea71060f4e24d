#include "forms/tool_templates.h"

#include <memory>

#include "host/components.h"
#include "host/platform.h"
#include "services/language.h"

namespace orb {

namespace {

struct TemplateTool {
  const char* name;
  // The caption the tool is designed with; the command tools show it in the
  // user's language.
  const char* caption;
};

// ABar's tools by index (1-based).
constexpr TemplateTool kTools[] = {
    {"miUndo", "&Undo"},
    {"mnuEditRelease", "下达"},
    {"mnuEditUnRelease", "反下达"},
    {"mnuQCBill", "&库存检验单"},
    {"mnuEditEndCase", "结案"},
    {"mnuEditUnEndCase", "反结案"},
    {"mnuEditPause", "挂起"},
    {"mnuEditUnPause", "反挂起"},
    {"mnuEditCancel", "作废(&A)"},
    {"mnuEditUnCancel", "反作废(&F)"},
    {"mnuEditCheck", "审核"},
    {"mnuEditUnCheck", "反审核"},
    {"miSeparator", ""},
    {"miRedo", ""},
};
// The command tools, whose captions are translated.
constexpr int32_t kFirstCommand = 2;
constexpr int32_t kLastCommand = 12;

// The hidden form that holds the template toolbar; it is never shown.
class Form1 : public Object, public std::enable_shared_from_this<Form1> {
 public:
  // The form as designed: the host's toolbar control with the tools above.
  Form1() : ABar(CreateObjectAs<ToolbarControl>(progid::kToolbarControl)) {
    ToolsPtr tools = ABar->GetTools();
    for (const TemplateTool& t : kTools) {
      ToolPtr tool = tools->Insert(tools->Count(), ABar->CreateTool(t.name));
      tool->SetCaption(t.caption);
    }
  }

  std::string TypeName() const override { return "Form1"; }

  // The language's font, and the command tools' captions in the language.
  void Load() {
    SetFormFont(shared_from_this());
    ToolsPtr tools = ABar->GetTools();
    for (int32_t i = kFirstCommand; i <= kLastCommand; ++i)
      tools->ItemAt(i)->SetCaption(LoadTVString(kTools[i - 1].caption));
  }

  std::shared_ptr<ToolbarControl> ABar;
};

thread_local std::shared_ptr<Form1> t_form1;

}  // namespace

ActiveBarPtr ToolTemplateBar() {
  if (!t_form1) {
    auto form = std::make_shared<Form1>();
    form->Load();
    t_form1 = std::move(form);
  }
  return t_form1->ABar;
}

void ResetToolTemplates() {
  t_form1.reset();
}

}  // namespace orb
