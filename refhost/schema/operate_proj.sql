-- The operation record scheme (class type 1001828): its head and its lines.
-- Every statement may run again on an existing database.

CREATE TABLE IF NOT EXISTS GMPOperationProj (
  FID         INTEGER PRIMARY KEY,
  FBillNO     TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FSchemeName TEXT,
  -- The auditor's user id (t_User); 0 or NULL while the scheme is unaudited.
  FCheckerID  INTEGER,
  -- 'YYYY-MM-DD', '' when unaudited.
  FCheckDate  TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPOperationProj_BillNO ON GMPOperationProj (FBillNO);

CREATE TABLE IF NOT EXISTS GMPOperationProjEntry (
  FID        INTEGER NOT NULL,
  FEntryID   INTEGER NOT NULL,
  FIndex     INTEGER,
  FOperation TEXT,
  FMemo      TEXT,
  PRIMARY KEY (FID, FEntryID)
);
