#include "synthesis/pictures/cvCora.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/cvModServices.h"
#include "platform/Canvas.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"
#include "synthesis/pictures/cvPicReader.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

int32_t NOf(const TARe& A) { return A.empty() ? 0 : static_cast<int32_t>(A.size()) - 1; }

std::string Num(double x) { return ShortSt(6, x); }

bool KnownPar(const std::string& P) {
  static const char* const kWords[] = {"RI",  "RQ",  "RU",  "RV", "I+Q",
                                       "I-Q", "I+V", "I-V", "BI", "I/L"};
  for (const char* w : kWords)
    if (P == w) return true;
  return false;
}

// The combination over the stored points (a half profile keeps its one wing).
void StoredPar(const TUNNO& U, const std::string& P, TARe& Y) {
  const int32_t n = U.NDL;
  Y.assign(static_cast<size_t>(n) + 1, 0.0);
  auto at = [](const TARe& A, int32_t i) { return i < static_cast<int32_t>(A.size()) ? A[i] : 0.0; };
  for (int32_t i = 1; i <= n; ++i) {
    const double I = at(U.UI, i), Q = at(U.UQ, i), Uu = at(U.UU, i), V = at(U.UV, i);
    double y = I;
    if (P == "RQ") y = Q;
    else if (P == "RU") y = Uu;
    else if (P == "RV") y = V;
    else if (P == "I+Q") y = I + Q;
    else if (P == "I-Q") y = I - Q;
    else if (P == "I+V") y = I + V;
    else if (P == "I-V") y = I - V;
    Y[i] = y;
  }
}

// Keeps drawing inside the viewport while it lives.
class TClipToView {
 public:
  explicit TClipToView(TGRAF& G) : c_(G.Canvas) {
    if (!c_) return;
    saved_ = c_->ClipRect();
    const TRect& R = G.ViewRect;
    TRect v{std::max(R.Left, saved_.Left), std::max(R.Top, saved_.Top),
            std::min(R.Right + 1, saved_.Right), std::min(R.Bottom + 1, saved_.Bottom)};
    if (v.Right < v.Left) v.Right = v.Left;
    if (v.Bottom < v.Top) v.Bottom = v.Top;
    c_->SetClipRect(v);
  }
  ~TClipToView() {
    if (c_) c_->SetClipRect(saved_);
  }
  TClipToView(const TClipToView&) = delete;
  TClipToView& operator=(const TClipToView&) = delete;

 private:
  platform::TCanvas* c_;
  TRect saved_;
};

void NoteView(const TGRAF& G, TPlotDone* D) {
  if (!D) return;
  D->PixLeft = G.ViewRect.Left;
  D->PixRight = G.ViewRect.Right;
  D->PixTop = G.ViewRect.Top;
  D->PixBottom = G.ViewRect.Bottom;
}

std::string ProfText(const std::string& Q, int32_t IQ) { return Q + "." + IntStr(IQ); }

}  // namespace

// ---------------------------------------------------------------- TOneProf

std::string TOneProf::Name() const {
  std::string s = std::string(1, Kind) + " " + ProfText(QUEST, IQ) + " K" + IntStr(KProf);
  if (Kind == 'S' || Kind == 's' || Kind == 'A' || Kind == 'a')
    s += " " + ProfText(QUEST2, IQ2) + " K" + IntStr(KProf2);
  return s + " " + PAR;
}

