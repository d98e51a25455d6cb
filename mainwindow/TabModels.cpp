#include "mainwindow/TabModels.h"

#include <memory>

#include "app/cvApp.h"
#include "app/cvEd.h"
#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTunes.h"
#include "linedata/cvDM.h"
#include "mainwindow/Corvesta.h"
#include "mainwindow/TabEd.h"
#include "mainwindow/TabVEMO.h"
#include "models/cvLines.h"
#include "models/cvPMod.h"
#include "models/cvVemoTab.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"
#include "models/vectors/cvVemo.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"
#include "synthesis/pictures/cvGVemo.h"
#include "synthesis/transfer/cvAccuracy.h"

namespace {

TTunes* Common() { return App ? App->TunCommon.get() : nullptr; }
std::string Setting(const std::string& Key) { return Common() ? TrimCtl(Common()->Get(Key)) : ""; }
void Store(const std::string& Key, const std::string& Text) {
  if (!Common()) return;
  const std::string t = TrimCtl(Text);
  if (t.empty())
    Common()->Clear(Key);
  else
    Common()->Set(Key, t);
}

void FillCombo(platform::TComboBox* C, const TModCombo& M) {
  C->ClearItems();
  for (const std::string& i : M.Items) C->AddItem(i);
  C->SetItemIndex(M.Index);
}

bool IntText(const std::string& S, int32_t& V) {
  int32_t code = 0;
  const std::string t = TrimCtl(S);
  V = ValIntCode(t, code);
  return !t.empty() && code == 0;
}

bool RealText(const std::string& S) {
  int32_t code = 0;
  const std::string t = TrimCtl(S);
  ValRealCode(t, code);
  return !t.empty() && code == 0;
}

std::string ModsFolder() { return App ? FindNoCase(App->sRoot, "MODS") : std::string("MODS"); }

}  // namespace

void TTabModels::RegisterHandlers(platform::THandlerRegistry& H) {
  TCorvestaTab::RegisterHandlers(H);
  for (const char* n : {"cbSModSelect", "cbFMODSelect", "cbNameSelect", "cbSIDSelect",
                        "cbSMod2Select", "cbFMOD2Select", "cbName2Select", "cbSID2Select",
                        "cbNameXSelect"})
    H.Add(n, [this](TSender E) { SelectorSelect(E); });
  CV_HANDLER(H, cbModNamSelect);
  CV_HANDLER(H, cbVeLinesChange);
  CV_HANDLER(H, cbVeCTETAChange);
  CV_HANDLER(H, btVeMoLoadClick);
  CV_HANDLER(H, btVeMoOpenClick);
  CV_HANDLER(H, btVeMoP1Click);
  CV_HANDLER(H, btVeMoIonClick);
  CV_HANDLER(H, btVeMoP3Click);
  CV_HANDLER(H, btVeDrawClick);
  CV_HANDLER(H, ImageModMouseMove);
  CV_HANDLER(H, btImVeClearClick);
  CV_HANDLER(H, btVe1ClearClick);
  CV_HANDLER(H, btVeMoUseEdClick);
  CV_HANDLER(H, btVEMOlistClick);
  CV_HANDLER(H, btModRepClick);
}

TModSelSettings TTabModels::Settings() const {
  TModSelSettings s;
  s.sMod = Setting("VEMOsMod");
  s.FMOD = Setting("VEMOFMOD");
  s.Name = Setting("VEMONAME");
  s.SID = Setting("VEMOSID");
  s.sMod2 = Setting("VEMOsMod2");
  s.FMOD2 = Setting("VEMOFMOD2");
  s.Name2 = Setting("VEMONAME2");
  s.SID2 = Setting("VEMOSID2");
  s.NameX = Setting("VEMONAMEX");
  return s;
}

// ---------------------------------------------------------------- show, model files

void TTabModels::TabModelsShow() {
  if (!ModelsTabShown) {
    ModelsTabShown = true;
    FillModelViewScales();
    FillModelNames();
  }
  FillModelSelectors();
}

void TTabModels::FillComboFromDirList(platform::TComboBox* Box,
                                      const std::vector<std::string>& Files) {
  Box->ClearItems();
  for (const std::string& f : Files) {
    std::string n, e;
    SplitNameExt(f, n, e);
    Box->AddItem(n);
  }
}

