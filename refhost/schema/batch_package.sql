-- The batch package instruction (class type 1001012): its head, its lines of
-- packaging materials, the code lists its looked-up fields show, and the
-- bills of the packaging chain that refer to an instruction.
-- Every statement may run again on an existing database.

-- Life-cycle states of the GMP bills: 1049 planned, 1050 released, 1051
-- ended, 13557 paused, 13558 cancelled.
CREATE TABLE IF NOT EXISTS t_GMPBillStatus (
  FID     INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE TEXTKEY NOT NULL,
  FName   TEXT NOT NULL DEFAULT ''
);
INSERT OR IGNORE INTO t_GMPBillStatus (FID, FNumber, FName) VALUES
  (1049, 'ZT1', '计划'),
  (1050, 'ZT2', '下达'),
  (1051, 'ZT3', '结案'),
  (13557, 'ZT4', '挂起'),
  (13558, 'ZT5', '作废');

-- Where a GMP bill comes from: entered by hand, or made from a production
-- order.
CREATE TABLE IF NOT EXISTS t_GMPBillComeFrom (
  FID     INTEGER PRIMARY KEY,
  FNumber TEXT COLLATE TEXTKEY NOT NULL,
  FName   TEXT NOT NULL DEFAULT ''
);
INSERT OR IGNORE INTO t_GMPBillComeFrom (FID, FNumber, FName) VALUES
  (41, '001', '手工录入'),
  (42, '002', '生产任务单');

-- The instruction: one production batch (FMoBillNO the production order's
-- number, FItemID the product, FBatchNo its batch) to be packed. FReleaseID
-- is the number the release gave the instruction, NULL or 0 while it is not
-- released; the plug-in never writes it.
CREATE TABLE IF NOT EXISTS gmpbatchpacket (
  FID           INTEGER PRIMARY KEY,
  FBillNo       TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FDate         TEXT NOT NULL DEFAULT '',
  FBillStatus   INTEGER NOT NULL DEFAULT 1049,
  FReleaseID    INTEGER,
  FMoBillNO     TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  -- The production order's FInterID, and of the batch the quantities already
  -- packed and discarded.
  FMoBillNoID   INTEGER,
  FPacketAmount REAL NOT NULL DEFAULT 0,
  FDiscardAmount REAL NOT NULL DEFAULT 0,
  FBillComeFrom INTEGER,
  FItemID       INTEGER,
  FBatchNo      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FQty          REAL,
  -- 'YYYY-MM-DD', '' for none.
  FPackDate     TEXT NOT NULL DEFAULT '',
  FBillerID     INTEGER,
  FCheckerID    INTEGER,
  FCheckDate    TEXT NOT NULL DEFAULT '',
  FNote         TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_gmpbatchpacket_BillNo ON gmpbatchpacket (FBillNo);

-- The packaging materials the batch needs, in the item's unit.
CREATE TABLE IF NOT EXISTS gmpbatchpacketEntry (
  FID      INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FItemID  INTEGER,
  FUnitID  INTEGER,
  FQty     REAL,
  FNote    TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (FID, FEntryID)
);

-- Bill id -> bill class type, for the look-ups by instruction number. Every
-- instruction is entered here when it is created.
CREATE TABLE IF NOT EXISTS icclassgroupinfo (
  FID          INTEGER PRIMARY KEY,
  FClassTypeID INTEGER NOT NULL
);
CREATE TRIGGER IF NOT EXISTS tr_gmpbatchpacket_ClassGroup AFTER INSERT ON gmpbatchpacket
BEGIN
  INSERT OR REPLACE INTO icclassgroupinfo (FID, FClassTypeID) VALUES (NEW.FID, 1001012);
END;
