// The reference host's platform and components against real databases.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "host/automation_error.h"
#include "host/components.h"
#include "host/platform.h"
#include "refhost/components/login_object.h"
#include "refhost/components/res_loader.h"
#include "refhost/components/system_object.h"
#include "refhost/host.h"

namespace orb::refhost {
namespace {

// A database file of its own, removed at the end of the test.
class TempDbFile {
 public:
  TempDbFile() {
    static std::atomic<int> counter{0};
    path_ =
        std::filesystem::temp_directory_path() / ("refhost_components_" + std::to_string(getpid()) +
                                                  "_" + std::to_string(counter++) + ".db");
  }
  ~TempDbFile() {
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
      std::filesystem::remove(path_.string() + suffix, ec);
  }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

int32_t Count(Database& db, const std::string& sql) {
  RecordsetPtr rs = db.Query(sql);
  return rs->Value(0).AsLong();
}

// --- The task lock ----------------------------------------------------------

class RefhostTaskLock : public ::testing::Test {
 protected:
  TempDbFile file_;
  Host first_{Database::Open(file_.Path())};
  Host second_{Database::Open(file_.Path())};
};

TEST_F(RefhostTaskLock, HeldLockRefusesAnotherConnectionOnTheSameFile) {
  HostLoginObject mine(first_);
  HostLoginObject theirs(second_);

  int32_t handle = mine.taskexec(3, "BP0001", "PC-A", 1, Variant(), Variant(), Variant());
  ASSERT_GT(handle, 0);
  // The same lock: a key of '' is no key, and lock numbers compare as text
  // keys (letter case and trailing blanks ignored).
  EXPECT_EQ(theirs.taskexec(3, "BP0001", "PC-B", 1, Variant(), Variant(), Variant()), 0);
  EXPECT_EQ(theirs.taskexec(3, "bp0001 ", "PC-B", 1, Variant(), Variant(), Variant("")), 0);
  // Other subsystems, numbers and keys are other locks.
  EXPECT_GT(theirs.taskexec(4, "BP0001", "PC-B", 1, Variant(), Variant(), Variant()), 0);
  EXPECT_GT(theirs.taskexec(3, "BP0002", "PC-B", 1, Variant(), Variant(), Variant()), 0);
  EXPECT_GT(theirs.taskexec(3, "BP0001", "PC-B", 1, Variant(), Variant(), Variant(17)), 0);
  // A refused attempt leaves no row behind.
  EXPECT_EQ(Count(first_.Db(), "SELECT count(*) FROM t_TaskLock"), 4);
}

TEST_F(RefhostTaskLock, CommitTaskReleasesTheLockForTheNextUser) {
  HostLoginObject mine(first_);
  HostLoginObject theirs(second_);

  int32_t handle = mine.taskexec(3, "BP0001", "PC-A", 1, Variant(), Variant(), Variant("k"));
  ASSERT_GT(handle, 0);
  ASSERT_EQ(theirs.taskexec(3, "BP0001", "PC-B", 1, Variant(), Variant(), Variant("k")), 0);

  EXPECT_TRUE(mine.CommitTask(handle));
  EXPECT_FALSE(mine.CommitTask(handle));  // already released
  int32_t next = theirs.taskexec(3, "BP0001", "PC-B", 1, Variant(), Variant(), Variant("k"));
  EXPECT_GT(next, 0);
  EXPECT_FALSE(mine.CommitTask(next + 1000));
}

TEST_F(RefhostTaskLock, SeededRowStandsForAnotherUsersLock) {
  first_.Db().Exec(
      "INSERT INTO t_TaskLock (FSubSysID, FNumber, FKey, FComputer) "
      "VALUES (3, 'BP0001', '', 'OTHER-PC')");
  HostLoginObject mine(first_);
  EXPECT_EQ(mine.taskexec(3, "BP0001", "PC-A", 1, Variant(), Variant(), Variant()), 0);
}

TEST_F(RefhostTaskLock, LockHeldByAnotherProcessIsRefused) {
  HostLoginObject mine(first_);
  ASSERT_GT(mine.taskexec(3, "BP0001", "PC-A", 1, Variant(), Variant(), Variant()), 0);

  pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    // Exit code: 0 refused as expected, 1 taken, 2 failed otherwise.
    int code = 2;
    try {
      Host host(Database::Open(file_.Path()));
      HostLoginObject login(host);
      int32_t h = login.taskexec(3, "BP0001", "PC-B", 1, Variant(), Variant(), Variant());
      code = h == 0 ? 0 : 1;
    } catch (...) {
    }
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the other process took the held lock";
}

TEST_F(RefhostTaskLock, SharedPropertiesHandOutTheLoginObjectOfThisProcessOnly) {
  first_.SetPropsString("UserID=7;UserName=x");
  auto props =
      std::dynamic_pointer_cast<SharedProperties>(first_.CreateObject(progid::kShareProps));
  ASSERT_TRUE(props);
  uint32_t pid = first_.ProcessId();
  EXPECT_EQ(props->GetProperty(pid, "propsstring"), Variant("UserID=7;UserName=x"));
  auto login = props->GetProperty(pid, "TVLogin").As<LoginObject>();
  ASSERT_TRUE(login);
  EXPECT_GT(login->taskexec(1, "X1", "PC", 0, Variant(), Variant(), Variant()), 0);
  EXPECT_TRUE(props->GetProperty(pid + 1, "PropsString").IsEmpty());
  EXPECT_TRUE(props->GetProperty(pid, "NoSuchProperty").IsEmpty());
}

// --- Rights and the user log -------------------------------------------------

class RefhostRights : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.Db().Exec(
        "INSERT INTO t_UserRight (FUserID, FObjectType, FObjectID, FRights) VALUES "
        "(7, '3', 'BP01', 5), (8, '3', 'BP01', 15)");
    host_.SetPropsString("DBName={acct;UserID=8};UserID = 7 ;UserName=Li");
  }
  Host host_{Database::Open(":memory:")};
};

TEST_F(RefhostRights, AccessCheckGrantsOnlyWhenEveryBitOfTheRightIsSet) {
  auto gl = std::dynamic_pointer_cast<SystemObject>(host_.CreateObject(progid::kSystemObject));
  ASSERT_TRUE(gl);
  // User 7 (not the 8 inside the braces) holds 0b101.
  EXPECT_TRUE(gl->AccessCheck(Variant(3), Variant("BP01"), 1));
  EXPECT_TRUE(gl->AccessCheck(Variant("3"), Variant("bp01"), 4));
  EXPECT_TRUE(gl->AccessCheck(Variant(3), Variant("BP01"), 5));
  EXPECT_FALSE(gl->AccessCheck(Variant(3), Variant("BP01"), 2));
  EXPECT_FALSE(gl->AccessCheck(Variant(3), Variant("BP01"), 3));  // one bit of two
  EXPECT_FALSE(gl->AccessCheck(Variant(4), Variant("BP01"), 1));
  EXPECT_FALSE(gl->AccessCheck(Variant(3), Variant("BP02"), 1));

  host_.SetPropsString("UserName=Li");  // no user: no rights
  EXPECT_FALSE(gl->AccessCheck(Variant(3), Variant("BP01"), 1));
}

TEST_F(RefhostRights, LoginPropertiesReadBracedValuesAndAnyLetterCase) {
  const std::string props = "Server = db1;DBName={a;b=c};userid=12;Empty=;Last={x}";
  EXPECT_EQ(LoginProperty(props, "UserID"), "12");
  EXPECT_EQ(LoginProperty(props, "dbname"), "a;b=c");
  EXPECT_EQ(LoginProperty(props, "SERVER"), "db1");
  EXPECT_EQ(LoginProperty(props, "Empty"), "");
  EXPECT_EQ(LoginProperty(props, "Last"), "x");
  EXPECT_EQ(LoginProperty(props, "b"), std::nullopt);  // inside braces
  EXPECT_EQ(LoginProperty(props, "User"), std::nullopt);
}

TEST_F(RefhostRights, WriteLogAddsARowAndATranscriptRecord) {
  auto gl = std::dynamic_pointer_cast<SystemObject>(host_.CreateObject(progid::kSystemObject));
  size_t mark = host_.Log().Size();
  gl->WriteLog("F0102", 2, "审核 BP01");

  RecordsetPtr rs = host_.Db().Query("SELECT FUserID, FFuncID, FType, FText, FDate FROM t_UserLog");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value("FUserID"), Variant(7));
  EXPECT_EQ(rs->Value("FFuncID"), Variant("F0102"));
  EXPECT_EQ(rs->Value("FType"), Variant(2));
  EXPECT_EQ(rs->Value("FText"), Variant("审核 BP01"));
  EXPECT_FALSE(rs->Value("FDate").AsString().empty());