namespace {

std::unique_ptr<TOneProf> ParseLine(const std::string& Line, bool Loud) {
  auto P = std::make_unique<TOneProf>();
  const int32_t nw = WordCount(Line);
  int32_t k = 1;
  auto word = [&]() { return k <= nw ? WordN(Line, k++) : std::string(); };
  auto bad = [&](const char* What, const std::string& W) {
    if (Loud)
      WARNAbs("Ошибка при разборе профиля из строки\r\n<"_cp + Line + ">" + "\r\n" +
              "ошибка в числе "_cp + What + " = <" + W + ">");
    return false;
  };
  auto integer = [&](const char* What, int32_t& V) {
    const std::string w = word();
    int32_t code = 0;
    V = w.empty() ? 0 : ValIntCode(w, code);
    return (!w.empty() && code == 0) || bad(What, w);
  };
  auto real = [&](const char* What, double& V) {
    const std::string w = word();
    int32_t code = 0;
    V = w.empty() ? 0 : ValRealCode(w, code);
    return (!w.empty() && code == 0) || bad(What, w);
  };
  auto colour = [&](const char* What, uint32_t& C) {
    const std::string w = word();
    return ParseColor(w, C) || bad(What, w);
  };
  const std::string kind = word();
  if (kind.empty()) return nullptr;
  P->Kind = kind[0];
  const bool two = P->Kind == 'S' || P->Kind == 's';
  P->QUEST = word();
  if (!integer("IQ", P->IQ)) return nullptr;
  if (two) {
    P->QUEST2 = word();
    if (!integer("IQ2", P->IQ2)) return nullptr;
  }
  if (!integer("KProf", P->KProf)) return nullptr;
  if (two && !integer("KProf2", P->KProf2)) return nullptr;
  P->PAR = word();
  if (!real("BGauss", P->BGauss) || !real("X1", P->X1) || !real("X2", P->X2) ||
      !real("Y1", P->Y1) || !real("Y2", P->Y2) || !real("XMax", P->XMax) ||
      !real("YMax", P->YMax) || !colour("FuncColor", P->FuncColor) ||
      !integer("JKadr", P->JKadr))
    return nullptr;
  return P;
}

}  // namespace

std::unique_ptr<TOneProf> TOneProf::Parse(const std::string& Line) { return ParseLine(Line, true); }
std::unique_ptr<TOneProf> TOneProf::TryParse(const std::string& Line) {
  return ParseLine(Line, false);
}

std::unique_ptr<TStringList> TFrameDone::Report() const {
  auto L = std::make_unique<TStringList>();
  for (const TPlotDone& p : Plots) {
    std::string s = "frame " + IntStr(Frame) + " plot " + p.Name + " view " +
                    std::string(1, p.VWKind) + " " + Num(p.V1) + " " + Num(p.V2) + " " +
                    Num(p.V3) + " " + Num(p.V4) + " px " + IntStr(p.PixLeft) + ".." +
                    IntStr(p.PixRight) + " x " + IntStr(p.PixTop) + ".." + IntStr(p.PixBottom);
    if (p.Problem.empty()) {
      s += " x " + Num(p.WX1) + ".." + Num(p.WX2) + " y " + Num(p.WY1) + ".." + Num(p.WY2) +
           " points";
      for (int32_t n : p.Points) s += " " + IntStr(n);
    } else {
      s += " empty: " + p.Problem;
    }
    L->Add(s);
  }
  return L;
}

// ---------------------------------------------------------------- viewports

void CellViewport(int32_t NCol, int32_t NRow, double StepX, double StepY, double MarginX,
                  double MarginY, int32_t Cell, double& X1, double& X2, double& Y1, double& Y2) {
  if (NCol < 1) NCol = 1;
  if (NRow < 1) NRow = 1;
  const int32_t col = (Cell - 1) % NCol + 1, row = (Cell - 1) / NCol + 1;
  const double a = (100 - 2 * MarginX) / ((NCol - 1) * StepX + 100);
  X1 = (col - 1) * StepX * a + MarginX;
  X2 = X1 + 100 * a;
  const double b = (100 - 2 * MarginY) / ((NRow - 1) * StepY + 100);
  Y1 = 100 - ((row - 1) * StepY * b + MarginY);
  Y2 = Y1 - 100 * b;
}

// ---------------------------------------------------------------- RAGR

