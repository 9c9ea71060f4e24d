-- Bills the browser tests start from, run by `gmpbill serve --seed` at each
-- start (every statement may run again).

-- A saved, planned batch package instruction, and the picking bill the
-- warehouse made against it: once released, it cannot be unreleased.
INSERT OR IGNORE INTO gmpbatchpacket
  (FID, FBillNo, FDate, FBillStatus, FMoBillNO, FBillComeFrom, FItemID, FBatchNo, FQty)
VALUES (100, 'BP-WEB-100', '2024-05-15', 1049, 'SC2405-002', 41, 1003, '240502', 12500);
INSERT OR IGNORE INTO gmpbatchpacketEntry (FID, FEntryID, FItemID, FUnitID, FQty)
VALUES (100, 1, 1007, 31, 12625);
INSERT OR IGNORE INTO ICStockBill
  (FInterID, FBillNo, FTranType, FDate, FStatus, FSCStockID, FGMPBatchPackID, FBillerID, FNote)
VALUES (100, 'LL-WEB-100', 24, '2024-05-16', 0, 52, 100, 16395, '');
INSERT OR IGNORE INTO ICStockBillEntry
  (FInterID, FEntryID, FItemID, FUnitID, FBatchNo, FQty, FSCStockID, FSCSPID, FICMOInterID,
   FSourceTranType, FSourceInterId, FSourceBillNo)
VALUES (100, 1, 1007, 31, 'XH240410', 12625, 52, 522, 2, 1001012, 100, 'BP-WEB-100');

-- A saved operation record scheme two users open at once.
INSERT OR IGNORE INTO GMPOperationProj (FID, FBillNO, FSchemeName) VALUES (200, 'OP-WEB-200', '混合');
INSERT OR IGNORE INTO GMPOperationProjEntry (FID, FEntryID, FIndex, FOperation)
VALUES (200, 1, 1, '称量');
