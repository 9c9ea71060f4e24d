-- The deviation handling report (class type 1001017): a deviation found in
-- one operation of a production task's routing and how it was handled.
-- Every statement may run again on an existing database.
CREATE TABLE IF NOT EXISTS GMPWarpReport (
  FID            INTEGER PRIMARY KEY,
  FBillNo        TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate          TEXT,
  -- The production task (ICMO) by number and by id.
  FManTaskBillNo TEXT COLLATE TEXTKEY,
  FManTaskBillID INTEGER,
  FItemID        INTEGER,
  -- The task's routing (t_Routing) and the operation (t_SubMessage, type 61).
  FRouting       INTEGER,
  FBatchNo       TEXT COLLATE TEXTKEY,
  FWorkPrc       INTEGER,
  FDeviation     TEXT,
  FMeasure       TEXT,
  FBillerID      INTEGER,
  -- The auditor's user id (t_User); 0 or NULL while the report is unaudited.
  FCheckerID     INTEGER,
  FCheckDate     TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPWarpReport_BillNo ON GMPWarpReport (FBillNo);