bool RAGR(TGRAF& G, TUNNO& U, const std::string& PAR, uint32_t Color, uint32_t GridColor,
          double YMax, double XMax, double XRight, TPlotDone* Done) {
  auto problem = [&](const std::string& T) {
    if (Done) Done->Problem = T;
    return false;
  };
  NoteView(G, Done);
  if (XMax == 0 && XRight == 0) {
    WARN("RAGR Err: XG=0 - неверно заданы границы по X"_cp);
    return problem("RAGR Err: XG=0 - неверно заданы границы по X"_cp);
  }
  Sayer->ChanLog(-1, "==RAGR " + PAR);
  if (!KnownPar(PAR)) return problem("RAGR недопустимый параметр Стокса PAR="_cp + PAR);
  if (U.NDL < 1 || U.UL.empty() || (U.UI.empty() && PAR != "BI"))
    return problem("CORA.PROS вектор MSTOKES Not Assigned!");
  const bool intensity = PAR.find('I') != std::string::npos && PAR != "I/L" && U.KDif != 1;
  const bool absolute = U.ChDL == 'A';
  TARe X, Y;
  bool mirror = false;
  if (PAR == "BI") {
    if (NOf(U.YInt) < 2) U.Bisector();
    const int32_t n = std::min(NOf(U.YInt), NOf(U.BiSec));
    X.assign(static_cast<size_t>(n) + 1, 0.0);
    Y.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) {
      X[i] = U.BiSec[i] == 0 ? NAN : U.BiSec[i];
      Y[i] = U.YInt[i];
    }
  } else if (PAR == "I/L") {
    TARe s, m;
    U.GetDerivI(s, m);
    const int32_t n = std::min(NOf(s), NOf(m));
    X.assign(static_cast<size_t>(n) + 1, 0.0);
    Y.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) {
      X[i] = m[i];
      Y[i] = s[i] * 0.01;
    }
    mirror = !absolute && n >= 1 && std::fabs(U.UL[1]) <= 1e-4 && U.KSym == 1;
  } else if (absolute && U.KSym == 1) {
    // a half profile on absolute wavelengths: its full form, V turned on the mirrored wing
    U.GetFullLam(X);
    TARe s, v;
    StoredPar(U, PAR, s);
    StoredPar(U, "RV", v);
    const int32_t n = U.NDL;
    Y.assign(X.size(), 0.0);
    if (NOf(X) == 2 * n - 1) {
      Y[n] = PAR == "I+V" || PAR == "I-V" ? s[1] - (PAR == "I+V" ? v[1] : -v[1]) : s[1];
      for (int32_t i = 2; i <= n; ++i) {
        Y[n - 1 + i] = s[i];
        Y[n + 1 - i] = PAR == "RV" ? -s[i] : PAR == "I+V" ? s[i] - 2 * v[i]
                                         : PAR == "I-V" ? s[i] + 2 * v[i] : s[i];
      }
    }
  } else {
    X = U.UL;
    X.resize(static_cast<size_t>(U.NDL) + 1);
    StoredPar(U, PAR, Y);
    mirror = std::fabs(X[1]) <= 1e-4;
  }
  if (Y.size() != X.size()) return problem("CORA.PROS вектор MSTOKES Not Assigned!");
  if (PAR != "BI" && U.KCONT != 1 && std::fabs(U.CONT) > 1e-4 && std::fabs(U.CONT - 1) > 1e-4)
    for (double& y : Y) y /= U.CONT;
  // x range: offsets in A from XMax to XRight (or -XMax)
  double x1 = XMax / 1000, x2 = XRight != 0 ? XRight / 1000 : -XMax / 1000;
  if (absolute) {
    x1 += U.LAMB;
    x2 += U.LAMB;
  }
  const double y1 = intensity ? 100 - YMax : -YMax, y2 = intensity ? 100 : YMax;
  G.WINDOW(x1, x2, y1, y2);
  if (Done) {
    Done->WX1 = x1;
    Done->WX2 = x2;
    Done->WY1 = y1;
    Done->WY2 = y2;
  }
  TClipToView clip(G);
  G.SetGColor(GridColor);
  G.PointGrid(std::min(x1, x2), std::max(x1, x2), 0.04, std::min(y1, y2), std::max(y1, y2), 5);
  G.SetGColor(0xFFFFFF);
  G.SetGColor(Color);
  // PROS: the curve, and the mirror of a half profile from its centre
  for (size_t i = 1; i < Y.size(); ++i) Y[i] *= 100;
  G.CURV(&X, &Y, 0);
  if (Done) Done->Points.push_back(NOf(X));
  if (mirror) {
    const bool flip = PAR == "RV";
    TARe MX(X.size()), MY(Y.size());
    for (size_t i = 1; i < X.size(); ++i) {
      MX[i] = -X[i];
      MY[i] = flip ? -Y[i] : Y[i];
    }
    G.MOVEW(0, Y[1]);
    G.CURV(&MX, &MY, 0);
    if (Done) Done->Points.push_back(NOf(MX));
  }
  G.SetGColor(0xFFFFFF);
  return true;
}

bool RAGRAuto(TGRAF& G, TUNNO& U, const std::string& PAR, uint32_t Color, uint32_t GridColor,
              TPlotDone* Done) {
  const double y = 100 * U.GetAmpl(PAR);
  double first = U.UL.size() > 1 ? U.UL[1] : 0, last = U.NDL >= 1 && NOf(U.UL) >= U.NDL ? U.UL[U.NDL] : 0;
  if (U.ChDL == 'A') {
    if (U.KSym == 1) first = 2 * U.UL[1] - last;
    first -= U.LAMB;
    last -= U.LAMB;
  }
  return RAGR(G, U, PAR, Color, GridColor, y, last * 1000, first * 1000, Done);
}

