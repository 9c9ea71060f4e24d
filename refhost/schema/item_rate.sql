-- The material balance yield table (class type 1001816): one product batch,
-- one line per operation of its routing with the quantities and yields.
-- Every statement may run again on an existing database.

CREATE TABLE IF NOT EXISTS GMPItemRate (
  FID          INTEGER PRIMARY KEY,
  FBillNo      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate        TEXT,
  FItemID      INTEGER,
  FBatchNo     TEXT COLLATE TEXTKEY,
  -- The routing (t_Routing) by its number.
  FRoutingID   TEXT COLLATE TEXTKEY,
  -- Output and total theoretical input; total yield in percent.
  FAuxQty      REAL,
  FAuxTotalQty REAL,
  FTotalRate   REAL,
  FBillerID    INTEGER,
  -- The auditor's user id (t_User); 0 or NULL while the table is unaudited.
  FCheckerID   INTEGER,
  FCheckDate   TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_GMPItemRate_BillNo ON GMPItemRate (FBillNo);

-- One line per operation. Rates are percent; FItemStatus 1 when the actual
-- yield lies outside [FLowerRate, FUpperRate].
CREATE TABLE IF NOT EXISTS GMPItemRateEntry (
  FID         INTEGER NOT NULL,
  FEntryID    INTEGER NOT NULL,
  FOperID     INTEGER,
  FOperQty    REAL,
  FProQty     REAL,
  FSampleQty  REAL,
  FNotPassQty REAL,
  FReturnQty  REAL,
  FUpperRate  REAL,
  FLowerRate  REAL,
  FOperRate   REAL,
  FRealRate   REAL,
  FTatolRateE REAL,
  FItemStatus INTEGER,
  PRIMARY KEY (FID, FEntryID)
);
