// The reference host: the process-wide environment a bill runs in.
//
// It owns the database, the transcript, the faults and the scripted user, and
// it is the Platform the plug-ins see: it creates the host's components by
// ProgID, shows (scripted) message boxes and keeps the screen pointer.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/component_factory.h"
#include "host/dictionary.h"
#include "host/platform.h"
#include "refhost/faults.h"
#include "refhost/odbc_account.h"
#include "refhost/odbc_connection.h"
#include "refhost/sqlite_database.h"
#include "refhost/transcript.h"

namespace orb::refhost {

// The answers a scripted user gives, consumed in order.
struct ScriptedUser {
  // Answers to message boxes that ask (styles with yes/no buttons):
  // mb::kYes or mb::kNo. A question with no answer left is answered No.
  std::deque<int32_t> answers;
  // Picks for list and routing dialogs: each pick is the 1-based rows chosen,
  // or an empty vector for a closed dialog. No pick left closes the dialog.
  std::deque<std::vector<int32_t>> picks;
};

// Answers the host's components give instead of their own, set by a
// scenario's `script` step; an unset answer leaves the component at work.
struct ScriptedAnswers {
  // The task lock ("TVLogin"): the handle taskexec answers (0: held by
  // another user) and what CommitTask answers. Scripted answers leave the
  // lock table alone.
  std::optional<int32_t> taskHandle;
  std::optional<bool> commitTask;
  // The bill builder ("OrbBills.Bills"): its BillValueChanged and BillInterID
  // after Show, whatever the user did with the bill.
  std::optional<bool> billChanged;
  std::optional<int32_t> billId;
};

class Host : public Platform {
 public:
  explicit Host(std::shared_ptr<Database> db);
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Makes this host the process's platform (and undoes it on destruction).
  void Install();

  Database& Db() { return *db_; }
  std::shared_ptr<Database> DbPtr() { return db_; }
  Transcript& Log() { return transcript_; }
  Faults& GetFaults() { return faults_; }
  ComponentFactory& Factory() { return factory_; }
  ScriptedUser& User() { return user_; }
  ScriptedAnswers& Scripted() { return scripted_; }
  // Expires when the host is destroyed. Components the plug-ins keep (they
  // cache some per thread) check it and raise instead of reaching a host that
  // is gone.
  std::weak_ptr<const void> Lifetime() const { return lifetime_; }

  // The login property string the host shares ("PropsString").
  const std::string& PropsString() const { return props_; }
  void SetPropsString(std::string props) { props_ = std::move(props); }
  // The machine name the task lock is keyed by.
  void SetComputerName(std::string name) { computer_ = std::move(name); }
  int32_t ScreenPointer() const { return pointer_; }
  // The language the host runs in ("chs" unless set), as LangInfo reports it.
  const std::string& Language() const { return language_; }
  void SetLanguage(std::string language) { language_ = std::move(language); }
  // The folder of the host's local files (the switch database RodIdorud.sss);
  // by default the folder of the database file.
  const std::string& DataFolder() const { return dataFolder_; }
  void SetDataFolder(std::string folder) { dataFolder_ = std::move(folder); }

  // Runs the plug-ins' statements ("OrbConnection.Appconnection") through ODBC
  // with this connection string instead of on the host's SQLite database; the
  // host keeps its own tables there. For the SQLite ODBC driver the host's
  // SQLite additions module is loaded unless the string names one (LoadExt).
  // Raises err::kDatabase, with the driver's reason, when it cannot connect.
  void UseOdbc(const std::string& connectionString);
  const std::shared_ptr<OdbcSession>& Odbc() const { return odbc_; }
  // Makes the account tables of `scripts` on the ODBC database, with the rows
  // the host's own database holds for them (see MakeAccountTables), unless
  // the session reaches the host's own SQLite file. Call it once the host's
  // database holds what the plug-ins are to read. Raises err::kDatabase
  // naming the statement that could not be made.
  void MakeOdbcAccount(const std::vector<SchemaScript>& scripts);
  // A new connection component: on the ODBC session when there is one, else
  // on the SQLite database. Either one logs each statement and applies the faults.
  std::shared_ptr<Connection> NewConnection();

  // The language of the login: its property string's "Language", else Language().
  std::string UserLanguage() const;
  // One of the host's own texts (captions, bill names, component answers) in
  // the user's language, from the catalog "RefHost"; the text itself when the
  // catalog has no translation.
  std::string Text(const std::string& text) const;

  // Platform.
  ObjectPtr CreateObject(const std::string& progId) override;
  int32_t MsgBox(const std::string& text, int32_t style, const std::string& title) override;
  void SetScreenPointer(int32_t pointer) override;
  uint32_t ProcessId() override;
  std::string ComputerName() override;
  std::string AppPath() override;

 private:
  std::shared_ptr<Database> db_;
  std::shared_ptr<OdbcSession> odbc_;
  Transcript transcript_;
  Faults faults_;
  ComponentFactory factory_;
  ScriptedUser user_;
  ScriptedAnswers scripted_;
  std::string props_;
  std::string computer_ = "REFHOST";
  std::string language_ = "chs";
  std::string dataFolder_;
  int32_t pointer_ = 0;
  bool installed_ = false;
  std::shared_ptr<const int> lifetime_ = std::make_shared<const int>(0);
};

}  // namespace orb::refhost
