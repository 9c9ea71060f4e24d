// Contracts of the host's outside components, each created by ProgID through
// the platform (CreateObjectAs<T>(progId)). The components belong to the host;
// the library relies only on the members declared here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/dictionary.h"
#include "host/object.h"
#include "host/variant.h"

namespace orb {

namespace progid {
inline constexpr const char* kShareProps = "PropsMgr.ShareProps";
inline constexpr const char* kSystemObject = "ZADUVAvuz.GLData";
inline constexpr const char* kResLoader = "OrbResLoader.Loader";
inline constexpr const char* kLangInfo = "OrbLangInfo.LangInfo";
inline constexpr const char* kFrmResLoader = "FrmRes.FrmResLoader";
inline constexpr const char* kSystemDlg = "CSystemDlg.Sys";
inline constexpr const char* kSimpleCheck = "OrbMQMDataAccess.cBillSimpleCheck";
inline constexpr const char* kClassUpdate = "OrbMClass.ClassUpdate";
inline constexpr const char* kDispBuilder = "OrbDisplayer.DispBuilder";
inline constexpr const char* kBatchPack = "OrbMGMPBatchPack.CBatchPack";
}  // namespace progid

// "PropsMgr.ShareProps": properties the host shares per process
// ("PropsString" the login property string, "TVLogin" the login object).
class ORB_HOST_API SharedProperties : public Object {
 public:
  std::string TypeName() const override { return "ShareProps"; }
  virtual Variant GetProperty(uint32_t processId, const std::string& name) = 0;
};

// The shared login object ("TVLogin"): the task lock between users.
class ORB_HOST_API LoginObject : public Object {
 public:
  std::string TypeName() const override { return "TVLogin"; }
  // Takes the task lock of (subsystem, function number); returns a handle
  // above 0, or 0 or less when another user holds it. `key` may be Empty.
  virtual int32_t taskexec(int32_t subSysId, const std::string& number,
                           const std::string& computer, int32_t kind, const Variant& a,
                           const Variant& b, const Variant& key) = 0;
  // Releases the lock of the handle; True when it was released.
  virtual bool CommitTask(int32_t handle) = 0;
};

// "ZADUVAvuz.GLData": rights and the user log.
class ORB_HOST_API SystemObject : public Object {
 public:
  std::string TypeName() const override { return "GLData"; }
  virtual bool AccessCheck(const Variant& objectType, const Variant& objectId, int32_t right) = 0;
  virtual void WriteLog(const std::string& funcId, int32_t type, const std::string& text) = 0;
};

// "OrbResLoader.Loader": translated texts of a resource file.
class ORB_HOST_API ResLoader : public Object {
 public:
  std::string TypeName() const override { return "Loader"; }
  virtual std::string ResFileBaseName() const = 0;
  virtual void SetResFileBaseName(const std::string& name) = 0;
  virtual std::string LanguageID() const = 0;
  virtual void SetLanguageID(const std::string& language) = 0;
  // The text of the key in the current language; the key itself when the
  // catalog lacks it.
  virtual std::string LoadString(const std::string& key) = 0;
};

// "OrbLangInfo.LangInfo".
class ORB_HOST_API LangInfo : public Object {
 public:
  std::string TypeName() const override { return "LangInfo"; }
  virtual std::string CurrentLanguage() = 0;
};

// "FrmRes.FrmResLoader": the language's font on a form.
class ORB_HOST_API FormResLoader : public Object {
 public:
  std::string TypeName() const override { return "FrmResLoader"; }
  virtual void SetFrmFont(const ObjectPtr& form, const std::string& language) = 0;
};

// "CSystemDlg.Sys".
class ORB_HOST_API SystemDialog : public Object {
 public:
  std::string TypeName() const override { return "Sys"; }
  // The connection string of the local switch database.
  virtual std::string LocalCnn() = 0;
};

// "OrbMQMDataAccess.cBillSimpleCheck": audit and release rules. The request
// holds "BillClassTypeid"/"BillClassTypeID", "InterID", "CheckSwitch" and
// "ReturnString", which receives the component's message.
class ORB_HOST_API SimpleCheck : public Object {
 public:
  std::string TypeName() const override { return "cBillSimpleCheck"; }
  virtual bool CheckBill(const std::string& props, const DictionaryPtr& request) = 0;
  virtual bool ReleaseBill(const std::string& props, const DictionaryPtr& request) = 0;
};

// "OrbMClass.ClassUpdate": deletes a bill; raises an automation error when it cannot.
class ORB_HOST_API ClassUpdate : public Object {
 public:
  std::string TypeName() const override { return "ClassUpdate"; }
  virtual void DeleteBill(const std::string& props, const std::vector<Variant>& values) = 0;
};

// "OrbDisplayer.DispBuilder": gathers lines and shows them once.
class ORB_HOST_API DispBuilder : public Object {
 public:
  std::string TypeName() const override { return "DispBuilder"; }
  virtual void AddLine(const std::string& line) = 0;
  virtual void Show() = 0;
};

// "OrbMGMPBatchPack.CBatchPack": pause, cancel and end-case of an instruction.
class ORB_HOST_API BatchPackComponent : public Object {
 public:
  std::string TypeName() const override { return "CBatchPack"; }
  virtual bool Update(const std::string& props, const DictionaryPtr& request) = 0;
};

}  // namespace orb
