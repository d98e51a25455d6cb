// The Start tab's scan buttons over the folder of edKuruczPath (the FITS tab's scan object is
// theirs too), the warning-box switch and the debug switches, the level list of the shown map
// (also the Graf tab's "v") and the Texts tab's LineMetrix bench.
#include <cmath>

#include "app/cvEd.h"
#include "app/qt/QtJobRunner.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabStart.h"
#include "platform/FileErr.h"
#include "platform/Memo.h"
#include "scans/cvBisec.h"
#include "scans/cvCalcHH.h"
#include "scans/cvFIOut.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMetrixBench.h"
#include "scans/cvMapView.h"
#include "scans/cvPixelH0.h"
#include "scans/cvR4Pict.h"

namespace {

std::string Trim(const std::string& S) {
  const size_t b = S.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  const size_t e = S.find_last_not_of(" \t\r\n");
  return S.substr(b, e - b + 1);
}

void ToEditor(const std::string& Title, const TStringList& L) {
  if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &L);
}

}  // namespace

bool TTabStart::ChkStartFolder() {
  const std::string f = Trim(edKuruczPath->Text());
  if (!f.empty() && platform::IsDirectory(f)) return true;
  WARNAbs("Папка <"_cp + f + "> не найдена!"_cp);
  return false;
}

bool TTabStart::GetLineIdx(int32_t (&Idx)[6]) {
  platform::TEdit* e[6] = {edIdx6301b, edIdx6301r, edIdx6302b, edIdx6302r, edIdx6301_2b,
                           edIdx6301_2r};
  for (int i = 0; i < 6; ++i) {
    int32_t code = 0;
    const std::string t = Trim(e[i]->Text());
    Idx[i] = ValIntCode(t, code);
    if (code != 0 || t.empty() || Idx[i] < 1 || Idx[i] > 112) {
      WARNAbs("Ошибка в числе!"_cp);
      e[i]->setFocus();
      return false;
    }
  }
  return true;
}