  auto logs = host_.Log().Since(mark, "log");
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0], (nlohmann::json{{"funcId", "F0102"}, {"type", 2}, {"text", "审核 BP01"}}));
  auto calls = host_.Log().Since(mark, "call");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["component"], "ZADUVAvuz.GLData");
  EXPECT_EQ(calls[0]["args"], (nlohmann::json{"F0102", 2, "审核 BP01"}));
}

TEST_F(RefhostRights, FaultMakesTheCallFailAfterRecordingIt) {
  auto gl = std::dynamic_pointer_cast<SystemObject>(host_.CreateObject(progid::kSystemObject));
  Fault fail;
  fail.target = "call";
  fail.match = "zaduvavuz.gldata.accesscheck";
  fail.mode = "fail";
  host_.GetFaults().Add(fail);
  size_t mark = host_.Log().Size();
  EXPECT_FALSE(gl->AccessCheck(Variant(3), Variant("BP01"), 1));
  EXPECT_EQ(host_.Log().Since(mark, "call").size(), 1u);
  EXPECT_TRUE(gl->AccessCheck(Variant(3), Variant("BP01"), 1));  // fired once
}

// --- The platform ------------------------------------------------------------

class RefhostPlatform : public ::testing::Test {
 protected:
  Host host_{Database::Open(":memory:")};
};

