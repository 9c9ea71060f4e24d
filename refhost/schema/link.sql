-- The reference host's link templates: how bills take values from the bills
-- they are made from, for the class-link, data-info and bill components.
-- Every statement may run again on an existing database.
--
-- A source class type names where its records are: a t_BillClass row (head
-- keyed by FID, lines by FID and FEntryID) or, failing that, an
-- ICTransactiontype row (head keyed by FInterID, lines by FInterID and
-- FEntryID).

-- Which target field receives which source column. FDestClassTypeID is the
-- class type of the bill being filled or, for a stock bill the bill component
-- builds, its transaction type (41 transfer, 43 stock loss); FDestKey is then
-- a column of ICStockBill or ICStockBillEntry. FSrcField is a column of the
-- source: "h.X" its head's X, "e.X" its lines' X, a plain X the lines' when
-- they have such a column, else the head's.
CREATE TABLE IF NOT EXISTS t_ClassLink (
  FSrcClassTypeID  INTEGER NOT NULL,
  FDestClassTypeID INTEGER NOT NULL,
  FDestKey         TEXT COLLATE TEXTKEY NOT NULL,
  FSrcField        TEXT NOT NULL,
  PRIMARY KEY (FSrcClassTypeID, FDestClassTypeID, FDestKey)
);

-- The source class of a look-up field: a bill of class FDestClassTypeID
-- whose field FLookupKey names a source bill is filled from that bill by the
-- t_ClassLink rows of (FSrcClassTypeID, FDestClassTypeID).
CREATE TABLE IF NOT EXISTS t_ClassLinkLookup (
  FDestClassTypeID INTEGER NOT NULL,
  FLookupKey       TEXT COLLATE TEXTKEY NOT NULL,
  FSrcClassTypeID  INTEGER NOT NULL,
  PRIMARY KEY (FDestClassTypeID, FLookupKey)
);

-- The bills the bill component builds from a selected bill: per bill
-- template and linking field, the class type of the selected bill.
CREATE TABLE IF NOT EXISTS t_BillBuildSource (
  FBillTemplateID TEXT COLLATE TEXTKEY NOT NULL,
  FFieldName      TEXT COLLATE TEXTKEY NOT NULL,
  FSrcClassTypeID INTEGER NOT NULL,
  PRIMARY KEY (FBillTemplateID, FFieldName)
);
