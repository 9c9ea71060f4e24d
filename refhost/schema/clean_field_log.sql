-- The line clearance record (class type 1001806): a line cleared after the
-- previous batch, item by item, for one operation of a routing.
-- Every statement may run again on an existing database.
CREATE TABLE IF NOT EXISTS gmpcleanfieldlog (
  FID INTEGER PRIMARY KEY,
  FBillNo TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate TEXT,
  FCleanTypeID TEXT COLLATE TEXTKEY,
  FPreBatchNo TEXT COLLATE TEXTKEY,
  FRouteID INTEGER,
  FProcedureID INTEGER,
  FProjectName TEXT COLLATE TEXTKEY,
  FBillerID INTEGER,
  FCheckerID INTEGER,
  FCheckDate TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_gmpcleanfieldlog_BillNo ON gmpcleanfieldlog (FBillNo);
CREATE TABLE IF NOT EXISTS gmpcleanfieldlogentry (
  FID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FCleanItemID INTEGER,
  FCleanItemName TEXT COLLATE TEXTKEY,
  FCleanID INTEGER,
  FResult TEXT COLLATE TEXTKEY,
  FMemo2 TEXT COLLATE TEXTKEY,
  PRIMARY KEY (FID, FEntryID)
);