void UnnoDraw(TGRAF& G, TUNNO& U, const std::string& Word, char Kind, double a, double b,
              double c, double d, TPlotDone* Done) {
  if (ChanOn(1)) Sayer->ChanLog(1, "UNNO.Draw");
  switch (Kind) {
    case '0': G.VIPO10(a, b, c, d); break;
    case 'M': G.VIPOMM(a, b, c, d); break;
    case 'P': G.VIPOPOR(a, b, c, d); break;
    default: break;
  }
  G.SetGColor(0xFFFF);
  G.FrameView();
  if (!RAGRAuto(G, U, Word, 0xFFFF, 0x808080, Done) && Done && !Done->Problem.empty())
    WARNAbs("UNNO.Draw: " + Done->Problem);
}

// ---------------------------------------------------------------- TCORA

TCORA::TCORA() { SetDefaults(); }

void TCORA::SetDefaults() {
  NProf = 0;
  ScaleKind = 'X';
  NKadr = 1;
  KKadr = 1;
  Dir = 1;
  Interval = 0;
  ColBack = 0xFFFFFF;
  ColGrid = 0x808080;
  ColFunc = 0;
  XMax = 240;
  YMax = 100;
  XRight = 0;
  Vma = 0;
  VmaUnit = "km/s";
  NCol = NRow = 1;
  StepX = StepY = 100;
  MarginX = MarginY = 0;
  KDef = 1;
  Names.clear();
  LKadr.clear();
}

std::vector<std::unique_ptr<TOneProf>>& TCORA::GetKadr(int32_t i) {
  if (i < 1) i = 1;
  while (static_cast<int32_t>(LKadr.size()) < i) LKadr.emplace_back();
  return LKadr[static_cast<size_t>(i) - 1];
}

std::string TCORA::FrameLabel() const { return IntStr(KKadr) + "/" + IntStr(NKadr); }

void TCORA::Tick() {
  if (Dir != -1) Dir = 1;
  if (Dir == 1) {
    if (++KKadr > NKadr) {
      KKadr = NKadr;
      Dir = -1;
    }
  } else if (--KKadr < 1) {
    KKadr = 1;
    Dir = 1;
  }
}

void TCORA::StepLeft() {
  if (--KKadr < 1) KKadr = NKadr;
}

void TCORA::StepRight() {
  if (++KKadr > NKadr) KKadr = 1;
}

void TCORA::ReadScale(TPicReader& R) {
  if (!R.NextLine()) R.Fail("нет строки заголовка"_cp);
  NProf = R.Int("NProf");
  const std::string kind = R.Word();
  const char k = kind.empty() ? ' ' : static_cast<char>(UpCaseCyr(kind[0]));
  if (k != 'M' && k != 'O' && k != 'P') R.Fail("Тип масштаба должен быть M,O или P"_cp);
  ScaleKind = k;
  NKadr = R.Int("NKadr");
  if (NKadr < 1) R.Fail("число кадров должно быть не меньше 1"_cp);
  Interval = R.Int("Interval");
  ColBack = R.Color("ColBack");
  ColGrid = R.Color("ColGrid");
}

void TCORA::FillKadrs(TPicReader& R) {
  LKadr.clear();
  for (int32_t n = 1; n <= NProf; ++n) {
    if (!R.NextLine()) {
      R.LastWord.clear();
      R.Fail("Строки профиля с номером "_cp + IntStr(n) + " не найдено!"_cp);
    }
    auto P = std::make_unique<TOneProf>();
    const std::string kind = R.Word();
    P->Kind = kind[0];
    if (std::string("OSsAa").find(P->Kind) == std::string::npos)
      R.Fail("Err Cora.FillKadrs ICONT="_cp + IntStr(n) + " РЕЖИМ = "_cp + kind +
             " не в ходит в разрешенный список \"OSsAa\""_cp);
    SplitQuestStep(R.Word(), P->QUEST, P->IQ);
    P->KProf = R.Int("KProf");
    if (P->Kind != 'O') {
      SplitQuestStep(R.Word(), P->QUEST2, P->IQ2);
      P->KProf2 = R.Int("KProf2");
    }
    P->PAR = R.Word();
    P->BGauss = R.Real("BGauss");
    P->BUnit = "mA";
    P->X1 = R.Real("X1");
    P->X2 = R.Real("X2");
    P->Y1 = R.Real("Y1");
    P->Y2 = R.Real("Y2");
    P->XMax = R.Real("XMax");
    P->YMax = R.Real("YMax");
    P->FuncColor = R.Color("FuncColor");
    P->JKadr = R.Int("JKadr");
    if (P->JKadr < 1 || P->JKadr > 10000) R.Fail("недопустимый номер кадра"_cp);
    P->XRight = 0;
    P->VWKind = 0;
    GetKadr(P->JKadr).push_back(std::move(P));
  }
}