std::vector<std::string> TTabModels::SourceModelsToDB() {
  const std::string folder = ModsFolder();
  std::vector<std::string> files;
  if (platform::IsDirectory(folder)) {
    std::unique_ptr<TStringList> all = ListFiles(folder);
    for (int i = 0; i < all->Count(); ++i)
      if (HasExt((*all)[i], "mel")) files.push_back((*all)[i]);
  } else {
    WARN("Directory for source photospheric models " + folder + " NOT EXISTS!!!");
  }
  if (files.empty()) return files;
  // the registration is a job on the database (one transaction); its messages are conditional
  auto msgs = std::make_shared<std::vector<std::string>>();
  Shell.StartDBJob(std::make_shared<TJob>("Mod_"), [folder, msgs](TJob& J, TDM& D) {
    std::vector<std::string> f;
    RegisterSourceModels(J, D.ADOMod_, folder, f, *msgs);
    D.ADOMod_.Close();
  }, [msgs](TJob&) {
    for (const std::string& m : *msgs) WARN(m);
  });
  return files;
}

void TTabModels::FillModelNames() { FillComboFromDirList(cbModNam, SourceModelsToDB()); }

void TTabModels::FillModelSelectors() {
  if (Jobs.Busy()) return;  // the keeper is the job's; the selectors refill after it
  if (TVARIATOR* V = VariCtx().VARI) {
    auto keyList = [&](platform::TComboBox* C, const std::string& Key, const std::string& Def) {
      C->ClearItems();
      TVariRec* r = V->FindRec(Key);
      if (!r || r->NVals() == 0) {
        C->AddItem(Def);
        C->SetItemIndex(0);
        return;
      }
      for (int i = 0; i < r->NVals(); ++i) C->AddItem(r->Vals[i]);
      const int32_t k = V->KeyValIdx(Key);
      C->SetItemIndex(k >= 1 && k <= r->NVals() ? k - 1 : 0);
      C->SetText(V->GetSK(Key));
    };
    keyList(cbVeLines, "#LIN", "FE6302");
    keyList(cbVeCTETA, "#CTETA", "1.00");
  }
  const TModSelectors s = ModelSelectorLists(Keeper(), Settings());
  FillCombo(cbSMod, s.SMod);
  FillCombo(cbFMOD, s.FMOD);
  FillCombo(cbName, s.Name);
  FillCombo(cbSID, s.SID);
  FillCombo(cbSMod2, s.SMod2);
  FillCombo(cbFMOD2, s.FMOD2);
  FillCombo(cbName2, s.Name2);
  FillCombo(cbSID2, s.SID2);
  FillCombo(cbNameX, s.NameX);
  FillModelViewScales();
}

void TTabModels::FillModelViewScales() {
  const std::string nx = Setting("VEMONAMEX");
  if (!nx.empty()) {
    cbNameX->SetText(nx);
    if (TrimCtl(cbNameX->Text()) != nx) {
      cbNameX->AddItem(nx);
      cbNameX->SetText(nx);
    }
  }
  View = ModelViewScales(ParamList(), Setting("VEMONAME"), nx);
  if (!nx.empty() && ParamList().GetByKey(nx) && ParamList().GetByKey(nx)->SCALE[1]) {
    edVeXL->SetText(SigSt(4, View.XL));
    edVeXR->SetText(SigSt(4, View.XR));
  }
}

void TTabModels::SelectorSelect(TSender E) {
  static const std::pair<const char*, const char*> keys[] = {
      {"cbSMod", "VEMOsMod"},   {"cbFMOD", "VEMOFMOD"},   {"cbName", "VEMONAME"},
      {"cbSID", "VEMOSID"},     {"cbSMod2", "VEMOsMod2"}, {"cbFMOD2", "VEMOFMOD2"},
      {"cbName2", "VEMONAME2"}, {"cbSID2", "VEMOSID2"},   {"cbNameX", "VEMONAMEX"}};
  auto* c = dynamic_cast<platform::TComboBox*>(E.Sender);
  if (!c) return;
  const std::string name = c->objectName().toStdString();
  for (const auto& [ctl, key] : keys)
    if (name == ctl) Store(key, c->Text());
  FillModelSelectors();
}

void TTabModels::cbModNamSelect(TSender) {}

void TTabModels::cbVeLinesChange(TSender) {
  TVARIATOR* V = VariCtx().VARI;
  if (V && cbVeLines->ItemIndex() >= 0 && V->FindRec("#LIN")) V->StepK("#LIN", cbVeLines->ItemIndex() + 1);
}

void TTabModels::cbVeCTETAChange(TSender) {
  TVARIATOR* V = VariCtx().VARI;
  if (V && cbVeCTETA->ItemIndex() >= 0 && V->FindRec("#CTETA"))
    V->StepK("#CTETA", cbVeCTETA->ItemIndex() + 1);
}

// ---------------------------------------------------------------- jobs over the keeper