TEST_F(RefhostPlatform, ProgIdsIgnoreLetterCaseAndUnknownOnesRaise429) {
  EXPECT_TRUE(std::dynamic_pointer_cast<SystemObject>(host_.CreateObject("zaduvavuz.gldata")));
  EXPECT_TRUE(std::dynamic_pointer_cast<ResLoader>(host_.CreateObject("ORBRESLOADER.LOADER")));
  EXPECT_TRUE(
      std::dynamic_pointer_cast<Connection>(host_.CreateObject("Orbconnection.AppConnection")));
  try {
    host_.CreateObject("Orb.NoSuchThing");
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), err::kCannotCreate);
    EXPECT_NE(e.Description().find("Orb.NoSuchThing"), std::string::npos);
  }
}

TEST_F(RefhostPlatform, QuestionsTakeScriptedAnswersThenNo) {
  host_.User().answers = {mb::kYes, mb::kNo, mb::kYes};
  EXPECT_EQ(host_.MsgBox("a?", mb::kYesNo + mb::kQuestion, "t"), mb::kYes);
  // A box with only OK asks nothing and takes no answer.
  EXPECT_EQ(host_.MsgBox("note", mb::kInformation, "t"), mb::kOk);
  EXPECT_EQ(host_.MsgBox("b?", mb::kYesNo, "t"), mb::kNo);
  EXPECT_EQ(host_.MsgBox("c?", 3, "t"), mb::kYes);  // Yes/No/Cancel
  EXPECT_EQ(host_.MsgBox("d?", mb::kYesNo, "t"), mb::kNo);

  auto messages = host_.Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0],
            (nlohmann::json{{"text", "a?"}, {"style", 36}, {"title", "t"}, {"answer", 6}}));
  EXPECT_EQ(messages[4]["answer"], mb::kNo);
}

TEST_F(RefhostPlatform, ScreenPointerIsRecordedOnlyWhenItChanges) {
  host_.SetScreenPointer(kPointerDefault);
  host_.SetScreenPointer(kPointerHourglass);
  host_.SetScreenPointer(kPointerHourglass);
  host_.SetScreenPointer(kPointerDefault);
  auto pointers = host_.Log().Since(0, "pointer");
  ASSERT_EQ(pointers.size(), 2u);
  EXPECT_EQ(pointers[0]["value"], kPointerHourglass);
  EXPECT_EQ(pointers[1]["value"], kPointerDefault);
}

TEST_F(RefhostPlatform, StatementIsLoggedBeforeAFaultStopsIt) {
  Fault fault;
  fault.target = "sql";
  fault.match = "t_user ";
  host_.GetFaults().Add(fault);
  auto cn = std::dynamic_pointer_cast<Connection>(host_.CreateObject(kConnectionProgId));
  EXPECT_THROW(cn->Execute("INSERT INTO t_User (FUserID, FName) VALUES (1, 'a')"), AutomationError);
  auto sql = host_.Log().Since(0, "sql");
  ASSERT_EQ(sql.size(), 1u);
  EXPECT_NE(sql[0]["text"].get<std::string>().find("t_User"), std::string::npos);
  EXPECT_EQ(Count(host_.Db(), "SELECT count(*) FROM t_User"), 0);
}

