#include "linedata/cvLLIDA.h"

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "platform/FileErr.h"

namespace {
const std::string kCrLf = "\r\n";
}

void CreateLineLists() {
  if (!LLIDA) LLIDA = new TLLIDA();
  if (!LILast) LILast = new TLIDA();
}

void FreeLineLists() {
  delete LLIDA;
  LLIDA = nullptr;
  delete LILast;
  LILast = nullptr;
}

// ---------------------------------------------------------------- TLLIDA

bool TLLIDA::AddUnique(std::unique_ptr<TLIDA> Line) {
  if (!Line) return false;
  if (Line->sIdK.empty() && Line->LIN6.empty() && Line->sIdL.empty()) return false;
  bool differs = false;
  for (const auto& e : Items) {
    if (!Line->LIN6.empty() && Line->LIN6 == e->LIN6) return false;
    if (!Line->sIdL.empty() && Line->sIdL == e->sIdL) return false;
    if ((!Line->LIN6.empty() && !e->LIN6.empty() && Line->LIN6 != e->LIN6) ||
        (!Line->sIdL.empty() && !e->sIdL.empty() && Line->sIdL != e->sIdL))
      differs = true;
    if (!differs && !Line->sIdK.empty() && Line->sIdK == e->sIdK) return false;
  }
  Items.push_back(std::move(Line));
  return true;
}

TLIDA* TLLIDA::GetATLLLL(const std::string& Key) const {
  for (const auto& e : Items)
    if (e->LIN6 == Key) return e.get();
  return nullptr;
}

TLIDA* TLLIDA::GetKxNNNNNN(const std::string& Id) const {
  for (const auto& e : Items)
    if (e->sIdK == Id) return e.get();
  return nullptr;
}

TLIDA* TLLIDA::GetSIdL(const std::string& Id) const {
  for (const auto& e : Items)
    if (e->sIdL == Id) return e.get();
  return nullptr;
}

TLIDA* TLLIDA::GetAtLine(const std::string& Id) const {
  if (TLIDA* l = GetSIdL(Id)) return l;
  if (TLIDA* l = GetATLLLL(Id)) return l;
  return GetKxNNNNNN(Id);
}

void TLLIDA::ClearAll() {
  while (!Items.empty()) {
    Items.back()->Clear();
    Items.pop_back();
  }
}

std::string TLLIDA::GetFileName() const {
  TLineDataServices& S = LineData();
  return DirSlash(S.ProjectDir()) + "LIDA/" + S.Quest() + ".DAT";
}

namespace {
bool ReferenceQuest() {
  const std::string q = LineData().Quest();
  return q == "d0HMCV" || q == "W_HMCV";
}
}  // namespace

void TLLIDA::Save() {
  if (ReferenceQuest()) return;
  const std::string file = GetFileName();
  if (!ForceFileDir(file)) {
    std::string folder = file.substr(0, file.find_last_of('/') + 1);
    WARNAbs("TLLIDA.Save - не удалось создать директорию "_cp + kCrLf + "<" + folder + ">");
    return;
  }
  if (Items.empty()) {
    if (platform::PathExists(file)) DelFileSS(file);
    return;
  }
  // write-then-rename: a failed write keeps the old dump
  const std::string tmp = file + ".tmp";
  {
    TTextFile f;
    TxtOpen(f, 1, tmp);
    for (const auto& e : Items) f.WriteLn(e->sDump());
    f.Close();
  }
  RenameOver(tmp, file);
}

void TLLIDA::Load() {
  if (ReferenceQuest()) return;
  const std::string file = GetFileName();
  if (!platform::IsRegularFile(file)) return;
  TTextFile f;
  TxtOpen(f, 0, file);
  int32_t n = 0;
  while (!f.Eof()) {
    const std::string s = f.ReadLn();
    ++n;
    if (s.size() < 10) {
      WARNAbs("LLIDA.Load(" + file + ")" + kCrLf + "строка "_cp + IntStr(n) +
              " не содержит данных о линии!"_cp + kCrLf + "<" + s + ">");
      break;
    }
    auto l = std::make_unique<TLIDA>();
    l->LoadSDump(s);
    AddUnique(std::move(l));
  }
}

std::unique_ptr<TStringList> TLLIDA::GetSLDump() const {
  auto sl = std::make_unique<TStringList>();
  for (size_t i = 0; i < Items.size(); ++i) {
    if (!Items[i]->LIk)
      WARNAbs("LLIDA.GetSLDump[" + IntStr(static_cast<int32_t>(i)) + "] LIk Not Assigmed!");
    sl->Add(Items[i]->sDump());
  }
  return sl;
}

std::unique_ptr<TStringList> TLLIDA::SLLamByIds(const TStringList& Keys) const {
  auto sl = std::make_unique<TStringList>();
  for (int32_t k = 0; k < Keys.Count(); ++k)
    for (const auto& e : Items)
      if (e->LIN6 == Keys[k]) sl->Add(FDecSt0(3, e->LAMB));
  return sl;
}

// ---------------------------------------------------------------- descriptions

