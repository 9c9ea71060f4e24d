-- The finished-product release audit bill (class type 1001812): one production
-- task's product and batch audited item by item against a release audit scheme.
-- Every statement may run again on an existing database.
CREATE TABLE IF NOT EXISTS GMPReleaseAudit (
  FID INTEGER PRIMARY KEY,
  FBillNo TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate TEXT,
  FScheme TEXT COLLATE TEXTKEY,
  FManTaskNo TEXT COLLATE TEXTKEY,
  FItemID INTEGER,
  FBatchID TEXT COLLATE TEXTKEY,
  FBillerID INTEGER,
  FCheckerID INTEGER,
  FCheckDate TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPReleaseAudit_BillNo ON GMPReleaseAudit (FBillNo);
CREATE TABLE IF NOT EXISTS GMPReleaseAuditentry (
  FID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FAuditItemID INTEGER,
  FAuditItemName TEXT COLLATE TEXTKEY,
  FCleanID INTEGER,
  FResult TEXT COLLATE TEXTKEY,
  FMemo2 TEXT COLLATE TEXTKEY,
  PRIMARY KEY (FID, FEntryID)
);
