#include "synthesis/fit/cvFitReports.h"

#include <memory>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvTab.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvTable.h"
#include "models/cvLines.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/profiles/cvUnno.h"
#include "synthesis/transfer/cvVoigt.h"

void VariLineReport(TJob& Job, TStringList* Report) {
  if (!Report) {
    WARNAbs("VariLineReport-Err SLRep Not Assigned!!!");
    return;
  }
  TVARIATOR* V = VariCtx().VARI;
  if (!V) {
    WARNAbs("Рабочий вариатор VARI неопределен!"_cp);
    return;
  }
  const int32_t nk = V->NK;
  for (int32_t k = 1; k <= nk; ++k) {
    if (!Job.Step(k - 1, nk, "VariLineReport K=" + IntStr(k) + "/" + IntStr(nk))) return;
    V->KIdx = k;
    TLiSet& S = Cont().LiSet;
    if (!LoadLinsVARI()) S.Count = 0;
    const int32_t n = std::min(S.Count, int32_t{100});
    for (int32_t i = 1; i <= n; ++i) {
      TLIDA& L = S.Items[static_cast<size_t>(i)].LI;
      if (k == 1 && i == 1) {
        Report->Add("!");
        Report->Add(L.sRepHead());
      }
      if (!(L.GLT == 'N' && L.GUT == 'N')) Models().ZeeSetLine(L);
      Report->Add(L.sRepLine());
    }
    AlignTabSL(Report);
    if (S.Count >= 2) Report->Add("------");
  }
  Job.Step(nk, nk, "VariLineReport");
}

void VoigTable(TStringList& Lines) {
  const double as[5] = {0, 0.005, 0.02, 0.1, 0.5};
  std::string head = "V \\ A = ";
  for (int t = 0; t < 2; ++t)
    for (double a : as) head += " " + FSt(6, 3, a);
  Lines.Clear();
  Lines.Add(head);
  for (int r = 0; r < 41; ++r) {
    // 2.0, 1.9, ... -2.0 (counted, not summed: the middle row is 0, not -1e-16)
    const double v = (20 - r) / 10.0;
    std::string row = FSt(4, 1, v) + "    ";
    for (double a : as) {
      double H = 0, F = 0;
      VoigtHumlicek(a, v, H, F);
      row += " " + FSt(6, 3, H);
    }
    for (double a : as) {
      double H = 0, F = 0;
      VoigtFunc(a, v, H, F);
      row += " " + FSt(6, 3, F);
    }
    Lines.Add(row);
  }
}

std::string ATNILAStr(const std::string& Element, int32_t Stage, double Lamb) {
  const std::string stage =
      (Stage >= 1 && Stage <= 3) ? " " + std::string(static_cast<size_t>(Stage), 'I')
                                 : " " + IntStr(Stage);
  std::string t = PadRight(Element, 2) + stage;
  t = PadRight(t, 6);
  if (t.size() >= 6 && t[5] != ' ') t += " ";
  std::string num = FSt(8, 3, Lamb);
  for (size_t i = num.size(); i > 0 && num[i - 1] == '0'; --i) num[i - 1] = ' ';
  return t + num;
}

std::string GetATNILA(TDM& D, const std::string& Key, double Lamb) {
  if (TrimCtl(Key).empty())
    WARNAbs("Некорректный вызов GetATNILA, LAMB="_cp + ShortSt(8, Lamb));
  std::string element = "**";
  int32_t stage = 1;
  TcvTable t(&D.ADOConnection, "");
  t.SetSQL("SELECT Atom, NIon FROM Lines_ WHERE LIN6 = ?", {TextValue(Key)});
  t.Open();
  if (!t.IsEmpty()) {
    t.First();
    element = t.FieldByName("Atom").AsString();
    stage = static_cast<int32_t>(t.FieldByName("NIon").AsInteger());
  }
  t.Close();
  return ATNILAStr(element, stage, Lamb);
}

bool FillWD(TJob& Job, TDM& D, const std::string& Code, const std::vector<TUNNO*>& Profiles) {
  const std::string question = "Заменить значения полей W"_cp + Code + " и D"_cp + Code +
                               " в БД в справочнике Lines?"_cp + "\r\n" +
                               "Вы должны быть уверены, что расчет проведен для модели "_cp +
                               Code + "!!!";
  if (!Job.Ask(question, false)) return false;
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  TcvTable& T = D.ADOLines_;
  T.Close();
  T.SetFilter("", {});
  T.SetFiltered(false);
  T.Open();
  const int32_t n = static_cast<int32_t>(Profiles.size());
  int32_t written = 0;
  for (int32_t r = 0; r < n; ++r) {
    if (!Job.Step(r, n, "FillWD " + Code)) {
      T.Close();
      return false;  // rolled back
    }
    TUNNO* U = Profiles[static_cast<size_t>(r)];
    if (!U) continue;
    const double d = RoundDec(U->GetD0() * 100, 2);
    const double w = RoundDec(U->EqWidthDef('I'), 2);
    WARN("J=" + PadLeft(IntStr(r), 3) + " LIN6=" + U->sULin);
    if (!T.Locate("LIN6", TextValue(TrimCtl(U->sULin)))) continue;
    T.Edit();
    T.FieldByName("W" + Code).SetAsFloat(w);
    T.FieldByName("D" + Code).SetAsFloat(d);
    T.Post();
    ++written;
    WARN(">>" + PadLeft(IntStr(r), 3) + " LIN6=" + U->sULin + " POST!");
  }
  T.Close();
  tr.Commit();
  Job.Step(n, n, "FillWD " + Code);
  return written > 0;
}

TLink<bool(TJob&, TDM&, const std::string&, const std::vector<TUNNO*>&)>& FillWDLink() {
  static TLink<bool(TJob&, TDM&, const std::string&, const std::vector<TUNNO*>&)> link{"FillWD"};
  return link;
}

void InstallFitServices() {
  FillWDLink().Install(FillWD);
  Synthesis().LineLabel.Install([](const std::string& Id, double Lamb) {
    TDM* D = LineData().Data();
    return D ? GetATNILA(*D, Id, Lamb) : ATNILAStr("**", 1, Lamb);
  });
}
