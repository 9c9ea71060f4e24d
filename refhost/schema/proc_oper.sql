-- The process operation record (class type 1001829): the head, the material
-- preparation records (备料记录) and the operation record lines copied from an
-- operation record scheme.
-- Every statement may run again on an existing database.

CREATE TABLE IF NOT EXISTS GMPProcOper (
  FID             INTEGER PRIMARY KEY,
  FBillNo         TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate           TEXT,
  -- The source documents: production task (ICMO), task dispatch bill and
  -- process report (a work bill line), by number; the task also by id.
  FICMONo         TEXT COLLATE TEXTKEY,
  FICMOInterID    INTEGER,
  FTaskDispBillNo TEXT COLLATE TEXTKEY,
  FProcRptNo      TEXT COLLATE TEXTKEY,
  FItemID         INTEGER,
  -- The routing (t_Routing) and its operation (t_SubMessage, type 61).
  FRoutingID      INTEGER,
  FProcID         INTEGER,
  FPBatchNo       TEXT COLLATE TEXTKEY,
  -- The operation record scheme (GMPOperationProj) by number and name.
  FSchemeNo       TEXT COLLATE TEXTKEY,
  FSchemeName     TEXT,
  FBillerID       INTEGER,
  -- The auditor's user id (t_User); 0 or NULL while the record is unaudited.
  FCheckerID      INTEGER,
  FCheckDate      TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPProcOper_BillNo ON GMPProcOper (FBillNo);

CREATE TABLE IF NOT EXISTS GMPProcOperEntry (
  FID       INTEGER NOT NULL,
  FEntryID  INTEGER NOT NULL,
  FItemID_2 INTEGER,
  FBatchNo  TEXT COLLATE TEXTKEY,
  FQty      REAL,
  -- Production date and expiry 'YYYY-MM-DD'; shelf life in days.
  FKFDate   TEXT,
  FKFPeriod INTEGER,
  FEndDate  TEXT,
  PRIMARY KEY (FID, FEntryID)
);

CREATE TABLE IF NOT EXISTS GMPProcOperEntry2 (
  FID           INTEGER NOT NULL,
  FEntryID      INTEGER NOT NULL,
  FRecordIndex  INTEGER,
  FOperation    TEXT,
  FRecordResult TEXT,
  PRIMARY KEY (FID, FEntryID)
);

-- The materials of a production task as the record takes them: the lines of
-- the task's production BOMs, keyed by the task's id.
CREATE VIEW IF NOT EXISTS GMPProcOperTaskMaterial AS
  SELECT b.FICMOInterID AS FInterID, e.FInterID * 1000 + e.FEntryID AS FEntryID,
         e.FItemID, e.FBatchNo, e.FQtyMust, i.FKFPeriod
  FROM PPBOM b
  JOIN PPBOMEntry e ON e.FInterID = b.FInterID
  LEFT JOIN t_ICItem i ON i.FItemID = e.FItemID;
