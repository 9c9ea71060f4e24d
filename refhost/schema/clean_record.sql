-- The cleaning record (class type 1001808): the items of its cleaning scheme,
-- each with its cleaner and result.
-- Every statement may run again on an existing database.
CREATE TABLE IF NOT EXISTS GMPCleanRecord (
  FID INTEGER PRIMARY KEY,
  FBillNo TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate TEXT,
  FCleanScheme TEXT COLLATE TEXTKEY,
  FBillerID INTEGER,
  FCheckerID INTEGER,
  FCheckDate TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPCleanRecord_BillNo ON GMPCleanRecord (FBillNo);
CREATE TABLE IF NOT EXISTS GMPCleanRecordentry (
  FID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FCleanItemID INTEGER,
  FCleanItemName TEXT COLLATE TEXTKEY,
  FCleanID INTEGER,
  FResult TEXT COLLATE TEXTKEY,
  FMemo2 TEXT COLLATE TEXTKEY,
  PRIMARY KEY (FID, FEntryID)
);
