-- The finished-product release audit scheme (class type 1001811): the audit
-- items a release audit checks.
-- Every statement may run again on an existing database.
CREATE TABLE IF NOT EXISTS GMPOutScheme (
  FID INTEGER PRIMARY KEY,
  FBillNo TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FSchemeName TEXT COLLATE TEXTKEY,
  FClassTypeID INTEGER,
  FBillerID INTEGER,
  FCheckerID INTEGER,
  FCheckDate TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPOutScheme_BillNo ON GMPOutScheme (FBillNo);
CREATE TABLE IF NOT EXISTS GMPOutSchemeentry (
  FID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FAudit INTEGER,
  FAuditName TEXT COLLATE TEXTKEY,
  FNote TEXT COLLATE TEXTKEY,
  PRIMARY KEY (FID, FEntryID)
);