void TTabModels::KeeperJob(const std::string& Name, std::function<void(TJob&)> Work,
                           std::function<void()> Done, std::function<void()> Undo) {
  if (Jobs.Busy() || TQtJobRunner::Active()) {
    Jobs.SayBusy();
    return;
  }
  // the window waits: the keeper is the job's until it ends
  auto undo = std::make_shared<TKeeperUndo>(Keeper());
  Jobs.Start(
      std::make_shared<TJob>(Name),
      [Work = std::move(Work), undo](TJob& J) {
        try {
          Work(J);
        } catch (...) {
          undo->Restore();
          throw;
        }
        if (J.Cancelled()) {
          undo->Restore();
          J.Warn("Задание прервано: хранитель векторов оставлен как был"_cp);
        }
      },
      [this, Done = std::move(Done), Undo = std::move(Undo)](TJob& J) {
        if (J.State() == TJobState::Done) {
          if (Done) Done();
        } else if (Undo) {
          Undo();
        }
        FillModelSelectors();
        Shell.VEMOTab().ngVEMOFill();
      });
}

bool TTabModels::ReplaceVariModel(const std::string& Name, std::string* Old) {
  TVARIATOR* V = VariCtx().VARI;
  if (!V || !V->FindRec("#MOD")) return false;
  const std::string value = V->GetSK("#MOD");
  if (Old) *Old = value;
  V->UpDate("#MOD", ReplaceModWord(value, Name), UniqueTick());
  return true;
}

void TTabModels::btVeMoLoadClick(TSender) {
  const std::string name = TrimCtl(cbModNam->Text());
  if (name.empty()) return;
  KeeperJob("load " + name, [name](TJob& J) {
    J.Step(0, 1, "load " + name);
    Keeper().LoadModel("", "", "", name);
  });
}

void TTabModels::btVeMoOpenClick(TSender) {
  const std::string name = TrimCtl(cbModNam->Text());
  const std::string file = App ? FindNoCase(App->sRoot, "MODS/" + name + ".mel") : name;
  if (!platform::IsRegularFile(file)) {
    WARNAbs("Не найден файл с исходной моделью <"_cp + file + ">" + "\n\r" +
            "Возможно, не включен режим #ION?"_cp);
    return;
  }
  TStringList L;
  L.LoadFromFile(file);
  if (EdAssigned(Ed)) Ed->EdLoadSL("модель "_cp + name, &L);
}

void TTabModels::btVeMoP1Click(TSender) {
  const std::string name = TrimCtl(cbModNam->Text());
  if (name.empty()) return;
  KeeperJob("P1 " + name, [name](TJob& J) {
    J.Step(0, 1, "P1 " + name);
    FillModVeMo(name);
  }, [this, name] { ReplaceVariModel(name); });
}

void TTabModels::btVeMoIonClick(TSender) {
  const std::string name = TrimCtl(cbModNam->Text());
  if (name.empty()) return;
  std::string old;
  if (!ReplaceVariModel(name, &old)) return;
  TVARIATOR* V = VariCtx().VARI;
  KeeperJob(
      "Ion " + name,
      [name](TJob& J) {
        J.Step(0, 1, "Ion " + name);
        FillModVeMo(name);
      },
      {},
      // a cancelled or failed job gives the variator its model back
      [V, old] {
        if (V == VariCtx().VARI) V->UpDate("#MOD", old, UniqueTick());
      });
}

void TTabModels::btVeMoP3Click(TSender) {
  if (!VariCtx().VARI) {
    WARNAbs("ВАРИАТОР НЕ ЗАГРУЖЕН!"_cp);
    return;
  }
  KeeperJob("P3", [](TJob& J) {
    J.Step(0, 1, "P3");
    LoadLinsVARI();
    VariLoadEps();
    PMOD3(3);
    VariLoadEps();
  });
}

// ---------------------------------------------------------------- drawing