bool ParseLineSetDesc(const std::string& Caller, const std::string& Desc0, TLineSetDesc& D) {
  D = TLineSetDesc();
  const std::string head = Caller + "(<" + Desc0 + ">)";
  std::string s = TrimSp(Desc0);
  const std::string kNeither =
      " - " + kCrLf + "первым символом должен быть \"&\", чтобы задать участок длин волн!"_cp +
      kCrLf + "либо должны быть две (три) длины волны, "_cp + "разделенные символом \":\"!"_cp;
  auto fail = [&](const std::string& t) {
    WARNAbs(head + t);
    return false;
  };
  if (s.empty()) return fail(" задан пустой sId линии (или диапазона длин волн)!"_cp);
  auto integer = [](const std::string& t, int32_t& v) {
    int32_t c = 0;
    v = ValIntCode(TrimSp(t), c);
    return c == 0 && !TrimSp(t).empty();
  };
  auto real = [](const std::string& t, double& v) {
    int32_t c = 0;
    v = ValRealCode(TrimSp(t), c);
    return c == 0 && !TrimSp(t).empty();
  };
  // "(a+b)"
  int32_t pa = 0, pb = 0;
  bool par = false;
  const size_t open = s.find('(');
  if (open != std::string::npos) {
    const size_t close = s.find(')', open);
    if (close == std::string::npos)
      return fail(" - " + kCrLf + "нет закрывающей круглой скобки!"_cp);
    const std::string in = s.substr(open + 1, close - open - 1);
    s = s.substr(0, open) + s.substr(close + 1);
    const size_t plus = in.find('+');
    if (plus == std::string::npos)
      return fail(" - " + kCrLf + "в конструкции в круглых скобках нет числа со знаком \"+\"!"_cp);
    const std::string a = in.substr(0, plus), b = in.substr(plus + 1);
    if (!integer(a, pa))
      return fail(" - " + kCrLf + "в конструкции в круглых скобках ошибка в <"_cp + a + ">!");
    if (!integer(b, pb))
      return fail(" - " + kCrLf + "в конструкции в круглых скобках ошибка в <"_cp + b + ">!");
    par = true;
  }
  // "-d+u"
  const size_t minus = s.find('-');
  if (minus != std::string::npos) {
    const std::string du = s.substr(minus);
    s = TrimSp(s.substr(0, minus));
    const size_t plus = du.find('+');
    if (plus == std::string::npos)
      return fail(" - " + kCrLf + "в конструкции -ddd+ddd=<"_cp + du +
                  "> нет числа со знаком \"+\"!"_cp);
    const std::string d = du.substr(0, plus), u = du.substr(plus + 1);
    if (!integer(d, D.Down))
      return fail(" - " + kCrLf + "в конструкции <"_cp + du + "> ошибка в <"_cp + d + ">!");
    if (!integer(u, D.Up))
      return fail(" - " + kCrLf + "в конструкции <"_cp + du + "> ошибка в <"_cp + u + ">!");
  }
  if (!s.empty() && s[0] == '&') {
    const std::string t = s.substr(1);
    if (!real(t, D.Lamb))
      return fail(" ввод LAMB - "_cp + kCrLf + "ошибка в конструкции <"_cp + t + ">!");
  } else if (s.find(':') != std::string::npos) {
    std::vector<std::string> parts;
    for (size_t b = 0;;) {
      const size_t e = s.find(':', b);
      parts.push_back(s.substr(b, e == std::string::npos ? std::string::npos : e - b));
      if (e == std::string::npos) break;
      b = e + 1;
    }
    const int32_t n = static_cast<int32_t>(parts.size());
    if (n != 2 && n != 3)
      return fail(kNeither);
    const std::string a = parts.front(), b = parts.back();
    auto bad = [&](const std::string& what, const std::string& t) {
      return fail(what + kCrLf + "в конструкции <"_cp + s + "> ошибка в <"_cp + t + ">!");
    };
    if (!real(a, D.Lam1)) return bad(" ввод LAM1 - "_cp, a);
    if (n == 3) {
      const std::string m = parts[1];
      if (!real(m, D.Lamb)) return bad(" ввод LAMB - "_cp, m);
    }
    if (!real(b, D.Lam2)) return bad(" ввод LAM2 - "_cp, b);
  } else {
    return fail(kNeither);
  }
  if (par) {
    D.ParA = D.Lamb + pa / 1000.0;
    D.ParB = D.Lamb + pb / 1000.0;
  }
  if (D.Lam1 == 0 && D.Down != 0) D.Lam1 = D.Lamb + D.Down / 1000.0;
  if (D.Lam2 == 0 && D.Up != 0) D.Lam2 = D.Lamb + D.Up / 1000.0;
  return true;
}

// ---------------------------------------------------------------- TLiSet

void TLiSet::Clear() {
  for (TLINEDATA& d : Items) d.Clear();
  Count = 0;
}

