-- The batch packing record (class type 1001805): the packaging materials
-- taken for one batch, per material and batch number, made for one batch
-- package instruction (FBatchBillNoID: its FID). The line clearance records it
-- refers to are made by schema/clean_field_log.sql, which runs before it.
-- Every statement may run again on an existing database.

CREATE TABLE IF NOT EXISTS gmpbatchpacklog (
  FID            INTEGER PRIMARY KEY,
  FBillNO        TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate          TEXT NOT NULL DEFAULT '',
  FBatchBillNO   TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FBatchBillNoID INTEGER,
  FBatchNo       TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FBulkQty       REAL,
  FItemID        INTEGER,
  FTotalQty      REAL,
  -- The production picking bill's number.
  FGetItemNo     TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  -- The quantity still to pack.
  FPackageQty    REAL,
  FPreCleanLog   TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FThisCleanLog  TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  -- Passed over finished quantity of the production order, written after
  -- each save.
  FFProductRate  REAL,
  FBillerID      INTEGER,
  FCheckerID     INTEGER,
  FCheckDate     TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS ix_gmpbatchpacklog_Instruction ON gmpbatchpacklog (FBatchBillNoID);

CREATE TABLE IF NOT EXISTS gmpbatchpacklogentry (
  FID          INTEGER NOT NULL,
  FEntryID     INTEGER NOT NULL,
  FPackItemID  INTEGER,
  FPackBatchNo TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FTakeQty     REAL,
  PRIMARY KEY (FID, FEntryID)
);
