-- The box merge record (class type 1001815): products of the previous batch
-- and of this batch packed into one box. Every statement may run again on an
-- existing database.
CREATE TABLE IF NOT EXISTS GMPBoxUnit (
  FID        INTEGER PRIMARY KEY,
  FBillNo    TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  -- The merge date, 'YYYY-MM-DD'.
  FUDate     TEXT,
  FItemID    INTEGER,
  FLBatchNo  TEXT COLLATE TEXTKEY,
  FLBatchNum REAL,
  FTBatchNo  TEXT COLLATE TEXTKEY,
  FTBatchNum REAL,
  FBillerID  INTEGER,
  -- The auditor's user id (t_User); 0 or NULL while the record is unaudited.
  FCheckerID INTEGER,
  FCheckDate TEXT,
  FNote      TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPBoxUnit_BillNo ON GMPBoxUnit (FBillNo);
