// Language resources and messages.
//
// Every Chinese text the plug-ins show passes through LoadTVString, which
// looks it up in the "OrbHYManufacture" resource file of the login language.
// The resource loader, the language code and the form-resource loader are
// cached per thread (ResetServiceCaches drops them).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/components.h"
#include "host/object.h"
#include "host/variant.h"

namespace orb {

inline constexpr const char* kResFileBaseName = "OrbHYManufacture";
// Title of every message box shown through ShowMessage (translated).
inline constexpr const char* kMessageTitle = "澜帆提示";

// The translation of `text`. The key is the trimmed text; its leading and
// trailing blanks are kept around the translation. In English, spaceMode 1
// adds a leading blank when there is none, 2 a trailing one, 3 both. Keys
// ending in "|" are looked up as they are. Never throws: on any failure the
// text is returned as given.
std::string LoadTVString(const std::string& text, int32_t spaceMode = 0) noexcept;
// LoadTVString(text) with each "%1" replaced by the text of `value`.
std::string FormatTVString(const std::string& text, const Variant& value) noexcept;
// LoadTVString(text) with "%1" replaced by `value1` and "%2" by `value2`.
std::string FormatTVString(const std::string& text, const Variant& value1,
                           const Variant& value2) noexcept;

// This thread's "OrbResLoader.Loader", its file base name and language kept
// equal to kResFileBaseName and GetLanguage(). Raises when it cannot be created.
std::shared_ptr<ResLoader> GetResLoader();
// The login language ("chs", "en", ...): "Language" of the property string,
// else the host's current language; "chs" after any error (then a message
// box tells so). Cached per thread.
std::string GetLanguage();
// This thread's "FrmRes.FrmResLoader". Raises when it cannot be created.
std::shared_ptr<FormResLoader> GetFormResLoader();
// Applies the language's font to a form; errors are dropped.
void SetFormFont(const ObjectPtr& form);

// A message box with `text` (already translated by the caller), `style` and
// the translated title; returns the button pressed (0 when none could be shown).
int32_t ShowMessage(const std::string& text, int32_t style);

// LocalCnn of "CSystemDlg.Sys": the connection string of the local switch
// database; "" when it cannot be read.
std::string GetSystemDialog();

// Drops the language caches (called by ResetServiceCaches).
void ResetLanguageCaches();

}  // namespace orb
