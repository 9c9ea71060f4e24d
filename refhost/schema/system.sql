-- The reference host's own tables: users, rights, the user log and the task
-- lock. Every statement may run again on an existing database.

CREATE TABLE IF NOT EXISTS t_User (
  FUserID INTEGER PRIMARY KEY,
  FName   TEXT COLLATE TEXTKEY NOT NULL DEFAULT ''
);

-- FRights is a bitmask; a right is granted when every one of its bits is set
-- in a row of the user for that object.
CREATE TABLE IF NOT EXISTS t_UserRight (
  FUserID     INTEGER NOT NULL,
  FObjectType TEXT COLLATE TEXTKEY NOT NULL,
  FObjectID   TEXT COLLATE TEXTKEY NOT NULL,
  FRights     INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS ix_UserRight ON t_UserRight (FUserID, FObjectType, FObjectID);

-- The database numbers the rows and never gives a number twice.
CREATE TABLE IF NOT EXISTS t_UserLog (
  FID     INTEGER PRIMARY KEY AUTOINCREMENT,
  FUserID INTEGER,
  FFuncID TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FType   INTEGER NOT NULL DEFAULT 0,
  FText   TEXT NOT NULL DEFAULT '',
  FDate   TEXT NOT NULL DEFAULT '',
  -- SHA-256 of the previous row's FHash and this row's other columns.
  FHash   TEXT NOT NULL DEFAULT ''
);

-- One row per task lock held. The unique index makes taking a lock a single
-- INSERT that two processes cannot both win.
CREATE TABLE IF NOT EXISTS t_TaskLock (
  FID        INTEGER PRIMARY KEY,
  FSubSysID  INTEGER NOT NULL,
  FNumber    TEXT COLLATE TEXTKEY NOT NULL,
  FKey       TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FComputer  TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FKind      INTEGER NOT NULL DEFAULT 0,
  FArgA      TEXT,
  FArgB      TEXT,
  FProcessID INTEGER NOT NULL DEFAULT 0,
  FDate      TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_TaskLock ON t_TaskLock (FSubSysID, FNumber, FKey);

-- Where the bills of each class type are stored, for the components that
-- audit and delete bills by class type and id. Bills are identified by the
-- head's FID; entry rows link to it by their own FID. The host writes one row
-- per bill template (refhost/bill_registry.h).
CREATE TABLE IF NOT EXISTS t_BillClass (
  FClassTypeID INTEGER PRIMARY KEY,
  FName        TEXT NOT NULL DEFAULT '',
  FHeadTable   TEXT NOT NULL,
  FEntryTable  TEXT NOT NULL DEFAULT '',
  FBillNoField TEXT NOT NULL DEFAULT 'FBillNo'
);
