-- The ERP's shared master data and stock tables that the GMP bills read:
-- units and items, warehouses and stock places, stock balances, production
-- orders and their material lists, routings, work and dispatch bills, stock
-- bills, the look-up registry, quality inspection bills and system switches.
-- The GMP bills' own tables come with each bill's schema file.
--
-- Conventions: ids are INTEGER; quantities, coefficients and rates REAL;
-- dates 'YYYY-MM-DD' text, '' for none; codes, numbers and batch numbers
-- COLLATE TEXTKEY; flags 0/1 (1 = yes). Bill heads are keyed by FInterID,
-- their entry rows by (FInterID, FEntryID).
-- Every statement may run again on an existing database.

-- Sub-messages: small code lists kept in one table, told apart by FTypeID
-- (37 material types of a production BOM line, 61 operations, 243 production
-- BOM types). Operations are looked up by FInterID.
CREATE TABLE IF NOT EXISTS t_SubMessage (
  FInterID INTEGER PRIMARY KEY,
  FTypeID  INTEGER NOT NULL,
  FID      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FName    TEXT NOT NULL DEFAULT '',
  FDeleted INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_SubMessage_Type_ID ON t_SubMessage (FTypeID, FID);

-- Units of measure. Units of one group convert through FCoefficient, the
-- number of the group's standard unit (FStandard = 1, coefficient 1) in one
-- of this unit. FMeasureUnitID repeats FItemID.
CREATE TABLE IF NOT EXISTS t_MeasureUnit (
  FItemID        INTEGER PRIMARY KEY,
  FMeasureUnitID INTEGER NOT NULL,
  FUnitGroupID   INTEGER NOT NULL,
  FNumber        TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FName          TEXT NOT NULL DEFAULT '',
  FCoefficient   REAL NOT NULL DEFAULT 1,
  FStandard      INTEGER NOT NULL DEFAULT 0
);

-- Items: finished products, intermediates, raw materials and packaging
-- materials. FErpClsID is the item class (1 purchased, 2 self-made,
-- 3 subcontracted, 5 virtual, 6 feature, 7 configured, 8 planning);
-- FUnitID the base unit, FCUUnitID the stock unit; FQtyDecimal the decimals
-- of its quantities; FKFPeriod the shelf life in days when FISKFPeriod is set;
-- FGMPIsWrapper marks packaging materials; FDefaultRoutingID is a t_Routing id
-- or 0.
CREATE TABLE IF NOT EXISTS t_ICItem (
  FItemID           INTEGER PRIMARY KEY,
  FNumber           TEXT COLLATE TEXTKEY NOT NULL,
  FName             TEXT NOT NULL DEFAULT '',
  FModel            TEXT NOT NULL DEFAULT '',
  FErpClsID         INTEGER NOT NULL DEFAULT 1,
  FUnitGroupID      INTEGER NOT NULL DEFAULT 0,
  FUnitID           INTEGER NOT NULL DEFAULT 0,
  FCUUnitID         INTEGER NOT NULL DEFAULT 0,
  FQtyDecimal       INTEGER NOT NULL DEFAULT 4,
  FBatchManager     INTEGER NOT NULL DEFAULT 0,
  FISKFPeriod       INTEGER NOT NULL DEFAULT 0,
  FKFPeriod         INTEGER NOT NULL DEFAULT 0,
  FGMPIsWrapper     INTEGER NOT NULL DEFAULT 0,
  FDefaultRoutingID INTEGER NOT NULL DEFAULT 0,
  FDeleted          INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_ICItem_Number ON t_ICItem (FNumber);

-- Warehouses. Their stock places are the t_StockPlace rows of the same
-- FSPGroupID; 0 means a warehouse without stock places.
CREATE TABLE IF NOT EXISTS t_Stock (
  FItemID    INTEGER PRIMARY KEY,
  FNumber    TEXT COLLATE TEXTKEY NOT NULL,
  FName      TEXT NOT NULL DEFAULT '',
  FSPGroupID INTEGER NOT NULL DEFAULT 0,
  FDeleted   INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_Stock_Number ON t_Stock (FNumber);

-- Stock places (bins, areas) inside the warehouses of their group.
CREATE TABLE IF NOT EXISTS t_StockPlace (
  FSPID      INTEGER PRIMARY KEY,
  FSPGroupID INTEGER NOT NULL,
  FNumber    TEXT COLLATE TEXTKEY NOT NULL,
  FName      TEXT NOT NULL DEFAULT '',
  FDeleted   INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_StockPlace_Number ON t_StockPlace (FNumber);

-- Stock balances: the quantity on hand, in the item's base unit, of one lot:
-- item, warehouse, stock place (0 for none), batch number ('' for items
-- without batches), production date and shelf life (''/0 for items without
-- shelf-life control).
CREATE TABLE IF NOT EXISTS ICInventory (
  FItemID       INTEGER NOT NULL,
  FStockID      INTEGER NOT NULL,
  FStockPlaceID INTEGER NOT NULL DEFAULT 0,
  FBatchNo      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FKFDate       TEXT NOT NULL DEFAULT '',
  FKFPeriod     INTEGER NOT NULL DEFAULT 0,
  FQty          REAL NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_ICInventory_Lot
  ON ICInventory (FItemID, FStockID, FStockPlaceID, FBatchNo, FKFDate, FKFPeriod);

-- Routings: the operations a product goes through. FClassTypeID is the
-- routing's bill class type.
CREATE TABLE IF NOT EXISTS t_Routing (
  FInterID     INTEGER PRIMARY KEY,
  FBillNo      TEXT COLLATE TEXTKEY NOT NULL,
  FRoutingName TEXT NOT NULL DEFAULT '',
  FItemID      INTEGER NOT NULL DEFAULT 0,
  FClassTypeID INTEGER NOT NULL DEFAULT 1001820,
  FCheckerID   INTEGER,
  FCheckDate   TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_Routing_BillNo ON t_Routing (FBillNo);

-- The operations of a routing in the order FOperSN. FOperID is the operation
-- (t_SubMessage, type 61); FNewEntryID identifies the line across all
-- routings; FRidScheme is the line clearance scheme of the operation, 0 for
-- none.
CREATE TABLE IF NOT EXISTS t_RoutingOper (
  FInterID    INTEGER NOT NULL,
  FEntryID    INTEGER NOT NULL,
  FNewEntryID INTEGER NOT NULL,
  FOperSN     INTEGER NOT NULL DEFAULT 0,
  FOperID     INTEGER NOT NULL,
  FRidScheme  INTEGER NOT NULL DEFAULT 0,
  FNote       TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (FInterID, FEntryID)
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_RoutingOper_NewEntry ON t_RoutingOper (FNewEntryID);

-- Production orders (production tasks): the product, its GMP batch number,
-- the planned quantity in the product's base unit, the routing, and what was
-- finished and passed. FStatus 0 planned, 1 released, 2 started, 3 closed;
-- FSuspend 1 while the order is suspended.
CREATE TABLE IF NOT EXISTS ICMO (
  FInterID        INTEGER PRIMARY KEY,
  FBillNo         TEXT COLLATE TEXTKEY NOT NULL,
  FTranType       INTEGER NOT NULL DEFAULT 85,
  FItemID         INTEGER NOT NULL,
  FUnitID         INTEGER NOT NULL DEFAULT 0,
  FQty            REAL NOT NULL DEFAULT 0,
  FGMPBatchNO     TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FRoutingID      INTEGER NOT NULL DEFAULT 0,
  FStatus         INTEGER NOT NULL DEFAULT 0,
  FSuspend        INTEGER NOT NULL DEFAULT 0,
  FQtyFinish      REAL NOT NULL DEFAULT 0,
  FQtyPass        REAL NOT NULL DEFAULT 0,
  FPlanCommitDate TEXT NOT NULL DEFAULT '',
  FPlanFinishDate TEXT NOT NULL DEFAULT '',
  FCheckDate      TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_ICMO_BillNo ON ICMO (FBillNo);
CREATE INDEX IF NOT EXISTS ix_ICMO_BatchNo ON ICMO (FGMPBatchNO);

-- Production BOMs: the material list of one production order. FType is the
-- BOM type (t_SubMessage, type 243); FStatus as the order's.
CREATE TABLE IF NOT EXISTS PPBOM (
  FInterID     INTEGER PRIMARY KEY,
  FBillNo      TEXT COLLATE TEXTKEY NOT NULL,
  FICMOInterID INTEGER NOT NULL,
  FItemID      INTEGER NOT NULL,
  FType        INTEGER NOT NULL DEFAULT 0,
  FStatus      INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_PPBOM_BillNo ON PPBOM (FBillNo);

-- Production BOM lines: a material, its material type (t_SubMessage, type
-- 37), the quantity the order needs (FQtyMust) and the quantity already
-- issued to it from stock (FStockQty), in the line's unit.
CREATE TABLE IF NOT EXISTS PPBOMEntry (
  FInterID      INTEGER NOT NULL,
  FEntryID      INTEGER NOT NULL,
  FItemID       INTEGER NOT NULL,
  FUnitID       INTEGER NOT NULL DEFAULT 0,
  FMaterielType INTEGER NOT NULL DEFAULT 0,
  FBatchNo      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FQtyMust      REAL NOT NULL DEFAULT 0,
  FStockQty     REAL NOT NULL DEFAULT 0,
  PRIMARY KEY (FInterID, FEntryID)
);

-- Work bills: the operation plan of one production order along its routing.
CREATE TABLE IF NOT EXISTS SHWorkBill (
  FInterID     INTEGER PRIMARY KEY,
  FBillNo      TEXT COLLATE TEXTKEY NOT NULL,
  FICMOInterID INTEGER NOT NULL,
  FItemID      INTEGER NOT NULL DEFAULT 0,
  FRoutingID   INTEGER NOT NULL DEFAULT 0,
  FDate        TEXT NOT NULL DEFAULT '',
  FStatus      INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_SHWorkBill_BillNo ON SHWorkBill (FBillNo);

-- Work bill lines, one per operation. FWBInterID identifies the line across
-- all work bills and is what dispatch bills and operation reports refer to.
CREATE TABLE IF NOT EXISTS SHWorkBillEntry (
  FInterID   INTEGER NOT NULL,
  FEntryID   INTEGER NOT NULL,
  FWBInterID INTEGER NOT NULL,
  FWBNo      TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FOperSN    INTEGER NOT NULL DEFAULT 0,
  FOperID    INTEGER NOT NULL DEFAULT 0,
  FQtyPlan   REAL NOT NULL DEFAULT 0,
  FQtyFinish REAL NOT NULL DEFAULT 0,
  FQtyPass   REAL NOT NULL DEFAULT 0,
  PRIMARY KEY (FInterID, FEntryID)
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_SHWorkBillEntry_WBInterID ON SHWorkBillEntry (FWBInterID);

-- Task dispatch bills: the dispatch of one work bill line (FWorkBillInterID,
-- a SHWorkBillEntry.FWBInterID) of a production order to shifts and machines.
CREATE TABLE IF NOT EXISTS ICTaskDispBill (
  FInterID         INTEGER PRIMARY KEY,
  FBillNo          TEXT COLLATE TEXTKEY NOT NULL,
  FICMOInterID     INTEGER NOT NULL,
  FWorkBillInterID INTEGER NOT NULL DEFAULT 0,
  FOperID          INTEGER NOT NULL DEFAULT 0,
  FDate            TEXT NOT NULL DEFAULT '',
  FStatus          INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_ICTaskDispBill_BillNo ON ICTaskDispBill (FBillNo);

-- Task dispatch lines: who runs the operation on which machine and when.
-- FTaskDispInterID identifies the line across all dispatch bills.
CREATE TABLE IF NOT EXISTS ICTaskDispBillEntry (
  FInterID         INTEGER NOT NULL,
  FEntryID         INTEGER NOT NULL,
  FTaskDispInterID INTEGER NOT NULL,
  FShift           TEXT NOT NULL DEFAULT '',
  FWorker          TEXT NOT NULL DEFAULT '',
  FEquipment       TEXT NOT NULL DEFAULT '',
  FQtyPlan         REAL NOT NULL DEFAULT 0,
  FPlanStartDate   TEXT NOT NULL DEFAULT '',
  FPlanEndDate     TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (FInterID, FEntryID)
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_ICTaskDispBillEntry_TaskDisp
  ON ICTaskDispBillEntry (FTaskDispInterID);

-- Stock bills: receipts, issues, transfers and stock-loss bills, told apart
-- by FTranType (1 purchase receipt, 2 product receipt, 24 production issue,
-- 41 transfer, 43 stock loss). FStatus 0 unaudited, 1 audited, 2 closed;
-- FSCStockID/FDCStockID are the issuing and receiving warehouses;
-- FGMPBatchPackID is the batch package instruction a production issue serves,
-- 0 for none.
CREATE TABLE IF NOT EXISTS ICStockBill (
  FInterID        INTEGER PRIMARY KEY,
  FBillNo         TEXT COLLATE TEXTKEY NOT NULL,
  FTranType       INTEGER NOT NULL,
  FDate           TEXT NOT NULL DEFAULT '',
  FStatus         INTEGER NOT NULL DEFAULT 0,
  FSCStockID      INTEGER NOT NULL DEFAULT 0,
  FDCStockID      INTEGER NOT NULL DEFAULT 0,
  FGMPBatchPackID INTEGER NOT NULL DEFAULT 0,
  FBillerID       INTEGER,
  FCheckerID      INTEGER,
  FCheckDate      TEXT NOT NULL DEFAULT '',
  FNote           TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_ICStockBill_BillNo ON ICStockBill (FBillNo);

-- Stock bill lines. FICMOInterID is the production order an issue is for;
-- FSourceTranType/FSourceInterId/FSourceBillNo name the bill the line was
-- made from (a transaction type or a bill class type, 0 for none).
CREATE TABLE IF NOT EXISTS ICStockBillEntry (
  FInterID        INTEGER NOT NULL,
  FEntryID        INTEGER NOT NULL,
  FItemID         INTEGER NOT NULL,
  FUnitID         INTEGER NOT NULL DEFAULT 0,
  FBatchNo        TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FKFDate         TEXT NOT NULL DEFAULT '',
  FKFPeriod       INTEGER NOT NULL DEFAULT 0,
  FQty            REAL NOT NULL DEFAULT 0,
  FSCStockID      INTEGER NOT NULL DEFAULT 0,
  FSCSPID         INTEGER NOT NULL DEFAULT 0,
  FDCStockID      INTEGER NOT NULL DEFAULT 0,
  FDCSPID         INTEGER NOT NULL DEFAULT 0,
  FICMOInterID    INTEGER NOT NULL DEFAULT 0,
  FSourceTranType INTEGER NOT NULL DEFAULT 0,
  FSourceInterId  INTEGER NOT NULL DEFAULT 0,
  FSourceBillNo   TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FNote           TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (FInterID, FEntryID)
);
CREATE INDEX IF NOT EXISTS ix_ICStockBillEntry_Source
  ON ICStockBillEntry (FSourceTranType, FSourceInterId);

-- Transaction types: the head and entry tables of each kind of bill ('' when
-- the bill has no entry table).
CREATE TABLE IF NOT EXISTS ICTransactiontype (
  FID         INTEGER PRIMARY KEY,
  FName       TEXT NOT NULL DEFAULT '',
  FHeadTable  TEXT NOT NULL DEFAULT '',
  FEntryTable TEXT NOT NULL DEFAULT ''
);

-- List templates: the look-up classes offered for source bills. Each names
-- the transaction type (FBillTemplateID, an ICTransactiontype id) whose
-- bills it lists and a condition that listed bills must meet ('' for none).
CREATE TABLE IF NOT EXISTS ICListTemplate (
  FID             INTEGER PRIMARY KEY,
  FName           TEXT NOT NULL DEFAULT '',
  FBillTemplateID INTEGER NOT NULL,
  FFilter         TEXT NOT NULL DEFAULT ''
);

-- Quality inspection bills of the stock modules: incoming and process
-- inspection. FResult 1 passed, 2 failed, 0 not yet decided.
CREATE TABLE IF NOT EXISTS icqcbill (
  FInterID   INTEGER PRIMARY KEY,
  FBillNo    TEXT COLLATE TEXTKEY NOT NULL,
  FDate      TEXT NOT NULL DEFAULT '',
  FItemID    INTEGER NOT NULL DEFAULT 0,
  FBatchNo   TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FQty       REAL NOT NULL DEFAULT 0,
  FResult    INTEGER NOT NULL DEFAULT 0,
  FCheckerID INTEGER
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_icqcbill_BillNo ON icqcbill (FBillNo);

-- Quality inspection bills of sales: inspection of goods before delivery.
CREATE TABLE IF NOT EXISTS icsaleQCBill (
  FInterID   INTEGER PRIMARY KEY,
  FBillNo    TEXT COLLATE TEXTKEY NOT NULL,
  FDate      TEXT NOT NULL DEFAULT '',
  FItemID    INTEGER NOT NULL DEFAULT 0,
  FBatchNo   TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FQty       REAL NOT NULL DEFAULT 0,
  FResult    INTEGER NOT NULL DEFAULT 0,
  FCheckerID INTEGER
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_icsaleQCBill_BillNo ON icsaleQCBill (FBillNo);

-- Quality inspection bills of the quality management module: inspection of
-- intermediates and finished products by batch.
CREATE TABLE IF NOT EXISTS QMQCBill (
  FInterID   INTEGER PRIMARY KEY,
  FBillNo    TEXT COLLATE TEXTKEY NOT NULL,
  FDate      TEXT NOT NULL DEFAULT '',
  FItemID    INTEGER NOT NULL DEFAULT 0,
  FBatchNo   TEXT COLLATE TEXTKEY NOT NULL DEFAULT '',
  FQty       REAL NOT NULL DEFAULT 0,
  FResult    INTEGER NOT NULL DEFAULT 0,
  FCheckerID INTEGER
);
CREATE UNIQUE INDEX IF NOT EXISTS ux_QMQCBill_BillNo ON QMQCBill (FBillNo);

-- System switches by category and key; values are text ('1' on, '0' off for
-- switches). IC/UnderStock: '1' when stock may go negative.
CREATE TABLE IF NOT EXISTS t_SystemProfile (
  FCategory TEXT COLLATE TEXTKEY NOT NULL,
  FKey      TEXT COLLATE TEXTKEY NOT NULL,
  FValue    TEXT NOT NULL DEFAULT '',
  FDesc     TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (FCategory, FKey)
);
