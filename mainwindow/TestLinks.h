// The links between the FITS tab and the Test tab, and the Texts tab's call into the Test tab.
// Each side installs what it provides (the Test tab in its constructor, the FITS tab in its own); without a provider the links stay silent and
// give their neutral answers (no scan, no pixel, empty texts), and the caller says what is
// missing with its own message.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/cvLink.h"
#include "foundation/cvStrList.h"

class TCurI;
class TLFITS;
class TFIOut;

namespace testlinks {

struct THooks {
  // ---- provided by the Test tab ----
  // edFITiX, edFITiY := Text (the FITS tab's pixel clicks and "=>" buttons).
  TLink<void(const std::string& Text)> SetFITiX{"TabTest.edFITiX", TLinkLoudness::Silent};
  TLink<void(const std::string& Text)> SetFITiY{"TabTest.edFITiY", TLinkLoudness::Silent};
  // The profile plot's pixel: edICont6301 := Cont (9 significant digits), lb_iX, lb_iY.
  TLink<void(double Cont, int32_t iX, int32_t iY)> SetProfilePixel{"TabTest.lb_iX",
                                                                   TLinkLoudness::Silent};
  // The hand-over to CurI: the form's line (edILam6301) and the fit options with memoGSparam
  // bound as its report list.
  TLink<void(TCurI& CurI)> CurILineFromForm{"TCorvesta.CurILineFromForm"};
  TLink<void(TCurI& CurI)> GaussParamsToCurI{"TCorvesta.GaussParamsToCurI"};
  // The Test tab's full refit of the loaded profile ("Ajst") and the drawing of both lines.
  TLink<void()> FitCurIProfile{"TCorvesta.FitCurIProfile"};
  TLink<void()> DrawGaussFits{"TCorvesta.DrawGaussFits"};
  // The Texts tab's "ACE": the regression of the editor's table (its own fields edACE_N, cbACEx,
  // cbACEi are read by the provider).
  TLink<void()> AceOnEdTable{"TCorvesta.AceOnEdTable"};

  // ---- provided by the FITS tab ----
  // The loaded scan CurLFITS (nullptr: none).
  TLink<TLFITS*()> CurLFITS{"CurLFITS", TLinkLoudness::Silent};
  // GetProfileSel: the pixel of edFITSiX, edFITSiY with the Stokes field checked (false with its
  // message).
  TLink<bool(int32_t& iX, int32_t& iY)> GetProfileSel{"TCorvesta.GetProfileSel"};
  // edFITSiX, edFITSiY := Text.
  TLink<void(const std::string& Text)> SetFITSiX{"TabFITS.edFITSiX", TLinkLoudness::Silent};
  TLink<void(const std::string& Text)> SetFITSiY{"TabFITS.edFITSiY", TLinkLoudness::Silent};
  // cb_FITS3 := "I±V" and the "<=" profile plot (btFIT2EdNormClick).
  TLink<void()> PlotIpmV{"TCorvesta.btFIT2EdNormClick"};
  // The date-time text of the selected session row (empty, with its message, when none).
  TLink<std::string()> CurSessionName{"TCorvesta.CurSessionName"};
  // The scan folder of the selected session (empty: none) and the scan linked to it with the
  // FITS tab's options (LinkLFITS).
  TLink<std::string()> CurSessionFolder{"TCorvesta.CurSessionFolder"};
  TLink<TLFITS*(const std::string& Folder)> LinkLFITS{"TCorvesta.LinkLFITS"};
  // "Ld": the scan of the selected session loaded (false when not).
  TLink<bool()> LoadLFITS{"TCorvesta.LoadLFITS"};
  // The scan's options from the FITS tab when not yet set.
  TLink<void(TLFITS& Scan)> LFITS_SetOptions{"TCorvesta.LFITS_SetOptions",
                                             TLinkLoudness::Silent};
  // The current filter's text (edFOFiltCur) and the filter profiles (ProfLFITS; nullptr: none).
  TLink<std::string()> FOFiltCur{"TabFITS.edFOFiltCur", TLinkLoudness::Silent};
  TLink<TLFITS*()> ProfLFITS{"ProfLFITS", TLinkLoudness::Silent};
  // The lines of memoFIOut ("Plus Map"): the repeat count, then one refit code a line.
  TLink<TStringList()> FIOutMemo{"TabFITS.memoFIOut", TLinkLoudness::Silent};
  // The current map of the map list (nullptr: none).
  TLink<TFIOut*()> CurFIOut{"TCorvesta.CurFIOut", TLinkLoudness::Silent};
  // The scan's labels refreshed after a run.
  TLink<void(TLFITS& Scan)> ShowScanInfo{"TLFITS.ShowScanInfo", TLinkLoudness::Silent};
};
THooks& Hooks();

// Every link back to its stand-in (tests).
void ResetAll();

}  // namespace testlinks