void TTabModels::btVeDrawClick(TSender) {
  ParamList().ReadVEMO();
  std::vector<TModDrawRow> rows(2);
  rows[0] = {cbSMod->Text(), cbFMOD->Text(), cbName->Text(), cbSID->Text(), cbVeKind->Text(), 15};
  rows[1] = {cbSMod2->Text(), cbFMOD2->Text(), cbName2->Text(), cbSID2->Text(), cbVeKind2->Text(), 15};
  const bool draw1 = !TrimCtl(rows[0].Model).empty() && !TrimCtl(rows[0].FMOD).empty();
  const bool draw2 = !TrimCtl(rows[1].Model).empty() && !TrimCtl(rows[1].FMOD).empty();
  if (!draw1 && !draw2) return;
  if (!IntText(cbVeColor->Text(), rows[0].Color)) {
    cbVeColor->setFocus();
    return;
  }
  if (!IntText(cbVeColor2->Text(), rows[1].Color)) {
    cbVeColor2->setFocus();
    return;
  }
  if (!RealText(edVeXL->Text())) {
    edVeXL->setFocus();
    return;
  }
  if (!RealText(edVeXR->Text())) {
    edVeXR->setFocus();
    return;
  }
  auto find = [&](const TModDrawRow& r, bool Orig) -> TVEMO* {
    if (TrimCtl(r.Model).empty() || TrimCtl(r.FMOD).empty()) return nullptr;
    const int32_t f = ValIntOr0(TrimCtl(r.FMOD));
    const std::string n = TrimCtl(r.Name), m = TrimCtl(r.Model), s = TrimCtl(r.SID);
    return Orig ? Keeper().FindVeMoOrig(n, m, s, f) : Keeper().FindVeMo(n, m, s, f);
  };
  if (!find(rows[0], cbVeOrig->Checked()) && !find(rows[1], cbVe2Orig->Checked())) {
    WARNAbs("Рисование вектора модели: не найден вектор с \r\nNAME="_cp + TrimCtl(rows[0].Name) +
            " MOD=" + TrimCtl(rows[0].Model) + " SID=<" + TrimCtl(rows[0].SID) + ">");
    return;
  }
  std::string msg;
  const std::vector<std::string> d =
      ModelDrawDescr(ParamList(), rows, TrimCtl(edVeXL->Text()), TrimCtl(edVeXR->Text()),
                     cbNameX->Text(), msg);
  if (d.empty()) {
    WARNAbs(msg);
    return;
  }
  LastDescr = d;
  View.XL = ValRealOr0(edVeXL->Text());
  View.XR = ValRealOr0(edVeXR->Text());
  if (const TPhysParamRec* p = ParamList().GetByKey(TrimCtl(draw1 ? rows[0].Name : rows[1].Name));
      p && p->SCALE[1]) {
    View.YMin = p->SCALE[1]->MIN;
    View.YMax = p->SCALE[1]->MAX;
  }
  if (!GRAF) return;
  TGVEMO G;
  G.SetCanvas(&ImageMod->Canvas());
  G.LoadDescr(d, Keeper(), *GRAF);
  ImageMod->update();
}

void TTabModels::ImageModMouseMove(TSender E) {
  double x = 0, y = 0;
  ModelMouseXY(View, E.X, E.Y, ImageMod->width(), ImageMod->height(), x, y);
  lbModX->SetCaption(FSt(0, 3, x));
  lbModY->SetCaption(FSt(0, 3, y));
}

void TTabModels::btImVeClearClick(TSender) {
  platform::TCanvas& C = ImageMod->Canvas();
  C.Brush.Color = TGRAF::IdxToColor(0);
  C.FillRect(TRect{0, 0, ImageMod->Picture().width(), ImageMod->Picture().height()});
  ImageMod->update();
}

void TTabModels::btVe1ClearClick(TSender) {
  std::string msg;
  int32_t f = 0;
  IntText(Setting("VEMOFMOD2"), f);
  VemoDeleteRow2(Keeper(), Shell.VEMOTab().EditedVectors, cbSMod2->Text(), cbName2->Text(),
                 cbFMOD2->Text(), f, msg);
  if (!msg.empty()) WARNAbs(msg);
  FillModelSelectors();
}

void TTabModels::btVeMoUseEdClick(TSender) {
  TVEMO* src = Keeper().FindVeMoOrig(Setting("VEMONAME"), Setting("VEMOsMod"), "",
                                     ValIntOr0(Setting("VEMOFMOD")));
  if (!src) return;
  std::string modif;
  for (const std::string& l : MemoVeMo->Lines()) modif += (modif.empty() ? "" : ";") + l;
  auto v = std::make_unique<TVEMO>();
  v->CopyModif(src, modif);
  if (v->NAME.empty()) return;
  Keeper().AddClone(std::move(v));
  FillModelSelectors();
}

void TTabModels::btVEMOlistClick(TSender) {
  if (EdAssigned(Ed)) Ed->EdLoadSL("LVEMO.RepList " + (App ? App->sQuest : std::string()), Keeper().ReportList().get());
}

void TTabModels::btModRepClick(TSender) {
  auto out = std::make_shared<TStringList>();
  auto made = std::make_shared<bool>(false);
  KeeperJob(
      "PMOD1_REP1",
      [out, made](TJob& J) {
        J.Step(0, 1, "PMOD1_REP1");
        *made = PMOD1_REP1To(*out);
      },
      [this, out, made] {
        if (!*made) return;
        // the report replaces the editor's text: no file name stays behind
        Shell.EdTab().edFile->SetText("");
        if (!EdAssigned(Ed)) return;
        Ed->CurName.clear();
        Ed->EdLoadSL("PMOD1_REP1", out.get());
      });
}
