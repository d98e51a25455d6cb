// The scan summary of the FITS tab as a view record (control name to text, the up-down maxima,
// the rows of the slit-file grid) that the tab shows, and the velocity-compensation cards the
// summary records in the main header of the scan's own output file.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TLFITS;

struct TScanInfoView {
  // Control name and text, in the order written; "gbLFITS" is the group box's caption.
  std::vector<std::pair<std::string, std::string>> Labels;
  int32_t MaxIX = 1, MaxIY = 1;  // udFITSiX, udFITSiY
  // ngFITS: one row per slit file, GxFITS_ix (IXI) and GxFITS_ixp (IXP).
  std::vector<std::pair<int32_t, int32_t>> Rows;
  // The cards went into the own output file (false when nothing changed or it was refused).
  bool CardsWritten = false;

  // The text of a control; empty when it is not in the record.
  std::string Label(const std::string& Control) const;
};

// The empty display (no scan).
TScanInfoView ShowNoScan();
// The display of the scan (a null scan: ShowNoScan), and the cards dVCmi, dVCma, tVCmi, tVCma put
// into the own output file's main header as read back when the DOP_RCV extremes differ, that
// header holds more than 2 cards and the file exists. The file is written only when a card
// changed, and never in place: a copy gets the header and is renamed over the file; cards that
// need more 2880-byte blocks than the file's main header has are refused with a message.
TScanInfoView ShowScanInfo(const TLFITS* Scan);

class TStringList;
// The main header of a map file replaced by Cards (through END): written into a copy renamed over
// the file, and refused (false, the file untouched, a message naming Who and What) when the cards
// need more room than the file keeps for its main header (the blocks before its first extension).
bool RewriteMainHeader(const std::string& Path, const TStringList& Cards, const std::string& Who,
                       const std::string& What);