bool TLiSet::Load(const std::string& Desc, double& Wavelength) {
  std::lock_guard<std::recursive_mutex> lock(LineLoadLock());
  TLineSetDesc d;
  if (!ParseLineSetDesc("TLiSet.Load", Desc, d)) return false;
  Wavelength = d.Lamb;
  Clear();
  std::vector<TLIDA> got;
  bool full = false;
  auto collect = [&](double Lo, double Hi) {
    LwCollect(Lo, Hi, [&](TLIDA& L) {
      if (static_cast<int32_t>(got.size()) >= 4 * MaxLines) {
        full = true;
        return;
      }
      got.push_back(L);
    });
  };
  const bool noRange = d.Lam1 == 0 && d.Lam2 == 0;
  if (d.Lamb != 0 && noRange) {
    collect(d.Lamb - 1.5, d.Lamb + 1.5);
    double best = -1;
    for (const TLIDA& L : got)
      if (L.LAMB >= d.Lamb - 0.1 && L.LAMB <= d.Lamb + 0.2 && L.WHM + L.WCV > best) {
        best = L.WHM + L.WCV;
        Wavelength = L.LAMB;
      }
    Lamb = Wavelength;
    const double h = (HalfWidthX * 5 + 100) / 1000;
    LambLo = Lamb - h;
    LambHi = Lamb + h;
  } else if (d.Lamb == 0 && d.Lam1 != 0 && d.Lam2 != 0) {
    collect(d.Lam1, d.Lam2);
    double best = 0;
    for (const TLIDA& L : got)
      if (L.WHM + L.WCV > best) {
        best = L.WHM + L.WCV;
        Wavelength = L.LAMB;
      }
    Lamb = Wavelength;
    LambLo = d.Lam1;
    LambHi = d.Lam2;
  } else {
    collect(d.Lam1, d.Lam2);
    Lamb = d.Lamb;
    LambLo = d.Lam1;
    LambHi = d.Lam2;
  }
  for (const TLIDA& L : got) {
    if (L.LAMB < LambLo || L.LAMB > LambHi) continue;
    if (Count >= MaxLines) {
      full = true;
      break;
    }
    ++Count;
    Items[static_cast<size_t>(Count)].LI.LoadClone(L);
  }
  if (full)
    WARNAbs("TLiSet.Load(<" + Desc + ">) - в наборе не более "_cp + IntStr(MaxLines) +
            " линий, остальные не взяты"_cp);
  return true;
}

std::string TLiSet::GetText() const {
  auto text = [](const TLIDA& L) {
    std::string key = L.LIN6;
    if (!key.empty() && !L.sIdK.empty()) key += "|" + L.sIdK;
    if (!key.empty() && !L.sIdL.empty()) key += "|" + L.sIdL;
    if (key.empty()) key = !L.sIdK.empty() ? L.sIdK : L.sIdL;
    return "<" + key + "> " + FSt(8, 4, L.LAMB) + " " + PadRight(SpeciesText(L.AT, L.NIon), 4) +
           " " + FSt(6, 3, L.ELOW) + FSt(7, 3, L.LGGF) + " " + FSt(4, 1, L.WHM) + " " +
           FSt(4, 1, L.WCV);
  };
  if (Count == 1) return text(Items[1].LI);
  std::string o;
  for (int32_t i = 1; i <= Count; ++i) {
    const TLIDA& L = Items[static_cast<size_t>(i)].LI;
    if (L.NHFS != 0 && L.Show != 1) continue;
    if (!o.empty()) o += kCrLf;
    o += text(L);
  }
  return o;
}

// ---------------------------------------------------------------- reference-model runs

bool CalcLineDepths(TLIDA& Line, double& DHM, double& DCV) {
  CreateLineLists();
  DHM = DCV = 0;
  LILast->LoadClone(Line);
  const bool ran = LineData().RunVARI("d0HMCV", Line, DHM, DCV);
  if (ran) {
    Line.DHM = DHM * 100;
    Line.DCV = DCV * 100;
  }
  LILast->LoadClone(Line);
  return ran;
}

bool CalcLineWidths(TLIDA& Line, double& WHM, double& WCV) {
  CreateLineLists();
  WHM = WCV = 0;
  LILast->LoadClone(Line);
  const bool ran = LineData().RunVARI("W_HMCV", Line, WHM, WCV);
  if (ran) {
    Line.WHM = WHM;
    Line.WCV = WCV;
  }
  LILast->LoadClone(Line);
  return ran;
}

void CalcLineDepthsById(const std::string& Id, double& DHM, double& DCV) {
  CreateLineLists();
  if (LILast->sIdK == Id) {
    TLIDA L(*LILast);
    CalcLineDepths(L, DHM, DCV);
    return;
  }
  if (TLIDA* e = LLIDA->GetKxNNNNNN(Id)) {
    CalcLineDepths(*e, DHM, DCV);
    return;
  }
  TLIDA L;
  L.LIK_load_from_TXT(Id);
  CalcLineDepths(L, DHM, DCV);
}

double LineDepthSum(const std::string& Id) {
  double a = 0, b = 0;
  CalcLineDepthsById(Id, a, b);
  return a + b;
}
