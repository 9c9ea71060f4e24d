-- The cleaning scheme (class type 1001801): the cleaning items a cleaning record
-- follows.
-- Every statement may run again on an existing database.
CREATE TABLE IF NOT EXISTS GMPCleanScheme (
  FID INTEGER PRIMARY KEY,
  FBillNo TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FSchemeName TEXT COLLATE TEXTKEY,
  FClassTypeID INTEGER,
  FBillerID INTEGER,
  FCheckerID INTEGER,
  FCheckDate TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPCleanScheme_BillNo ON GMPCleanScheme (FBillNo);
CREATE TABLE IF NOT EXISTS GMPCleanSchemeentry (
  FID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FCleanItemId INTEGER,
  FCleanItemName TEXT COLLATE TEXTKEY,
  FNote TEXT COLLATE TEXTKEY,
  PRIMARY KEY (FID, FEntryID)
);