void TCORA::ReadFile(const std::string& AFileName) {
  TPicReader R;
  R.Open(AFileName, "CORA.ReadAndDrow");
  ReadScale(R);
  FillKadrs(R);
  if (static_cast<int32_t>(LKadr.size()) > NKadr) NKadr = static_cast<int32_t>(LKadr.size());
  FileName = AFileName;
  KKadr = NKadr > 1 ? 0 : 1;
  Dir = 1;
}

void TCORA::ReadDescr(const std::string& AFileName) {
  TPicReader R;
  R.Open(AFileName, "CORA.ReadDescr");
  SetDefaults();
  GetKadr(1);
  ReadSG(R);
  FileName = AFileName;
}

void TCORA::ReadDescrLines(const std::vector<std::string>& Lines, const std::string& Name) {
  TPicReader R;
  R.OpenLines(Lines, Name, "CORA.ReadDescr");
  SetDefaults();
  GetKadr(1);
  ReadSG(R);
  FileName = Name;
}

void TCORA::ReadSG(TPicReader& R) {
  auto unitOf = [](const std::string& W) {
    const std::string u = UpCaseStrCyr(W);
    return u == "MA" || u == "МА"_cp ? std::string("mA") : std::string("km/s");
  };
  while (R.NextLine()) {
    const std::string key = R.Word();
    if (key == "#SG_HEAD") {
      NKadr = R.Int("NKadr");
      if (NKadr < 1 || NKadr > 10000) R.Fail("недопустимое число кадров"_cp);
      Interval = R.Int("Interval");
      ColBack = R.Color("ColBack");
      ColGrid = R.Color("ColGrid");
      GetKadr(NKadr);
    } else if (key == "#SG_NAMES") {
      for (std::string w = R.Word(); !w.empty(); w = R.Word()) Names.push_back(w);
    } else if (key == "#SG_VWX") {
      NCol = R.Int("NCol");
      NRow = R.Int("NRow");
      if (NCol < 1 || NRow < 1) R.Fail("число столбцов и строк должно быть не меньше 1"_cp);
      StepX = R.Real("StepX");
      StepY = R.Real("StepY");
      MarginX = R.Real("MarginX");
      MarginY = R.Real("MarginY");
    } else if (key == "#SG_WV") {
      XMax = R.Real("XMax");
      YMax = R.Real("YMax");
      XRight = R.AtEnd() ? 0 : R.Real("XRight");
    } else if (key == "#SG_C") {
      ColFunc = R.Color("#SG_C");
    } else if (key == "#SG_K") {
      KDef = R.Int("#SG_K");
      if (KDef < 1 || KDef > 10000) R.Fail("недопустимый номер кадра"_cp);
    } else if (key == "#SG_VMA") {
      Vma = R.Real("#SG_VMA");
      VmaUnit = unitOf(R.Word());
    } else if (key == "#SG") {
      auto P = std::make_unique<TOneProf>();
      const std::string kind = R.Word();
      if (kind.size() != 1 || (kind[0] != 'O' && kind[0] != 'S'))
        R.Fail("[" + kind + "] - неизвестный тип графика профилей Стокса"_cp);
      P->Kind = kind[0];
      auto profile = [&](std::string& Q, int32_t& IQ) {
        const std::string w = R.Word();
        if (w.find('.') != std::string::npos) {
          SplitQuestStep(w, Q, IQ);
          return;
        }
        int32_t code = 0;
        const int32_t n = w.empty() ? 0 : ValIntCode(w, code);
        if (w.empty() || code != 0) R.Fail("Ошибка в числе!"_cp);
        if (n < 1 || n > static_cast<int32_t>(Names.size()))
          R.Fail("Номер Quest "_cp + IntStr(n) + " превосходит "_cp +
                 IntStr(static_cast<int32_t>(Names.size())) + " число Quest-ов в списке"_cp);
        SplitQuestStep(Names[static_cast<size_t>(n) - 1], Q, IQ);
      };
      profile(P->QUEST, P->IQ);
      P->KProf = R.Int("KProf");
      if (P->Kind == 'S') {
        profile(P->QUEST2, P->IQ2);
        P->KProf2 = R.Int("KProf2");
      }
      P->PAR = R.Word();
      P->BGauss = Vma;
      P->BUnit = VmaUnit;
      P->XMax = XMax;
      P->YMax = YMax;
      P->XRight = XRight;
      P->FuncColor = ColFunc;
      P->JKadr = KDef;
      P->NCol = NCol;
      P->NRow = NRow;
      P->StepX = StepX;
      P->StepY = StepY;
      P->MarginX = MarginX;
      P->MarginY = MarginY;
      bool view = false;
      std::string w = R.Word();
      if (!w.empty() && w[0] != '#') {
        int32_t code = 0;
        P->BGauss = ValRealCode(w, code);
        if (code != 0)
          R.Fail("Число ["_cp + w + "] должно содержать величину замытия в км/с или мА"_cp);
        w = R.Word();
        if (!w.empty() && w[0] != '#') {
          P->BUnit = unitOf(w);
          w = R.Word();
        }
      }
      for (; !w.empty(); w = R.Word()) {
        if (w == "#VWO" || w == "#VWM" || w == "#VWP") {
          P->VWKind = w[3];
          P->X1 = R.Real("X1");
          P->X2 = R.Real("X2");
          P->Y1 = R.Real("Y1");
          P->Y2 = R.Real("Y2");
          view = true;
        } else if (w == "#VWX") {
          P->VWKind = 'X';
          P->Cell = R.Int("Cell");
          if (P->Cell < 1 || P->Cell > NCol * NRow)
            R.Fail("номер клетки вне сетки #SG_VWX"_cp);
          view = true;
        } else if (w == "#WV") {
          P->XMax = R.Real("XMax");
          P->YMax = R.Real("YMax");
          P->XRight = 0;
          size_t save = static_cast<size_t>(R.Pos);
          const std::string nxt = R.Word();
          if (!nxt.empty() && nxt[0] != '#') {
            int32_t code = 0;
            P->XRight = ValRealCode(nxt, code);
            if (code != 0) R.Fail("ошибка в числе XRight = <"_cp + nxt + ">");
          } else {
            R.Pos = static_cast<int32_t>(save);
          }
        } else if (w == "#C") {
          P->FuncColor = R.Color("#C");
        } else if (w == "#K") {
          P->JKadr = R.Int("#K");
          if (P->JKadr < 1 || P->JKadr > 10000) R.Fail("недопустимый номер кадра"_cp);
        } else {
          R.Fail("неизвестное слово в строке #SG"_cp);
        }
      }
      if (!view) R.Fail("Не найден режим видовой операции #VW-O/M/P/X"_cp);
      GetKadr(P->JKadr).push_back(std::move(P));
    }
  }
  if (static_cast<int32_t>(LKadr.size()) > NKadr) NKadr = static_cast<int32_t>(LKadr.size());
  KKadr = 1;
  Dir = 1;
}