void TTabStart::RegisterFITSHandlers(platform::THandlerRegistry& H) {
  auto fits = [this]() -> TTabFITS& { return Shell.FITSTab(); };
  // The scan linked to the folder of edKuruczPath.
  auto link = [this, fits]() -> TLFITS* {
    TTabFITS& f = fits();
    std::string folder = Trim(edKuruczPath->Text());
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    f.LinkSessionFolder(folder);
    return f.CurLFITS.get();
  };
  auto debug = [this, fits]() {
    if (TLFITS* s = fits().CurLFITS.get()) s->LineCenterDebug = cbLineCenterDebug->Checked();
  };

  H.Add("btFITSHeaderClick", [this, fits](TSender) {
    int32_t ix = 0, iy = 0;
    if (!ChkStartFolder() || !fits().GetFITSiXiY(ix, iy)) return;
    TLFITS* s = fits().CurLFITS.get();
    if (!s) {
      WARNAbs("LFITS Not Assigned!");
      return;
    }
    if (auto h = s->GetXHeader(ix)) ToEditor("FITS Header", *h);
  });
  H.Add("btFITS_HeadersClick", [this, fits, link, debug](TSender) {
    int32_t idx[6];
    if (!ChkStartFolder() || !GetLineIdx(idx) || Jobs.Busy()) return;
    TLFITS* s = link();
    debug();
    Jobs.Start(
        std::make_shared<TJob>("LoadHeaders"), [s](TJob& J) { s->LoadHeaders(J); },
        [fits, s](TJob&) {
          if (s == fits().CurLFITS.get()) fits().ShowScanInfo();
        });
  });
  H.Add("btCalcHHClick", [this, fits, link](TSender) {
    TTabFITS& f = fits();
    int32_t ix = 0, iy = 0;
    if (!f.GetFITSiXiY(ix, iy)) return;
    double v[4];
    platform::TEdit* e[4] = {f.edd6302, f.edd6301, f.edKV, f.edKRC};
    for (int i = 0; i < 4; ++i) {
      int32_t code = 0;
      v[i] = ValRealCode(Trim(e[i]->Text()), code);
      if (code != 0) return;
    }
    if (!ChkStartFolder() || Jobs.Busy()) return;
    TLFITS* s = link();
    s->Light = f.cbLFITS_QLight->Checked();
    auto out = std::make_shared<TH0Values>();
    auto ok = std::make_shared<bool>(false);
    const double d6302 = v[0], d6301 = v[1], kv = v[2], krc = v[3];
    Jobs.Start(
        std::make_shared<TJob>("Calc HH"),
        [s, ix, iy, d6301, d6302, kv, krc, out, ok](TJob& J) {
          *ok = s->CalcH0(J, ix, iy, d6301, d6302, kv, krc, *out);
        },
        [fits, out, ok](TJob&) {
          if (!*ok) return;
          const std::string l = CalcHHLine(*out);
          std::vector<std::string> m = fits().memoHH->Lines();
          m.push_back(l);
          fits().memoHH->SetLines(m);
        });
  });
  H.Add("btBigCalc2Click", [this, fits](TSender) {
    TTabFITS& f = fits();
    TLFITS* s = f.CurLFITS.get();
    if (s && !s->Path_Name.empty()) edKuruczPath->SetText(s->Path_Name);
    if (!ChkStartFolder() || Jobs.Busy()) return;
    if (!s || s->Count() == 0) {
      WARNAbs("Список LFITS не заполнен!"_cp);
      return;
    }
    StartMapJob(Jobs, std::make_shared<TJob>("BigCalc2"), [s](TJob& J) { s->BigCalc2(J); },
               [fits, s](TJob&) {
                 if (s == fits().CurLFITS.get()) fits().ShowScanInfo();
               });
  });
  H.Add("btLFITSMemClick", [fits](TSender) {
    auto l = MapSlotsReport(fits().CurLFITS.get());
    if (l && l->Count() > 0) ToEditor("LFITS Memory ", *l);
  });
  H.Add("btLFITSFreeClick", [this, fits](TSender) {
    if (Jobs.Busy()) return;
    TTabFITS& f = fits();
    if (!f.CurLFITS) return;
    f.CurLFITS->Clear();
    f.CurLFITS.reset();
  });
  // Checked: warnings shown in boxes again; unchecked: only into the log file.
  H.Add("cbWarnAbsClick", [this](TSender) {
    if (!Sayer) return;
    if (cbWarnAbs->Checked()) {
      Sayer->BoxesOn();
    } else {
      Sayer->BoxesOff();
      Sayer->qLog = true;
      Sayer->UpdateActive();
    }
  });
  H.Add("cbLineCenterDebugClick", [debug](TSender) { debug(); });
  // The obsolete "Slit Vals": the scan's report lines go to memoHH from now on.
  H.Add("btFITSCol2Click", [fits](TSender) {
    int32_t ix = 0, iy = 0;
    if (!fits().CurLFITS || !fits().GetFITSiXiY(ix, iy)) return;
  });

  // The level list of the map the map window shows.
  auto levels = [](TSender) {
    TLFIOut* reg = LFIOOrNull();
    TFIOut* m = reg ? reg->FindByKey(GetLFOPCur()) : nullptr;
    if (!FIOutAssigned(m) || !m->Pict) {
      WARNAbs("Карта не задана!"_cp);
      return;
    }
    TStringList l;
    const TAR4& lv = m->Pict->Levels;
    for (size_t i = 0; i < lv.size(); ++i) {
      std::string n = IntStr(static_cast<int32_t>(i));
      while (n.size() < 3) n = " " + n;
      l.Add(n + " " + ShortSt(6, lv[i]));
    }
    ToEditor("aLvl", l);
  };
  H.Add("btGetScaleClick", levels);
  H.Add("btHistScaleClick", levels);

  // LineMetrix bench on the editor's points.
  H.Add("btTestTClick", [this](TSender) {
    platform::TMemo* memo = Shell.EdTab().MemoEd;
    TMetrixInput in = ReadMetrixLines(memo->Lines());
    const int32_t m = static_cast<int32_t>(in.X.size()) - 1;
    int32_t a = 1, b = 0;
    MetrixRange(in, a, b);
    TARe& X = in.X;
    TARe& Y = in.Y;
    const double cont = in.Cont;
    double xmin = 0, ymin = 0;
    TBand9 bis{}, wid{}, xl{}, xr{};
    int32_t next = 0;
    if (m >= 1) CalcBisec9(a, b, X, Y, cont, xmin, ymin, bis, wid, xl, xr, next);
    std::vector<std::string> out = memo->Lines();
    out.push_back("=================");
    out.push_back("I=" + ShortSt(6, xmin) + " R=" + ShortSt(6, cont != 0 ? ymin / cont : 0));
    out.push_back("=================");
    for (int k = 1; k <= 9; ++k)
      out.push_back(IntStr(k) + " " + ShortSt(10, bis[static_cast<size_t>(k)]) + " " +
                    ShortSt(6, wid[static_cast<size_t>(k)]));
    memo->SetLines(out);
  });
}