TEST_F(RefhostPlatform, InstalledUntilDestroyed) {
  {
    Host host(Database::Open(":memory:"));
    host.Install();
    EXPECT_EQ(&CurrentPlatform(), &host);
  }
  EXPECT_THROW(CurrentPlatform(), AutomationError);
}

TEST_F(RefhostPlatform, ComponentKeptPastItsHostRaisesInsteadOfReachingIt) {
  std::shared_ptr<LangInfo> kept;
  {
    Host host(Database::Open(":memory:"));
    host.SetLanguage("en");
    kept = std::dynamic_pointer_cast<LangInfo>(host.CreateObject(progid::kLangInfo));
    EXPECT_EQ(kept->CurrentLanguage(), "en");
  }
  try {
    kept->CurrentLanguage();
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), err::kObjectNotSet);
  }
}

TEST_F(RefhostPlatform, DisplayerShowsGatheredLinesInOneBox) {
  host_.SetLanguage("en");
  auto disp = std::dynamic_pointer_cast<DispBuilder>(host_.CreateObject(progid::kDispBuilder));
  disp->AddLine("BP01 saved");
  disp->AddLine("BP02 failed");
  disp->Show();
  auto messages = host_.Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["text"], "BP01 saved\r\nBP02 failed");
  EXPECT_EQ(messages[0]["style"], mb::kInformation);
  EXPECT_EQ(messages[0]["title"], "Notice");
}

TEST_F(RefhostPlatform, LocalSwitchDatabaseLiesInTheDataFolder) {
  host_.SetDataFolder("/srv/orb");
  auto sys = std::dynamic_pointer_cast<SystemDialog>(host_.CreateObject(progid::kSystemDlg));
  EXPECT_EQ(sys->LocalCnn(), "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/srv/orb/RodIdorud.sss");

  TempDbFile file;
  Host onFile(Database::Open(file.Path()));
  EXPECT_EQ(onFile.DataFolder(), std::filesystem::path(file.Path()).parent_path().string());
}

// --- Message catalogs ------------------------------------------------------------

TEST(RefhostCatalog, ParsesContinuationsEscapesAndSkipsUntranslatedEntries) {
  Catalog c = Catalog::Parse(R"po(# header comment
msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"

msgid "审核|"
msgstr "Audit|"

msgid ""
"Line one\n"
"Line two"
msgstr "First\n"
"Sec\"ond\" \\ \tend"

#, fuzzy
msgid "Guess"
msgstr "Guessed"

msgid "Untranslated"
msgstr ""

msgctxt "menu"
msgid "Open"
msgstr "Opened"
)po");
  EXPECT_EQ(c.Find("审核|"), "Audit|");
  EXPECT_EQ(c.Find("审核"), std::nullopt);
  EXPECT_EQ(c.Find("Line one\nLine two"), "First\nSec\"ond\" \\ \tend");
  EXPECT_EQ(c.Find("Guess"), std::nullopt);
  EXPECT_EQ(c.Find("Untranslated"), std::nullopt);
  EXPECT_EQ(c.Find("Open"), std::nullopt);
  EXPECT_EQ(c.Find(""), std::nullopt);
  EXPECT_EQ(c.Keys(), (std::vector<std::string>{"审核|", "Line one\nLine two"}));
}

TEST(RefhostCatalog, MalformedTextRaises) {
  EXPECT_THROW(Catalog::Parse("msgid \"a\\q\"\nmsgstr \"b\"\n"), AutomationError);
  EXPECT_THROW(Catalog::Parse("msgid \"a\"\n"), AutomationError);
  EXPECT_THROW(Catalog::Parse("\"stray\"\n"), AutomationError);
}

TEST(RefhostCatalog, LoaderTranslatesOrReturnsTheKey) {
  Host host(Database::Open(":memory:"));
  auto loader = std::dynamic_pointer_cast<ResLoader>(host.CreateObject(progid::kResLoader));
  loader->SetResFileBaseName("orbhymanufacture");
  loader->SetLanguageID("EN");
  EXPECT_EQ(loader->LoadString("澜帆提示"), "Notice");
  EXPECT_EQ(loader->LoadString("no such text"), "no such text");
  loader->SetLanguageID("chs");
  EXPECT_EQ(loader->LoadString("审核"), "审核");

  EXPECT_TRUE(CatalogHas("OrbHYManufacture", "en", "请先保存单据！"));
  EXPECT_FALSE(CatalogHas("OrbHYManufacture", "fr", "请先保存单据！"));
  EXPECT_TRUE(CatalogKeys("NoSuchFile", "en").empty());
}

}  // namespace
}  // namespace orb::refhost