void TCORA::Viewport(const TOneProf& P, TGRAF& G, TPlotDone& D) const {
  const char k = P.VWKind ? P.VWKind : ScaleKind;
  D.VWKind = k;
  D.V1 = P.X1;
  D.V2 = P.X2;
  D.V3 = P.Y1;
  D.V4 = P.Y2;
  switch (k) {
    case 'P': G.VIPOPOR(P.X1, P.X2, P.Y1, P.Y2); break;
    case 'M': G.VIPOMM(P.X1, P.X2, P.Y1, P.Y2); break;
    case 'X':
      CellViewport(P.NCol, P.NRow, P.StepX, P.StepY, P.MarginX, P.MarginY, P.Cell, D.V1, D.V2,
                   D.V3, D.V4);
      G.VIPOPC(D.V1, D.V2, D.V3, D.V4);
      break;
    default: G.VIPOPC(P.X1, P.X2, P.Y1, P.Y2); break;
  }
  NoteView(G, &D);
}

namespace {

// Half the difference of two intensity profiles over the second one's mean depression in a slit
// of width W (mA) around each point, bounded to -0.5 .. 0.5; a difference profile.
void SlitProfile(const TUNNO& U1, const TUNNO& U2, double WmA, TUNNO& Out) {
  Out.CopyFrom(U1);
  Out.KDif = 1;
  Out.KCONT = 1;
  Out.CONT = 1;
  TARe L, I2, I1;
  U2.GetUL(L);
  U2.CopyUFull('I', I2);
  U1.CopyUFull('I', I1);
  const int32_t n = std::min({NOf(L), NOf(I2), NOf(I1)});
  const double w = WmA / 1000;
  auto dep = [&](int32_t i) { return 1 - U2.Rel(I2[i]); };
  TARe R(static_cast<size_t>(n) + 1, 0.0);
  for (int32_t i = 1; i <= n; ++i) {
    const double a = L[i] - w / 2, b = L[i] + w / 2;
    double area = 0;
    for (int32_t j = 1; j < n; ++j) {
      const double l = std::max(a, L[j]), r = std::min(b, L[j + 1]);
      if (r <= l || L[j + 1] <= L[j]) continue;
      const double t1 = (l - L[j]) / (L[j + 1] - L[j]), t2 = (r - L[j]) / (L[j + 1] - L[j]);
      const double d1 = dep(j) + t1 * (dep(j + 1) - dep(j)), d2 = dep(j) + t2 * (dep(j + 1) - dep(j));
      area += (r - l) * (d1 + d2) / 2;
    }
    const double e = area / w;
    const double v = e != 0 ? (U1.Rel(I1[i]) - U2.Rel(I2[i])) / 2 / e : 0;
    R[i] = std::clamp(v, -0.5, 0.5);
  }
  Out.KSym = 2;
  Out.UL = L;
  Out.UL.resize(static_cast<size_t>(n) + 1);
  Out.NDL = n;
  Out.UI = R;
  Out.UQ.assign(R.size(), 0.0);
  Out.UU.assign(R.size(), 0.0);
  Out.UV.assign(R.size(), 0.0);
  Out.K4 = 1;
}

}  // namespace

