#include "services/language.h"

#include "frame/error_trap.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/login_context.h"

namespace orb {

namespace {

thread_local std::shared_ptr<ResLoader> t_resLoader;
thread_local std::string t_language;
thread_local std::shared_ptr<FormResLoader> t_formResLoader;

}  // namespace

std::string LoadTVString(const std::string& text, int32_t spaceMode) noexcept {
  // Callers translate texts inside their error handlers. The error they are
  // handling is the AutomationError they hold, which nothing here touches; any
  // failure of the look-up itself is swallowed and the text shown as it is.
  try {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return text;
    size_t end = text.find_last_not_of(' ') + 1;
    std::string leading = text.substr(0, begin);
    std::string trailing = text.substr(end);
    const std::string key = text.substr(begin, end - begin);

    std::string translated = GetResLoader()->LoadString(key);
    // A loader that has no text for the key must not blank the message.
    if (translated.empty()) translated = key;
    if (SameText(GetLanguage(), "en")) {
      // English words need blanks where Chinese runs texts together.
      if ((spaceMode == 1 || spaceMode == 3) && leading.empty()) leading = " ";
      if ((spaceMode == 2 || spaceMode == 3) && trailing.empty()) trailing = " ";
    }
    return leading + translated + trailing;
  } catch (...) {
    return text;
  }
}

std::string FormatTVString(const std::string& text, const Variant& value) noexcept {
  std::string out = LoadTVString(text);
  TrapQuietly([&] {
    const std::string replacement = CStr(value.IsNull() ? Variant("") : value);
    std::string result;
    size_t from = 0;
    for (size_t pos; (pos = out.find("%1", from)) != std::string::npos; from = pos + 2) {
      result.append(out, from, pos - from);
      result += replacement;
    }
    result.append(out, from, std::string::npos);
    out = std::move(result);
  });
  return out;
}

std::shared_ptr<ResLoader> GetResLoader() {
  if (!t_resLoader) t_resLoader = CreateObjectAs<ResLoader>(progid::kResLoader);
  if (t_resLoader->ResFileBaseName() != kResFileBaseName)
    t_resLoader->SetResFileBaseName(kResFileBaseName);
  const std::string language = GetLanguage();
  if (t_resLoader->LanguageID() != language) t_resLoader->SetLanguageID(language);
  return t_resLoader;
}

std::string GetLanguage() {
  if (!t_language.empty()) return t_language;
  std::string language;
  bool ok = TrapQuietly([&] {
    language = Trim(GetPropsValue("Language"));
    if (language.empty()) language = CreateObjectAs<LangInfo>(progid::kLangInfo)->CurrentLanguage();
  });
  if (!ok) {
    t_language = "chs";
    TrapQuietly(
        [] { CurrentPlatform().MsgBox("Get Language Error!", mb::kInformation, "TALVERN"); });
    return t_language;
  }
  t_language = language;
  return t_language;
}

std::shared_ptr<FormResLoader> GetFormResLoader() {
  if (!t_formResLoader) t_formResLoader = CreateObjectAs<FormResLoader>(progid::kFrmResLoader);
  return t_formResLoader;
}

void SetFormFont(const ObjectPtr& form) {
  TrapQuietly([&] { GetFormResLoader()->SetFrmFont(form, GetLanguage()); });
}

int32_t ShowMessage(const std::string& text, int32_t style) {
  const std::string title = LoadTVString(kMessageTitle);
  int32_t answer = 0;
  TrapQuietly([&] { answer = CurrentPlatform().MsgBox(text, style, title); });
  return answer;
}

std::string GetSystemDialog() {
  std::string cnn;
  TrapQuietly([&] { cnn = CreateObjectAs<SystemDialog>(progid::kSystemDlg)->LocalCnn(); });
  return cnn;
}

void ResetLanguageCaches() {
  t_resLoader.reset();
  t_language.clear();
  t_formResLoader.reset();
}

}  // namespace orb
