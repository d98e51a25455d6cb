// The FITS tab's map list (ngFIO) over the registry, the map display settings and the map window,
// the map operations (load, write, erase, labels), the map expressions of the "Plus Map" group
// and the calculation stages with the RUN queue. The computing runs in scans/ (cvFOOps,
// cvFITSRuns) as jobs; the handlers read fields, start them and show what they left.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <set>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "app/qt/QtJobRunner.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "grid/qt/cvGxForm.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/FormCells.h"
#include "mainwindow/TabFITS.h"
#include "mainwindow/TabTest.h"
#include "scans/cvCurI.h"
#include "mainwindow/TestLinks.h"
#include "platform/Clipboard.h"
#include "platform/FileErr.h"
#include "platform/Memo.h"
#include "platform/qt/QtCanvas.h"
#include "scans/cvFIOut.h"
#include "scans/cvFITSRuns.h"
#include "scans/cvFOOps.h"
#include "scans/cvLFIOut.h"
#include "scans/cvLFITS.h"
#include "scans/cvMapView.h"
#include "scans/cvR4Pict.h"
#include "scans/cvScanServices.h"
#include "scans/cvSessions.h"

namespace {

std::string Trim(const std::string& S) {
  const size_t b = S.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  const size_t e = S.find_last_not_of(" \t\r\n");
  return S.substr(b, e - b + 1);
}

int32_t GCol(TCvGrid* G, const char* Name) {
  TGxCustomColumn* c = G->ColumnByName(Name);
  return c ? c->Index() : -1;
}

std::vector<std::string> Words(const std::string& S) {
  std::vector<std::string> w;
  std::string cur;
  for (char c : S) {
    if (c == ' ' || c == '\t') {
      if (!cur.empty()) w.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) w.push_back(cur);
  return w;
}

void ShowInEditor(const std::string& Title, const TStringList& L) {
  if (EdAssigned(Ed)) Ed->EdLoadSL(Title, &L);
}

// The display modes of a map's picture (fraction mode, equal population), by display name.
struct TPictModes {
  bool Frac = true, EqPop = false;
};
std::map<std::string, TPictModes>& PictModes() {
  static std::map<std::string, TPictModes> m;
  return m;
}

// The tab's side of the maps: its controls by name, the map window caption and range.
class TTabMapCtls : public TFITSMapCtls {
 public:
  explicit TTabMapCtls(TTabFITS& T) : t_(T) {}
  std::string Get(const std::string& Name) override {
    QObject* c = Control(Name);
    if (auto* e = dynamic_cast<platform::TEdit*>(c)) return e->Text();
    if (auto* l = dynamic_cast<platform::TLabel*>(c)) return l->Caption();
    if (auto* b = dynamic_cast<platform::TComboBox*>(c)) return b->Text();
    return TFITSMapCtls::Get(Name);
  }
  void Set(const std::string& Name, const std::string& Value) override {
    if (Name == "gbFIOut.Caption") {
      t_.gbFIOut->SetCaption(Value);
      return;
    }
    QObject* c = Control(Name);
    if (auto* e = dynamic_cast<platform::TEdit*>(c)) return e->SetText(Value);
    if (auto* l = dynamic_cast<platform::TLabel*>(c)) return l->SetCaption(Value);
    if (auto* b = dynamic_cast<platform::TComboBox*>(c)) return b->SetText(Value);
    TFITSMapCtls::Set(Name, Value);
  }
  void ShowFIOutInMap(TFIOut& Map) override { t_.ShowFIOutInMap(Map); }
  void ShowFIOutRange(TFIOut& Map) override { t_.ShowFIOutRange(Map); }

 private:
  QObject* Control(const std::string& Name) {
    return Corvesta ? Corvesta->Control(Name) : nullptr;
  }
  TTabFITS& t_;
};

// The source character of the current map, read by the map runs on a job's thread.
std::atomic<char> gCurSrc{' '};

// /proc/meminfo in bytes: total and free memory, total and free swap.
void MemInfo(int64_t& Total, int64_t& Free, int64_t& VTotal, int64_t& VFree) {
  Total = Free = VTotal = VFree = 0;
  std::ifstream f("/proc/meminfo");
  std::string key;
  int64_t kb = 0;
  std::string unit;
  while (f >> key >> kb) {
    std::getline(f, unit);
    if (key == "MemTotal:") Total = kb * 1024;
    if (key == "MemAvailable:") Free = kb * 1024;
    if (key == "SwapTotal:") VTotal = kb * 1024;
    if (key == "SwapFree:") VFree = kb * 1024;
  }
}

}  // namespace

bool StartMapJob(TQtJobRunner& Jobs, std::shared_ptr<TJob> Job, std::function<void(TJob&)> Work,
                 std::function<void(TJob&)> Done) {
  auto local = std::make_shared<TLFIOut>();
  local->Base = &LFIOReg();
  return Jobs.Start(
      std::move(Job),
      [local, Work](TJob& J) {
        TJobLFIOScope scope(*local);
        Work(J);
      },
      [local, Done](TJob& J) {
        if (!J.Cancelled()) LFIOReg().Adopt(*local);
        local->ClearAll();
        if (Done) Done(J);
      });
}

void TTabFITS::InitMaps() {
  MapCtls = std::make_unique<TTabMapCtls>(*this);
  SetFITSMapCtls(MapCtls.get());
  foops::InstallCalcFO();
  Scans().CurSrcChar.Install([]() -> char { return gCurSrc.load(); });
}

void TTabFITS::DoneMaps() {
  SetFITSMapCtls(nullptr);
  Scans().CalcFO.Reset();
  Scans().CurSrcChar.Reset();
}

void TTabFITS::RegisterMapHandlers(platform::THandlerRegistry& H) {
  auto guard = [this](std::function<void(TSender)> F) {
    return [this, F](TSender E) {
      if (Jobs.Busy()) {
        Jobs.SayBusy();
        return;
      }
      F(E);
    };
  };
#define MAP_HANDLER(N, ...) \
  H.Add(#N, guard([this](TSender E) { (void)E; (void)this; __VA_ARGS__; }))
  MAP_HANDLER(btMapClick, btMapClick(E));
  MAP_HANDLER(edLFIO_UpDateClick, FillFIO());
  MAP_HANDLER(btLFIO_UpDateClick, FillFIO());
  MAP_HANDLER(pm_LFIORefreshClick, FillFIO());
  MAP_HANDLER(pm_LFIOClearClick, {
    LFIOReg().ClearAll();
    FillFIO();
  });

  // ---- loading a session's maps ("Load LFIO"): a job; the maps enter the registry at its end
  MAP_HANDLER(btLoadAllClick, {
    const std::string s = CurSessionName();
    if (s.size() < 15) return;
    Scans().DataRoot.Install([r = sessions::Join(Root(), "")] { return r; });
    std::string da, ti;
    sessions::SplitDaTi(s, da, ti);
    const int32_t kind = YMColKind();
    TFIOut* cur = CurFIOut();
    const std::string curName = cur ? cur->Name : std::string();
    auto vars = std::make_shared<TStringList>();
    for (const std::string& v : foops::FIOVarList(LFIOReg())) vars->Add(v);
    auto ok = std::make_shared<bool>(false);
    StartMapJob(
        Jobs, std::make_shared<TJob>("Load LFIO " + s),
        [da, ti, kind, vars, ok](TJob& J) {
          *ok = LFIOReg().Load(kind, '0', da, ti, vars.get(), true, &J);
        },
        [this, da, ti, curName, ok](TJob& J) {
          if (!*ok && !J.Cancelled())
            WARNAbs("btLoadAllClick Карта "_cp + da + "_" + ti + " " + curName +
                    " не загружена!"_cp);
          FillFIO();
          pcFITSMaps->setCurrentWidget(tsLFIO);
          if (!curName.empty())
            if (TFIOut* m = LFIOReg().GetFIOutDT(da, ti, curName)) {
              for (int r = 0; r < ngFIO->RowCount(); ++r)
                if (FIOutOfRow(r) == m) FIOSelectRow(r);
            }
        });
  });
  MAP_HANDLER(btLoadRefinedClick, {
    TLFIOut* reg = LFIOOrNull();
    if (!reg) {
      WARNAbs("Ещё не было первоначальной загрузки!"_cp);
      return;
    }
    std::vector<std::string> vl = foops::FIOVarList(*reg);
    std::sort(vl.begin(), vl.end());
    const std::string s = CurSessionName();
    if (s.size() < 15) return;
    std::string da, ti;
    sessions::SplitDaTi(s, da, ti);
    if (FIORow >= ngFIO->RowCount()) FIORow = 0;
    TFIOut* cur = CurFIOut();
    if (!cur) {
      WARNAbs("Строки в таблице карт (LFIO) - не найдены!"_cp);
      return;
    }
    TStringList w;
    for (const std::string& v : vl) w.Add(v);
    if (!reg->Load(YMColKind(), '0', da, ti, &w, false))
      WARNAbs("btLoadRefinedClick Карта "_cp + da + "_" + ti + " " + cur->Name +
              " не загружена!"_cp);
    FillFIO();
    if (YMRow + 1 < ngFITS_YM->RowCount()) {
      ngFITS_YM->SelectCell(YMCol, YMRow + 1, 0);
      YMRow = YMRow + 1;
    }
    ngFITS_YM->setFocus();
  });
  MAP_HANDLER(btRefineClick, {
    TLFIOut& reg = LFIOReg();
    for (int32_t i = reg.Count() - 1; i >= 0; --i)
      if (TFIOut* m = reg.Item(i); FIOutAssigned(m) && m->sVar.empty()) reg.Remove(m);
    FillFIO();
  });

  // ---- cells
  MAP_HANDLER(ngFIOCellClick, {
    FIOCol = E.Col;
    FIORow = E.Row;
    const int32_t nc = GCol(ngFIO, "GxFIO_Name");
    if (cbAutoFill->Checked() && E.Col == nc && E.Row >= 0 && E.Row < ngFIO->RowCount()) {
      const std::string n = ngFIO->CellAt(nc, E.Row)->GetAsText();
      if (n != LastAutoFillName) InsertAutoFill(n);
      LastAutoFillName = n;
    }
    ngFIO->update();
    LastClickGrid = "ngFIO";
    TLFIOut& reg = LFIOReg();
    reg.ReFineList();
    gCurSrc = ' ';
    if (TFIOut* m = CurFIOut()) {
      gCurSrc = m->DaNum ? m->DaNum : ' ';
      CurFIOKey = m->DTKey();
      CurFIOName = m->Name;
      gbLFIO->SetCaption("LFIO " + m->Name + " " + IntStr(reg.IndexOfFO(m)) + "/" +
                         IntStr(reg.Count()));
      m->InfoToPanel();
      FOSession = m->DTKey();
      if (cbAutoSes->Checked()) {
        cbFITS_YM->SetText(m->YearMonth());
        cbFITS_YMChange({});
      }
    }
    ShowMemoryLabels();
  });
  MAP_HANDLER(ngFIOSelectCell, {
    if (SelectingFIO) return;
    SelectingFIO = true;
    const auto* h = Shell.Handlers.Find("ngFIOCellClick");
    if (h) (*h)(E);
    if (cbMap->Checked()) {
      platform::TFormEventArgs e = E;
      e.Sender = ngFIO;
      btMapClick(e);
    }
    SelectingFIO = false;
  });
  MAP_HANDLER(ngFIOCellDblClick, {
    const int32_t dc = GCol(ngFIO, "GxFIO_Map");
    if (E.Col != dc || E.Row < 0 || E.Row >= ngFIO->RowCount()) return;
    TCell* cell = ngFIO->CellAt(dc, E.Row);
    bool on = !cell->GetAsBoolean();
    if (TFIOut* m = FIOutOfRow(E.Row)) {
      if (on) {
        m->LoadData(m->FileName(), m->nbData0);
        if (m->kLoad < 2) on = false;
      } else {
        m->Reset();
      }
      m->SetCursorXY();
      m->InfoToPanel();
    }
    cell->SetAsBoolean(on);
  });
  MAP_HANDLER(ngFIOKeyDown, {
    const int32_t nc = GCol(ngFIO, "GxFIO_Name");
    if (E.Ctrl && (E.Key == 'C' || E.Key == 'c')) {
      if (FIORow >= 0 && FIORow < ngFIO->RowCount() && FIOCol >= 0)
        platform::SetClipboardText(ngFIO->CellAt(FIOCol, FIORow)->GetAsText());
      return;
    }
    if (FIOCol != nc || FIORow < 0 || FIORow >= ngFIO->RowCount()) return;
    if (E.Key == 0x20) {
      // a variable for the maps of the current name
      TFIOut* cur = CurFIOut();
      if (!cur || !cur->sVar.empty()) return;
      const int32_t vc = GCol(ngFIO, "GxFIO_Var"), sc = GCol(ngFIO, "GxFIO_DaNum");
      std::vector<std::string> used;
      for (int r = 0; r < ngFIO->RowCount(); ++r) used.push_back(ngFIO->CellAt(vc, r)->GetAsText());
      const char letter = foops::FreeVarLetter(used);
      if (!letter) return;
      for (int r = 0; r < ngFIO->RowCount(); ++r)
        if (TFIOut* m = FIOutOfRow(r); m && m->Name == cur->Name) {
          const std::string sc1 = ngFIO->CellAt(sc, r)->GetAsText();
          m->sVar = std::string(1, letter) + (sc1.empty() ? std::string("\xDF") : sc1.substr(0, 1));
          ngFIO->CellAt(vc, r)->SetAsText(m->sVar);
        }
      if (FIORow + 1 < ngFIO->RowCount()) FIOSelectRow(FIORow + 1);
      return;
    }
    if (E.Key == 0x2E) {  // Delete
      if (TFIOut* m = CurFIOut()) LFIOReg().Remove(m);
      FillFIO();
      return;
    }
    static const std::set<int> quiet = {0x21, 0x22, 0x25, 0x26, 0x27, 0x28, 0x10, 0x11, 0x12};
    if ((E.Key >= '0' && E.Key <= '9') || (E.Key >= 'A' && E.Key <= 'Z')) {
      WARNAbs("Нажат символ <"_cp + std::string(1, static_cast<char>(E.Key)) + ">");
    } else if (!quiet.count(E.Key)) {
      static const char* hex = "0123456789ABCDEF";
      std::string k;
      for (int s = 12; s >= 0; s -= 4) k += hex[(E.Key >> s) & 15];
      WARNAbs("Нажата клавиша <"_cp + k + ">");
    }
  });
  MAP_HANDLER(ngFIOMouseDown, {
    if (E.Button == platform::TMouseButton::Right) {
      pm_LFIO->popup(QCursor::pos() + QPoint(5, 5));
    } else if (ngFIO->RowCount() == 0) {
      TFIOut none;
      none.kRun = 0;
      none.InfoToPanel();
    }
  });
  H.Add("ngFIOMouseMove", [this](TSender E) {
    if (Jobs.Busy()) return;
    const int row = ngFIO->RowAtY(E.Y);
    TFIOut* m = FIOutOfRow(row);
    if (!m) {
      lbFO->SetCaption("Cell[X=" + IntStr(E.X) + " Y=" + IntStr(row) + "]");
      return;
    }
    if (m->DisplayName() == HintFIOutName) return;
    HintFIOutName = m->DisplayName();
    lbFO->SetCaption(m->Com);
    ngFIO->setToolTip(platform::QtStr(m->Com));
  });
  H.Add("ngFIOExit", [this](TSender) { ngFITS_YM->update(); });
  H.Add("ngFIODrawCellBackground", [this](TSender E) {
    formcells::ngColorize0(ngFIO, 40, E.DefaultDrawing, formcells::CellRect(E), E.Row, E.Col,
                           FIORow, FIOCol);
  });
  H.Add("ngFITS_YMDrawCellBackground", [this](TSender E) {
    formcells::ngColorize0(ngFITS_YM, 40, E.DefaultDrawing, formcells::CellRect(E), E.Row, E.Col,
                           YMRow, YMCol);
  });
  MAP_HANDLER(ngFIOVerticalScroll, {
    if (E.Sender) FIOScrollPos = E.Position;
  });

  // ---- display settings
  MAP_HANDLER(cbMapScaleChange, btMapClick(E));
  MAP_HANDLER(cbHistScaleChange, {
    int32_t code = 0;
    const std::string t = Trim(cbHistScale->Text());
    const double x = ValRealCode(t, code);
    if (code != 0 || t.empty()) {
      WARNAbs("Ошибка в числе <"_cp + cbHistScale->Text() + ">");
      return;
    }
    cbHistMiMa->SetText(FSt(1, 4, x) + " " + FSt(1, 4, 1 - x));
    cbMapVal->SetChecked(false);
    platform::TFormEventArgs e = E;
    e.Sender = cbHistScale;
    btMapClick(e);
  });
  MAP_HANDLER(cbMapMiMaChange, {
    if (!cbMapMiMa->hasFocus()) return;
    MapRedrawPending = true;
    cbMapVal->SetChecked(true);
  });
  MAP_HANDLER(cbHistMiMaChange, {
    if (!cbHistMiMa->hasFocus()) return;
    MapRedrawPending = true;
    cbMapVal->SetChecked(false);
  });
  MAP_HANDLER(cbMapValClick, {
    if (!cbMapVal->hasFocus()) return;
    platform::TFormEventArgs e = E;
    e.Sender = cbMapVal;
    btMapClick(e);
  });
  MAP_HANDLER(cbMapHistClick, {
    if (!cbMapHist->hasFocus()) return;
    platform::TFormEventArgs e = E;
    e.Sender = cbMapHist;
    btMapClick(e);
  });
  auto exitRedraw = [this](TSender E) {
    if (!MapRedrawPending) return;
    MapRedrawPending = false;
    platform::TFormEventArgs e = E;
    e.Sender = cbMapMiMa;
    btMapClick(e);
  };
  H.Add("cbMapMiMaExit", guard(exitRedraw));
  H.Add("cbHistMiMaExit", guard(exitRedraw));
  H.Add("edPictValExit", guard(exitRedraw));
  MAP_HANDLER(btInvMapClick, {
    platform::TComboBox* b = cbMapVal->Checked() ? cbMapMiMa : cbHistMiMa;
    const std::vector<std::string> w = Words(Trim(b->Text()));
    if (w.size() >= 2) b->SetText(w[1] + " " + w[0]);
    platform::TFormEventArgs e = E;
    e.Sender = btInvMap;
    btMapClick(e);
  });
  auto arrow = [this](platform::TLabel* L, bool TrimIt) {
    std::string t = L->Caption();
    if (t.size() < 2) return;
    t = t.substr(1, t.size() - 2);
    const size_t c = t.find(',');
    std::string x = t.substr(0, c), y = c == std::string::npos ? "" : t.substr(c + 1);
    if (TrimIt) {
      x = Trim(x);
      y = Trim(y);
    }
    edFITSiX->SetText(x);
    edFITSiY->SetText(y);
    TestLinks.SetField("edFITiX", x);
    TestLinks.SetField("edFITiY", y);
  };
  H.Add("btFIOmiIdxClick", [this, arrow](TSender) { arrow(lbFIOmiIdx, true); });
  H.Add("btFIOmaIdxClick", [this, arrow](TSender) { arrow(lbFIOmaIdx, false); });
  H.Add("btFIOmiAvClick", [this, arrow](TSender) { arrow(lbFIOmiAvIdx, true); });
  H.Add("btFIOmaAvClick", [this, arrow](TSender) { arrow(lbFIOmaAvIdx, false); });
  H.Add("lbFIOvalClick", [this](TSender) { platform::SetClipboardText(lbFIOval->Caption()); });

  // ---- map operations
  MAP_HANDLER(btRepMemClick, {
    TFIOut* m = CurFIOut();
    if (!m) return;
    if (!m->EnsureLoaded()) {
      WARNAbs("btRepMemClick ERR Данные карты "_cp + m->Name + " не найдены в файле!"_cp);
      return;
    }
    TStringList l;
    l.Add(m->DisplayName() + " " + m->SizeText() + " kLoad=" + IntStr(m->kLoad));
    WARNAbsSL(&l);
  });
  MAP_HANDLER(pm_HdClick, {
    TFIOut* m = CurFIOut();
    if (!m) {
      WARNAbs("Карта не выбрана! Выберите карту в таблице LFIO!"_cp);
      return;
    }
    if (m->HSL) {
      WARNAbsSL(m->HSL.get());
      ShowInEditor("FO_Header ", *m->HSL);
    }
  });
  MAP_HANDLER(pm_LFIOHdClick, {
    TLFIOut* r = LFIOOrNull();
    if (!r) return WARNAbs("LFIO Not Assigned!");
    if (!r->HcvSL) return WARNAbs("LFIO.HcvSL Not Assigned!");
    if (r->HcvSL->Count() == 0) return WARNAbs("LFIO.HcvSL пустой!"_cp);
    ShowInEditor("LFIO_hdCV", *r->HcvSL);
  });
  MAP_HANDLER(btWriteMapClick, {
    TFIOut* m = CurFIOut();
    if (!m) {
      WARNAbs("Нечего записывать (не выбрана строка?)"_cp);
      return;
    }
    if (m->Save()) {
      // its number in the file
      std::vector<TMapExt> dir;
      ReadMapDir(m->FileName(), dir, nullptr, true);
      for (size_t i = 0; i < dir.size(); ++i)
        if (dir[i].Name == m->Name) m->KH = static_cast<int32_t>(i) + 1;
    }
    FillFIO();
  });
  MAP_HANDLER(btDelMapClick, {
    TFIOut* m = CurFIOut();
    if (!m) {
      WARNAbs("Карта не выбрана! Выберите карту в таблице LFIO!"_cp);
      return;
    }
    if (!AskYesNo("Вы точно хотите удалить карту с именем "_cp + m->Name + " ?")) return;
    if (m->nb0 == 0) {
      WARNAbs("Эта карта отсутствует в файле \r\n<"_cp + m->FileName() + ">");
      LFIOReg().Remove(m);
      FillFIO();
      return;
    }
    foops::EraseMaps({m}, cbBakFile->Checked());
    FillFIO();
  });
  MAP_HANDLER(btCalcMapClick, {
    const std::string folder = CurSessionFolder();
    if (folder.empty()) return;
    LinkLFITS(folder);
    TLFITS* scan = CurLFITS.get();
    StartMapJob(
        Jobs, std::make_shared<TJob>("BigCalc2"),
        [scan](TJob& J) {
          if (!scan->Bit(1) && !scan->LoadHeaders(J)) return;
          if (scan->Count() == 0) {
            WARNAbs("Список LFITS не заполнен!"_cp);
            return;
          }
          scan->BigCalc2(J);
        },
        [this, scan](TJob&) {
          if (scan == CurLFITS.get()) ShowScanInfo();
          FillFIO();
        });
  });
  MAP_HANDLER(bt_LFITS_ClearClick, {
    if (CurLFITS) CurLFITS->Clear();
    ShowScanInfo();
  });
  MAP_HANDLER(cb_MemTrandClick, ShowMemoryLabels());

  // ---- map expressions
  MAP_HANDLER(btNewFOClick, {
    std::string da, ti;
    if (!CurSessionDT(da, ti)) return;
    auto lines = std::make_shared<std::vector<std::string>>(memoFIOut->Lines());
    StartMapJob(
        Jobs, std::make_shared<TJob>("New FOs"),
        [lines, da, ti](TJob& J) { foops::RunFOLines(J, *lines, da, ti, true); },
        [this](TJob&) { FillFIO(); });
  });
  MAP_HANDLER(btAutoFOClick, {
    std::string da, ti;
    if (!CurSessionDT(da, ti)) return;
    const std::string path = sessions::Join(Root(), "FO.txt");
    if (!platform::IsRegularFile(path)) {
      WARNAbs("Файла <"_cp + path + "> нет!"_cp);
      return;
    }
    std::vector<std::string> names;
    auto lines = std::make_shared<std::vector<std::string>>();
    if (!sessions::LoadFOList(Root(), names, *lines)) return;
    StartMapJob(
        Jobs, std::make_shared<TJob>("Auto FOs"),
        [lines, da, ti](TJob& J) { foops::RunFOLines(J, *lines, da, ti, false); },
        [this](TJob&) { FillFIO(); });
  });
  MAP_HANDLER(btEraseFOsClick, {
    TLFIOut* reg = LFIOOrNull();
    if (!reg || reg->Count() == 0) return;
    std::string da, ti;
    if (!CurSessionDT(da, ti)) return;
    std::vector<TFIOut*> maps;
    for (const std::string& l : memoFIOut->Lines()) {
      const std::string t = foops::RunText(l);
      if (t.empty()) continue;
      if (TFIOut* m = reg->GetFIOutDT(da, ti, t.substr(0, t.find('=')))) maps.push_back(m);
    }
    if (maps.empty()) return;
    foops::EraseMaps(maps, cbBakFile->Checked());
    FillFIO();
  });
  MAP_HANDLER(cbMapsChange, {
    const std::string l = foops::FODefinition(FOLines, Trim(cbMaps->Text()));
    if (l.empty()) return;
    std::vector<std::string> m = memoFIOut->Lines();
    if (m.empty())
      m.push_back(l);
    else
      m[0] = l;
    memoFIOut->SetLines(m);
  });
  MAP_HANDLER(cbOperSelect, {
    const std::string o = Trim(cbOper->Text());
    if (!cbAutoFill->Checked() || o.empty()) return;
    memoFIOut->setFocus();
    memoFIOut->InsertText(o + "(");
  });
  MAP_HANDLER(btTestStripCharsClick, {
    memoFIOut->setFocus();
    memoFIOut->InsertText("CONT");
  });

  // ---- stages and the RUN queue
  using RC = fitsruns::TRunCtx;
  auto stage = [this, guard](const char* Handler, const char* Name,
                             std::function<bool(TJob&, RC&)> F) {
    return std::make_pair(std::string(Handler), guard([this, Name, F](TSender) {
                            StartRun(Name, F);
                          }));
  };
  for (auto& [n, h] : {
           stage("btCONT_CV1Click", "CONT", [](TJob& J, RC& C) { return fitsruns::StageCONT(J, C); }),
           stage("btLdxxClick", "Ldxx", [](TJob& J, RC& C) { return fitsruns::StageLdxx(J, C); }),
           stage("btLWClick", "LW", [](TJob& J, RC& C) { return fitsruns::StageLW(J, C); }),
           stage("bt_DFullClick", "DFull", [](TJob& J, RC& C) { return fitsruns::StageDFull(J, C); }),
           stage("bt_HCalcClick", "D,H", [](TJob& J, RC& C) { return fitsruns::StageDH(J, C); }),
           stage("btCalcIVCOGClick", "IV", [](TJob& J, RC& C) { return fitsruns::StageIV(J, C, false); }),
           stage("btCalcIVCOG2Click", "IV2", [](TJob& J, RC& C) { return fitsruns::StageIV(J, C, true); }),
           stage("btCalcFiltClick", "Filt", [](TJob& J, RC& C) { return fitsruns::StageFilt(J, C); }),
           stage("btAnyCalc_CVClick", "KVI", [](TJob& J, RC& C) { return fitsruns::StageKVI(J, C); })})
    H.Add(n, h);
  H.Add("btCONT_CVClick", guard([this](TSender) {
          const std::vector<std::string> all = SessionNames();
          StartRun("_1", [all](TJob& J, RC& C) { return fitsruns::ContForAll(J, C, all); });
        }));
  H.Add("btRunFOsClick", guard([this](TSender) {
          const std::string c = Trim(cbFITSrunCase->Text());
          if (!LFIOOrNull()) PrepCalcSession();
          const std::vector<std::string> all = SessionNames();
          const size_t from = static_cast<size_t>(std::max(YMRow, 0));
          StartRun("RUN " + c, [all, from, c](TJob& J, RC& C) {
            return fitsruns::RunQueue(J, C, all, from, c);
          });
        }));
  H.Add("btListCalc_CV_Click", guard([this](TSender) {
          const std::vector<std::string> all = SessionNames();
          const size_t from = static_cast<size_t>(std::max(YMRow, 0));
          StartRun("3.5 List >", [all, from](TJob& J, RC& C) {
            for (size_t i = from; i < all.size(); ++i) {
              if (!J.Step(static_cast<int64_t>(i - from), static_cast<int64_t>(all.size() - from),
                          all[i]))
                return false;
              if (i > from && C.Scan) C.Scan->Clear();
              C.Session = all[i];
              fitsruns::RunCase(J, C, "3.5_List");
            }
            return true;
          });
        }));
  H.Add("btOnCalcsClick", [this](TSender) {
    btAnyCalc_CV->setVisible(true);
    btLW->setVisible(true);
    ed_rC90->setVisible(true);
  });
  // The Test tab's "xxx": bound when its form lands.
  H.Add("bt_DHkClick", [this](TSender) {
    const bool none = !Scans().CurI || Scans().CurI->AX.size() < 3 || Scans().CurI->AY.size() < 3;
    TCurI& c = ScanCurI();
    if (none) {
      // set up from the Test tab's fields and wing crossings (warns when the wings are not run)
      if (!Scans().SetupCurI(c)) return;
      if (c.AY.size() < 3) Shell.TestTab().LoadCurIFromEd(c);
      if (c.AX.size() < 3 || c.AY.size() < 3) {
        WARNAbs("bt_DHkClick: в CurI нет профиля - загрузите профиль пиксела или рассчитайте крылья!"_cp);
        return;
      }
    }
    Scans().GaussParamsToCurI(c);
    // the fit sequence with a report after each step
    c.gsReport();
    c.FitK3L6x2();
    c.CurI_gs_Report3("k3L6_2");
    c.FitLamDLD();
    c.CurI_gs_Report3("xDLoop");
    c.FitK3B6();
    c.CurI_gs_Report3("bH6k3");
    Shell.TestTab().CurIToForm();
  });
#undef MAP_HANDLER
}

// ============================================================ the list

TFIOut* TTabFITS::FIOutOfRow(int32_t Row) {
  if (Row < 0 || Row >= ngFIO->RowCount()) return nullptr;
  TLFIOut* reg = LFIOOrNull();
  if (!reg) return nullptr;
  auto cell = [&](const char* C) { return ngFIO->CellAt(GCol(ngFIO, C), Row)->GetAsText(); };
  return reg->GetFIOut(cell("GxFIO_Da"), cell("GxFIO_Ti"), cell("GxFIO_Name"), cell("GxFIO_Ver"));
}

TFIOut* TTabFITS::CurFIOut() { return FIOutOfRow(FIORow); }

std::string TTabFITS::FIORowTitle(int32_t Row) {
  if (Row < 0 || Row >= ngFIO->RowCount()) return "";
  auto cell = [&](const char* C) { return ngFIO->CellAt(GCol(ngFIO, C), Row)->GetAsText(); };
  return cell("GxFIO_Name") + "(" + cell("GxFIO_Da") + "_" + cell("GxFIO_Ti") + "=" +
         cell("GxFIO_DaTi") + ")ver=" + cell("GxFIO_Ver");
}

int32_t TTabFITS::FIOSessionCount() {
  std::set<std::string> s;
  const int32_t c = GCol(ngFIO, "GxFIO_DaTi");
  for (int r = 0; r < ngFIO->RowCount(); ++r) s.insert(ngFIO->CellAt(c, r)->GetAsText());
  return static_cast<int32_t>(s.size());
}

void TTabFITS::FillFIO() {
  TLFIOut& reg = LFIOReg();
  std::vector<foops::TFIOSessionOn> on;
  for (int r = 0; r < ngFITS_DT->RowCount(); ++r)
    on.push_back({ngFITS_DT->CellAt(1, r)->GetAsText(), ngFITS_DT->CellAt(0, r)->GetAsBoolean()});
  std::vector<TFIOut*> maps;
  const std::vector<foops::TFIORow> rows = foops::FIORows(reg, on, &maps);
  ngFIO->BeginUpdate();
  ngFIO->ClearRows();
  if (!rows.empty()) ngFIO->AddRows(static_cast<int>(rows.size()));
  TCells& cells = ngFIO->Cells();
  int sel = -1;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int row = static_cast<int>(r);
    cells.GetCell(0, row)->SetAsBoolean(rows[r][0] == "true");
    for (int c = 1; c < 11; ++c) cells.GetCell(c, row)->SetAsText(rows[r][static_cast<size_t>(c)]);
    if (maps[r]->Name == CurFIOName && maps[r]->DTKey() == CurFIOKey) sel = row;
  }
  ngFIO->EndUpdate();
  gbLFIO->SetCaption("LFIO " + IntStr(sel) + " (" + IntStr(reg.Count()) + ")");
  if (sel >= 0) {
    FIOSelectRow(sel);
  } else if (FIORow >= ngFIO->RowCount()) {
    FIORow = ngFIO->RowCount() - 1;
  }
}

void TTabFITS::FIOSelectRow(int32_t Row) {
  const int n = ngFIO->RowCount();
  if (n == 0) return;
  Row = std::clamp(Row, 0, n - 1);
  ngFIO->ScrollRowIntoView(Row);
  FIORow = Row;
  const bool was = SelectingFIO;
  SelectingFIO = true;
  ngFIO->SelectCell(std::max(FIOCol, 0), FIORow, 0);
  SelectingFIO = was;
  ngFIO->update();
}

void TTabFITS::ShowMemoryLabels() {
  int64_t t = 0, f = 0, vt = 0, vf = 0;
  MemInfo(t, f, vt, vf);
  lbMem->SetCaption(I64Str(t));
  lbMemFree->SetCaption(I64Str(f));
  lbMemVirt->SetCaption(I64Str(vt));
  lbMemVirF->SetCaption(I64Str(vf));
}

void TTabFITS::InsertAutoFill(const std::string& Name) {
  memoFIOut->setFocus();
  memoFIOut->InsertText(Name);
}

// ============================================================ the range readers

bool TTabFITS::ComboWordReal(platform::TComboBox* Box, int32_t N, double& Value) {
  const std::vector<std::string> w = Words(Trim(Box->Text()));
  if (static_cast<int32_t>(w.size()) < N) {
    Box->setFocus();
    WARNAbs("Число слов в поле = "_cp + IntStr(static_cast<int32_t>(w.size())) +
            " Запрошено слово "_cp + IntStr(N) + "!");
    return false;
  }
  int32_t code = 0;
  Value = ValRealCode(w[static_cast<size_t>(N - 1)], code);
  if (code != 0) {
    Box->setFocus();
    WARNAbs("Проверь число в фокусе ввода в слове номер "_cp + IntStr(N) + "!");
    return false;
  }
  return true;
}

bool TTabFITS::GetHistRange(double& Lo, double& Hi, bool& ByValue) {
  ByValue = !cbMapVal->Checked();
  return ComboWordReal(cbHistMiMa, 1, Lo) && ComboWordReal(cbHistMiMa, 2, Hi);
}

bool TTabFITS::GetMapHistRanges(double& HistLo, double& HistHi, bool& UseHist, bool& ByValue,
                                double& MapHi, double& MapLo) {
  ByValue = !cbMapVal->Checked();
  UseHist = cbMapHist->Checked();
  return ComboWordReal(cbHistMiMa, 1, HistLo) && ComboWordReal(cbHistMiMa, 2, HistHi) &&
         ComboWordReal(cbMapMiMa, 1, MapLo) && ComboWordReal(cbMapMiMa, 2, MapHi);
}

// ============================================================ showing a map

void TTabFITS::btMapClick(TSender E) {
  double lo = 0, hi = 0;
  bool byValue = false;
  if (!GetHistRange(lo, hi, byValue)) return;
  const bool mapWas = cbMap->Checked();
  QObject* s = E.Sender;
  TFIOut* m = nullptr;
  const bool fromList = !s || s == ngFIO || dynamic_cast<platform::TButton*>(s) ||
                        dynamic_cast<QAction*>(s) || E.Control == "pm_Map" ||
                        E.Control == "ngFIO";
  const bool setting = s && !fromList;
  if (!setting) {
    m = CurFIOut();
    if (!m) {
      WARNAbs("Карта не выбрана! Выберите карту в таблице LFIO!"_cp);
      return;
    }
    if (!m->EnsureLoaded()) return;
    cbMap->SetChecked(false);
  } else {
    TLFIOut* reg = LFIOOrNull();
    const std::string key = GetLFOPCur();
    m = reg ? reg->FindByKey(key) : nullptr;
    if (!FIOutAssigned(m)) {
      CurFOName.clear();
      WARNAbs("Нет нарисованной карты! Нарисуйте (нажмите кнопку Map)!"_cp);
      return;
    }
  }
  ShowMapOfFIOut(m);
  cbMap->SetChecked(mapWas);
  if (LastClickGrid == "ngFIO") FIOSelectRow(FIORow);
}

void TTabFITS::ShowMapOfFIOut(TFIOut* Map) {
  if (!FIOutAssigned(Map) || !Map->EnsureLoaded()) return;
  int32_t code = 0;
  FOZoom = ValRealCode(Trim(cbMapScale->Text()), code);
  if (code != 0 || FOZoom <= 0) {
    FOZoom = 1;
    cbMapScale->SetText("1");
  }
  CurFOName = Map->DisplayName();
  SetLFOPCur(CurFOName);
  cb_Map->ClearItems();
  if (TStringList* l = Scans().LFOP.get())
    for (int i = 0; i < l->Count(); ++i) cb_Map->AddItem((*l)[i]);
  cb_Map->SetText(CurFOName);
  if (!FO_Pict(Map)) return;
  Map->SetCursorXY();
  Map->InfoToPanel();
}

bool TTabFITS::FO_Pict(TFIOut* Map) {
  double f1 = 0, f2 = 0, v1 = 0, v2 = 0;
  bool eqPop = false, frac = false;
  if (!GetMapHistRanges(f1, f2, eqPop, frac, v2, v1)) return false;
  if (!Map) {
    WARNAbs("Corvesta.FO_Pict-Err: FO not Assigned!");
    return false;
  }
  if (Map->kRun != TFIOut::kLive) {
    WARNAbs("Corvesta.FO_Pict-Err: FO заполнен мусором! kRun=$"_cp + IntHex8(Map->kRun));
    return false;
  }
  if (!Map->Pict) Map->ToPict();
  TR4Pict* p = Map->Pict.get();
  if (!p) return false;
  PictModes()[Map->DisplayName()] = {frac, eqPop};
  p->SetPalette(cb_Red->Checked() ? 'R' : 'K');
  if (frac || eqPop) p->GetHist();
  if (eqPop && frac)
    p->SetLevelsEqPop(256, f1, f2);
  else if (eqPop)
    p->SetLevelsEqPopVal(256, static_cast<float>(v1), static_cast<float>(v2));
  else if (frac)
    p->SetLevelsByPct(256, f1, f2);
  else
    p->SetLevelsByVal(256, static_cast<float>(v1), static_cast<float>(v2));
  ShowFIOutRange(*Map);
  ShowFIOutInMap(*Map);
  return true;
}

void TTabFITS::ShowFIOutRange(TFIOut& Map) {
  TR4Pict* p = Map.Pict.get();
  if (!p) return;
  const TPictModes md = PictModes()[Map.DisplayName()];
  edMapMi->SetText(ShortSt(5, p->VMin));
  edMapMa->SetText(ShortSt(5, p->VMax));
  // a field whose two numbers are the picture's already keeps its text
  auto put = [&](platform::TComboBox* B, double A, double C) {
    const std::vector<std::string> w = Words(Trim(B->Text()));
    int32_t c1 = 1, c2 = 1;
    double a = 0, c = 0;
    if (w.size() >= 2) {
      a = ValRealCode(w[0], c1);
      c = ValRealCode(w[1], c2);
    }
    const double tol = 1e-5 * (std::fabs(A) + std::fabs(C) + 1e-30);
    if (c1 == 0 && c2 == 0 && std::fabs(a - A) <= tol && std::fabs(c - C) <= tol) return;
    B->SetText(ShortSt(5, A) + " " + ShortSt(5, C));
  };
  put(cbMapMiMa, p->LevLo, p->LevHi);
  if (md.Frac) {
    put(cbHistMiMa, p->PLow, p->PHigh);
    if (std::fabs(p->PLow + p->PHigh - 1) < 1000) {
      const std::string t = ShortSt(3, std::min(p->PLow, p->PHigh));
      int32_t code = 0;
      const double now = ValRealCode(Trim(cbHistScale->Text()), code);
      if (code != 0 || std::fabs(now - std::min(p->PLow, p->PHigh)) > 1e-9) {
        const bool was = cbHistScale->blockSignals(true);
        cbHistScale->SetText(t);
        cbHistScale->blockSignals(was);
      }
    }
  }
  cbMapVal->SetChecked(!md.Frac);
  cbMapHist->SetChecked(md.EqPop);
}

void TTabFITS::ShowFIOutInMap(TFIOut& Map) {
  int32_t n = 0, count = 0;
  GetLFOPItem(n, count);
  TLFIOut* reg = LFIOOrNull();
  std::string name = Map.Name;
  if (reg && !reg->SameSrc()) name = "(" + Map.Ti.substr(0, 4) + " " + name;
  MapCtls->TFITSMapCtls::Set("FMap.Caption", name + " " + IntStr(n) + "(" + IntStr(count) + ")");
  MapViewLinks().FitClientToMap(Map.nX, Map.nY, FOZoom);
  cb_Map->SetText(Map.DisplayName());
  if (Map.Pict) {
    Map.Pict->MaxMin();
    Map.ShowInMapWin();
  }
}

// ============================================================ sessions of the map operations

bool TTabFITS::PrepCalcSession() {
  LFIOReg();
  std::string s;
  if (LastClickGrid == "ngFIO" && CurFIOut()) {
    s = CurFIOut()->DTKey();
  } else if (YMRow >= 0 && YMRow < ngFITS_YM->RowCount()) {
    s = ngFITS_YM->CellAt(GCol(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText();
  }
  if (s.empty()) {
    WARNAbs("Перед запуском расчёта нужно выбрать\n\rлибо строку в таблице сеансов FITS_YM,\n\rлибо строкe в таблице карт LFIO!\n\rСейчас активен элемент <"_cp +
            LastClickGrid + ">");
    return false;
  }
  FOSession = s;
  TLFIOut& reg = LFIOReg();
  if (!reg.HcvSL) reg.HcvSL = std::make_unique<TStringList>();
  reg.HcvSL->Clear();
  std::string da, ti;
  sessions::SplitDaTi(s, da, ti);
  int32_t count = 0;
  GetFITSHead(GetCVFITName(da, ti), 0, count, reg.HcvSL.get());
  return true;
}

bool TTabFITS::CurSessionDT(std::string& Da, std::string& Ti) {
  Da.clear();
  Ti.clear();
  if (LastClickGrid == "ngFIO") {
    TFIOut* m = CurFIOut();
    if (!m && FIOSessionCount() == 1) m = FIOutOfRow(0);
    if (!m) {
      WARNAbs("Выберите строку в списке LFIO! Текущий элемент неопределён."_cp);
      return false;
    }
    Da = m->Da;
    Ti = m->Ti;
  } else if (LastClickGrid == "ngFITS_YM" && YMRow >= 0 && YMRow < ngFITS_YM->RowCount()) {
    sessions::SplitDaTi(ngFITS_YM->CellAt(GCol(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText(),
                        Da, Ti);
  }
  if (Da.size() == 8 && Ti.size() == 6) return true;
  WARNAbs("Надо выбрать строку в таблицах сессий или карт!\n\rДата = <"_cp + Da +
          "> Время = <"_cp + Ti + ">");
  return false;
}

std::vector<std::string> TTabFITS::SessionNames() {
  std::vector<std::string> r;
  const int32_t c = GCol(ngFITS_YM, "GxFITS_DaTi");
  for (int i = 0; i < ngFITS_YM->RowCount(); ++i) r.push_back(ngFITS_YM->CellAt(c, i)->GetAsText());
  return r;
}

// ============================================================ stages as jobs

void TTabFITS::StartRun(const std::string& Name,
                        std::function<bool(TJob& J, fitsruns::TRunCtx& Ctx)> Work) {
  if (Jobs.Busy()) {
    Jobs.SayBusy();
    return;
  }
  const std::string s = YMRow >= 0 && YMRow < ngFITS_YM->RowCount()
                            ? ngFITS_YM->CellAt(GCol(ngFITS_YM, "GxFITS_DaTi"), YMRow)->GetAsText()
                            : std::string();
  if (s.size() < 15) {
    WARNAbs("Выберите строку в таблице FITS_YM!"_cp);
    return;
  }
  Scans().DataRoot.Install([r = sessions::Join(Root(), "")] { return r; });
  if (!CurLFITS) CurLFITS = std::make_unique<TLFITS>();
  auto ctx = std::make_shared<fitsruns::TRunCtx>();
  ctx->Session = s;
  ctx->Scan = CurLFITS.get();
  ctx->LCxx = ed_LCxx->Text();
  double w1 = 350, w2 = 350, krc = 1, sm = 90;
  if (GetLFITSOptions(w1, w2, krc, sm)) {
    ctx->W1 = w1;
    ctx->W2 = w2;
    ctx->KRC = krc;
    ctx->Smooth = sm;
  }
  ctx->Light = cbLFITS_QLight->Checked();
  TScanCalcFields& f = Scans().CurISet.Calc;
  f.Filt1 = Trim(edFilt_1->Text());
  f.Filt2 = Trim(edFilt_2->Text());
  f.FiltStokes = Trim(edFilt_Stokes->Text());
  f.FiltAbs = cbFiltAbs->Checked();
  int32_t code = 0;
  const double rc = ValRealCode(Trim(ed_rC90->Text()), code);
  if (code == 0) f.rC90 = rc;
  StartMapJob(
      Jobs, std::make_shared<TJob>(Name + " " + s), [ctx, Work](TJob& J) { Work(J, *ctx); },
      [this](TJob&) { AfterRun(); });
}

void TTabFITS::AfterRun() {
  ShowScanInfo();
  const int32_t row = YMRow;
  const int32_t col = YMCol;
  const std::string choice = Trim(cbFITS_YM->Text());
  if (!choice.empty() && choice != "All" && choice.size() != 4) FillSessions(choice);
  if (row >= 0 && row < ngFITS_YM->RowCount()) {
    platform::TFormEventArgs e;
    e.Col = col;
    e.Row = row;
    YMRow = -1;
    ngFITS_YMCellClick(e);
  }
  FillFIO();
}