TPlotDone TCORA::DrawOne(const TOneProf& P, TLUNNO& List, TGRAF& G) {
  TPlotDone D;
  D.Name = P.Name();
  const std::string who = "CORA " + P.Name() + ": ";
  auto problem = [&](const std::string& T) {
    D.Problem = T;
    WARNAbs(who + T);
    return D;
  };
  try {
    Viewport(P, G, D);
    auto fetch = [&](const std::string& Q, int32_t IQ, int32_t K, std::string& Why) -> TUNNO* {
      TUNNO* U = IQ >= 1 ? List.GetByVar(Q, IQ, K) : nullptr;
      if (!U)
        Why = IQ >= 1 && List.CountQuest(Q, IQ) > 0
                  ? "CORA профиля №"_cp + IntStr(K) + " в наборе "_cp + ProfText(Q, IQ) +
                        " не существует!"_cp
                  : "CORA: Ни одного профиля в набор "_cp + ProfText(Q, IQ) + " не загружено!"_cp;
      return U;
    };
    std::string why;
    TUNNO* U1 = fetch(P.QUEST, P.IQ, P.KProf, why);
    if (!U1) return problem(why);
    if (P.Kind == 'O') {
      if (P.BGauss != 0) {
        TUNNO B;
        if (P.BUnit == "km/s") B.CloneBlurKM(*U1, U1->IQ + 1, P.BGauss);
        else B.CloneBlurMA(*U1, U1->IQ + 1, P.BGauss);
        if (!RAGR(G, B, P.PAR, P.FuncColor, ColGrid, P.YMax, P.XMax, P.XRight, &D))
          return problem(D.Problem);
      } else if (!RAGR(G, *U1, P.PAR, P.FuncColor, ColGrid, P.YMax, P.XMax, P.XRight, &D)) {
        return problem(D.Problem);
      }
      return D;
    }
    if (std::string("AaSs").find(P.Kind) == std::string::npos)
      return problem("CORA.DrawOne: пока что ChStoGra (One/Add/Sub) не может отличаться от \"O\"!!!"_cp);
    TUNNO* U2 = fetch(P.QUEST2, P.IQ2, P.KProf2, why);
    if (!U2) return problem(why);
    if (P.Kind != 'S') {
      if (U1->NDL != U2->NDL)
        return problem("NLAMB разное в "_cp + P.QUEST + " и "_cp + P.QUEST2);
      if (!EqUN(*U1, *U2).empty())
        return problem("массивы DL разные в "_cp + P.QUEST + " и "_cp + P.QUEST2);
    }
    TUNNO C;
    if (P.Kind == 'A' || P.Kind == 'a') {
      C.Sum({U1, U2});
    } else if (P.Kind == 'S') {
      if (printing_ || (TUNNO::EqLayout(*U1, *U2).empty() && EqUN(*U1, *U2).empty())) {
        C.Dif(*U1, *U2);
        if (printing_ && ChanOn(26)) {
          const std::string t = DirSlash(Models().Root()) + "TEST/";
          ForceFileDir(t + "UNSave.txt");
          UnnoAppendToFile(*U1, t + "UNSave1.txt", "");
          UnnoAppendToFile(*U2, t + "UNSave2.txt", "");
          UnnoAppendToFile(C, t + "UNSave.txt", "");
        }
      } else {
        // interpolated onto the second grid: both divided by their continuum first
        TUNNO a, b;
        a.CopyFrom(*U1);
        b.CopyFrom(*U2);
        for (TUNNO* u : {&a, &b})
          if (u->KCONT != 1 && u->CONT != 0) u->DivCont();
        C.Dif2(a, b);
      }
      C.Mul(5);
    } else {
      if (P.BGauss == 0)
        return problem("в режиме \"s\" размер щели не может быть = 0 !!"_cp);
      SlitProfile(*U1, *U2, P.BGauss, C);
    }
    // the x range is counted from the line: a combination that did not keep it takes the first's
    if (C.LAMB == 0) {
      C.LAMB = U1->LAMB;
      C.DLVD = U1->DLVD;
      C.ILAM = U1->ILAM;
    }
    if (!RAGR(G, C, P.PAR, P.FuncColor, ColGrid, P.YMax, P.XMax, 0, &D)) return problem(D.Problem);
  } catch (const std::exception& e) {
    std::string t = e.what();
    if (t.rfind("ErrAbs: ", 0) == 0) t = t.substr(8);
    return problem(TrimCtl(t));
  }
  return D;
}

