-- The stock and destruction records: stock maintenance (1001802), label
-- destruction (1001814), scrap approval (1001818) and scrap destruction
-- (1001819), with the stock bills generated from them. Every statement may
-- run again on an existing database. Dates are 'YYYY-MM-DD' text; FCheckerID
-- is the auditor's user id, 0 or NULL while a record is unaudited.

-- Stock maintenance records: one lot in stock and the quantity maintained,
-- in FUnitID. FResultID 501 moves the lot (a transfer bill, FStockBillID and
-- FStockBillNo, is generated on audit).
CREATE TABLE IF NOT EXISTS GMPStockMaintain (
  FID          INTEGER PRIMARY KEY,
  FBillNo      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate        TEXT,
  FItemID      INTEGER,
  FStockID     INTEGER,
  FSPID        INTEGER,
  FBatchNo     TEXT COLLATE TEXTKEY,
  FKFDate      TEXT,
  FKFPeriod    INTEGER,
  FDeadLine    TEXT,
  FQty         REAL,
  FUnitID      INTEGER,
  FResultID    INTEGER,
  FStockBillID INTEGER,
  FStockBillNo TEXT,
  FBillerID    INTEGER,
  FCheckerID   INTEGER,
  FCheckDate   TEXT,
  FNote        TEXT
);

-- Label destruction records: the quality inspection bill and the batch
-- packaging bill the destruction follows, and the destroyed labels by lot.
CREATE TABLE IF NOT EXISTS GMPNoteDestory (
  FID            INTEGER PRIMARY KEY,
  FBillNo        TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate          TEXT,
  FCheckBillerNo TEXT COLLATE TEXTKEY,
  FPackBillNo    TEXT COLLATE TEXTKEY,
  FBillerID      INTEGER,
  FCheckerID     INTEGER,
  FCheckDate     TEXT
);
CREATE TABLE IF NOT EXISTS GMPNoteDestoryEntry (
  FID       INTEGER NOT NULL,
  FEntryID  INTEGER NOT NULL,
  FNoteID   INTEGER,
  FWHID     INTEGER,
  FSPID     INTEGER,
  FBatchNo  TEXT COLLATE TEXTKEY,
  FKFDate   TEXT,
  FKFPeriod INTEGER,
  FQty      REAL,
  PRIMARY KEY (FID, FEntryID)
);

-- Scrap approvals: the goods approved to be written off, usually drawn from
-- a source bill (FID_SRC), with the inspection department, keeper and date.
CREATE TABLE IF NOT EXISTS GMPItemScrapCheck (
  FID             INTEGER PRIMARY KEY,
  FBillNo         TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate           TEXT,
  FQCDeptID       TEXT,
  FStockManagerID TEXT,
  FQCDate         TEXT,
  FBillerID       INTEGER,
  FCheckerID      INTEGER,
  FCheckDate      TEXT
);
CREATE TABLE IF NOT EXISTS GMPItemScrapCheckEntry (
  FID       INTEGER NOT NULL,
  FEntryID  INTEGER NOT NULL,
  FID_SRC   INTEGER,
  FItemID   INTEGER,
  FStockID  INTEGER,
  FSPID     INTEGER,
  FBatchNo  TEXT COLLATE TEXTKEY,
  FKFDate   TEXT,
  FKFPeriod INTEGER,
  FDeadline TEXT,
  FQty      REAL,
  PRIMARY KEY (FID, FEntryID)
);

-- Scrap destruction records: the destroyed lines, each destroyed by one
-- person under the supervision of another; the stock-loss bill generated on
-- audit is FStockBillID / FStockBillNo.
CREATE TABLE IF NOT EXISTS GMPItemDestroy (
  FID          INTEGER PRIMARY KEY,
  FBillNo      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate        TEXT,
  FStockBillID INTEGER,
  FStockBillNo TEXT,
  FBillerID    INTEGER,
  FCheckerID   INTEGER,
  FCheckDate   TEXT
);
CREATE TABLE IF NOT EXISTS GMPItemDestroyEntry (
  FID             INTEGER NOT NULL,
  FEntryID        INTEGER NOT NULL,
  FID_SRC         INTEGER,
  FItemID         INTEGER,
  FUnitID         INTEGER,
  FRealDestroyQty REAL,
  FStockID        INTEGER,
  FSPID           INTEGER,
  FBatchNo        TEXT COLLATE TEXTKEY,
  FKFDate         TEXT,
  FKFPeriod       INTEGER,
  FDeadline       TEXT,
  FDestoryID      TEXT,
  FSuperviseID    TEXT,
  PRIMARY KEY (FID, FEntryID)
);

-- The stock bills built from the records: a transfer bill (41) from a stock
-- maintenance record, a stock-loss bill (43) from a scrap destruction record.
INSERT OR IGNORE INTO t_BillBuildSource (FBillTemplateID, FFieldName, FSrcClassTypeID) VALUES
  ('D01', 'FGMPStockMaintain', 1001802),
  ('C02', 'FGMPDestroyID', 1001819);
INSERT OR IGNORE INTO t_ClassLink (FSrcClassTypeID, FDestClassTypeID, FDestKey, FSrcField) VALUES
  (1001802, 41, 'FItemID', 'FItemID'),
  (1001802, 41, 'FUnitID', 'FUnitID'),
  (1001802, 41, 'FBatchNo', 'FBatchNo'),
  (1001802, 41, 'FKFDate', 'FKFDate'),
  (1001802, 41, 'FKFPeriod', 'FKFPeriod'),
  (1001802, 41, 'FQty', 'FQty'),
  (1001802, 41, 'FSCSPID', 'FSPID'),
  (1001802, 41, 'FSCStockID', 'FStockID'),
  (1001819, 43, 'FItemID', 'e.FItemID'),
  (1001819, 43, 'FUnitID', 'e.FUnitID'),
  (1001819, 43, 'FBatchNo', 'e.FBatchNo'),
  (1001819, 43, 'FKFDate', 'e.FKFDate'),
  (1001819, 43, 'FKFPeriod', 'e.FKFPeriod'),
  (1001819, 43, 'FQty', 'e.FRealDestroyQty'),
  (1001819, 43, 'FSCSPID', 'e.FSPID');
