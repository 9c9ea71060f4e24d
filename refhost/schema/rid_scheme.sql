-- The line clearance scheme (class type 1001809): the clearance items one operation's
-- line clearance record checks.
-- Every statement may run again on an existing database.
CREATE TABLE IF NOT EXISTS GMPRidScheme (
  FID INTEGER PRIMARY KEY,
  FBillNO TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FSchemeName TEXT COLLATE TEXTKEY,
  FClassTypeID INTEGER,
  FBillerID INTEGER,
  FCheckerID INTEGER,
  FCheckDate TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPRidScheme_BillNo ON GMPRidScheme (FBillNO);
CREATE TABLE IF NOT EXISTS GMPRidSchemeentry (
  FID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FRidID INTEGER,
  FRidName TEXT COLLATE TEXTKEY,
  FNote TEXT COLLATE TEXTKEY,
  PRIMARY KEY (FID, FEntryID)
);