TFrameDone TCORA::DrawKadr(int32_t K, platform::TCanvas& Canvas, TLUNNO& List, TGRAF& G) {
  TFrameDone F;
  F.Frame = K;
  G.INIGCanvas(&Canvas, 0);
  G.SetBkColor(ColBack);
  G.ClearG();
  if (K >= 1 && K <= static_cast<int32_t>(LKadr.size()))
    for (const auto& P : LKadr[static_cast<size_t>(K) - 1]) {
      F.Plots.push_back(DrawOne(*P, List, G));
      if (!F.Plots.back().Problem.empty()) F.StopTimer = true;
    }
  G.ENDG();
  return F;
}

TFrameDone TCORA::PrintFrame(TJob& Job, TLUNNO& List, TGRAF& G) {
  ReadFile(FileName);
  KKadr = 1;
  TFrameDone F;
  F.Frame = 1;
  G.INIGPrinter();
  G.SetBkColor(0xFFFFFF);
  G.ClearG();
  printing_ = true;
  try {
    const auto& plots = GetKadr(1);
    const int32_t n = static_cast<int32_t>(plots.size());
    for (int32_t i = 0; i < n; ++i) {
      if (!Job.Step(i, n, "CORA " + plots[static_cast<size_t>(i)]->Name())) break;
      F.Plots.push_back(DrawOne(*plots[static_cast<size_t>(i)], List, G));
      if (!F.Plots.back().Problem.empty()) F.StopTimer = true;
    }
  } catch (...) {
    printing_ = false;
    throw;
  }
  printing_ = false;
  G.ENDG();
  return F;
}

TFrameDone TCORA::DRAWI(platform::TCanvas& Canvas, TLUNNO& List, TGRAF& G) {
  if (LKadr.empty()) {
    WARN("CORA.DRAWI LKadr Not Assigned!");
    return TFrameDone{};
  }
  return DrawKadr(KKadr, Canvas, List, G);
}

std::string CoraFileOf(const std::string& Quest, int32_t Step) {
  const std::string b = Models().FileOf("RACH", "PIC", Quest + "." + IntStr(Step));
  if (platform::IsRegularFile(b)) return b;
  return Models().FileOf("RACH", "PIC", Quest);
}
