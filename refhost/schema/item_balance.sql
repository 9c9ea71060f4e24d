-- The packaging material balance (class type 1001807): per packaging
-- material the quantity taken and the quantity missing with its reason, made
-- for one batch package instruction (FPackageBillID: its FID).
-- Every statement may run again on an existing database.

CREATE TABLE IF NOT EXISTS GMPItemBalance (
  FID            INTEGER PRIMARY KEY,
  FBillNO        TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate          TEXT NOT NULL DEFAULT '',
  FPackageBillNO TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FPackageBillID INTEGER,
  -- The material-issue bill's number.
  FGetMaterialID TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FBillerID      INTEGER,
  FCheckerID     INTEGER,
  FCheckDate     TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS ix_GMPItemBalance_Instruction ON GMPItemBalance (FPackageBillID);

CREATE TABLE IF NOT EXISTS GMPItemBalanceEntry (
  FID          INTEGER NOT NULL,
  FEntryID     INTEGER NOT NULL,
  FSubItemID   INTEGER,
  FSubItemName TEXT NOT NULL DEFAULT '',
  FSubModel    TEXT NOT NULL DEFAULT '',
  FSubBatchNo  TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FTakeQty     REAL,
  FLoseQty     REAL,
  FLoseReason  TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (FID, FEntryID)
);
