#include "plotting/cvGPlayer.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvCIL.h"
#include "foundation/cvFile.h"
#include "foundation/cvFunc.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/Canvas.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"

TGPlayer* GPlayer = nullptr;

TGPlayer& EnsureGPlayer() {
  if (!GPlayer) {
    GPlayer = new TGPlayer();
    GPlayer->SetGraf(&EnsureGRAF());
  }
  return *GPlayer;
}

void FreeGPlayer() {
  delete GPlayer;
  GPlayer = nullptr;
}

namespace {

bool AllOf(const std::string& S, char C) {
  if (S.size() < 3) return false;
  for (char c : S)
    if (c != C) return false;
  return true;
}

bool NextIsKey(const TCIL& R) { return R.IsNextChar('#'); }

// Something left on the line that is not a key item.
bool NextIsValue(const TCIL& R) {
  const int32_t len = static_cast<int32_t>(R.Line.size());
  int32_t j = R.Pos < 1 ? 1 : R.Pos;
  while (j <= len && (R.Line[static_cast<size_t>(j - 1)] == ' ' ||
                      R.Line[static_cast<size_t>(j - 1)] == '\t'))
    ++j;
  return j <= len && R.Line[static_cast<size_t>(j - 1)] != '#';
}

}  // namespace

void TGPlayer::SetGraf(TGRAF* G) {
  Graf = G;
  Curv.reset();
  RunMark = 0;
  Path.clear();
  DataFile.clear();
  JoinedFile.clear();
  GrafikText.clear();
  DevFile.clear();
  ViewKind = 'O';
  ViewX1 = 0, ViewX2 = 1, ViewY1 = 0, ViewY2 = 1;
  XScale = YScale = 'N';
  XMin = 0, XMax = 1, YMin = 0, YMax = 1;
  MarkCh = '.';
  Kind = 0;
  MarkSize = 1;
  SkipLines = NLines = ColX = ColY = 0;
  StrHAdj = 'L';
  StrVAdj = 'U';
  StrMargin = 1;
  FuncX.clear();
  FuncY.clear();
  Pending_ = false;
  Depth_ = 0;
}

void TGPlayer::DevDefine(platform::TCanvas* Canvas) {
  if (DevFile.empty())
    ErrAbs("GPlayer DevDefine - файл, описатель графич.уст-ва не задан!"_cp);
  DevDefineFrom(Canvas, DevFile);
}

void TGPlayer::DevDefineFrom(platform::TCanvas* Canvas, const std::string& File) {
  if (!Graf) return;
  if (!platform::IsRegularFile(File)) {
    WARNAbs("Файла "_cp + File + " не существует!"_cp);
    return;
  }
  TCIL R;
  R.Load(File, "GRAD");
  auto Next = [&R]() {
    R.NextLine();
    if (R.Line.empty()) R.Err("В описании графического устройства меньше 5 строк!"_cp);
  };
  Next();
  const std::string Name = TrimCtl(R.Line);
  Next();
  const double MmX = R.GetReal();
  Next();
  const double MmY = R.GetReal();
  Next();
  const int32_t PixX = R.GetInt();
  Next();
  const int32_t PixY = R.GetInt();
  R.Unload();
  Graf->INIGDev(Name, MmX, MmY, PixX, PixY);
  Graf->Canvas = Graf->TargetCanvas = Canvas;
}

void TGPlayer::PlayFile(const std::string& File, const TStringList* Vars) {
  TCIL R;
  R.Load(File, "GRAPH");
  Play(R, Vars);
  R.Unload();
}

double TGPlayer::RuleX(double v) const { return FuncByChar(XScale, FuncX, v); }
double TGPlayer::RuleY(double v) const { return FuncByChar(YScale, FuncY, v); }

void TGPlayer::CurveKeys(TCIL& R) {
  if (!NextIsKey(R) || !Graf) return;
  Graf->CurColor = TGRAF::IdxToColor(
      static_cast<uint32_t>(R.KeyInt("#COLOR", static_cast<int32_t>(Graf->CurColor))));
  MarkCh = R.KeyChar("#MARK", MarkCh);
  MarkSize = R.KeyReal("#RMARK", MarkSize);
  Kind = R.KeyInt("#KLINE", Kind);
}

void TGPlayer::OptRange(TCIL& R, bool IsX, double& Lo, double& Hi) {
  for (double* V : {&Lo, &Hi}) {
    if (!NextIsValue(R)) return;
    const double v = R.GetReal();
    *V = IsX ? RuleX(v) : RuleY(v);
  }
}

void TGPlayer::DoGrid(TCIL& R) {
  double x1 = R.GetReal(), x2 = R.GetReal(), dx = R.GetReal();
  double y1 = R.GetReal(), y2 = R.GetReal(), dy = R.GetReal();
  const uint32_t Color = TGRAF::IdxToColor(static_cast<uint32_t>(R.GetInt()));
  const char Ch = R.GetChar();
  const double Size = R.GetReal();
  // Per axis: a rule other than N keeps the step count of the given bounds; the step becomes the
  // rule's span over that count, cut to one significant digit.
  auto Axis = [&R](char Rule, const std::string& F, double& a, double& b, double& d,
                   const char* Name) {
    if (d == 0 || !std::isfinite(d))
      R.Err("#GRID: шаг сетки по "_cp + Name + " равен 0!"_cp);
    if (Rule != 'F' && Rule != 'E' && Rule != 'L') return;
    const double n = std::nearbyint(std::fabs(b - a) / d);
    if (n == 0 || !std::isfinite(n))
      R.Err("#GRID: число шагов сетки по "_cp + Name + " равно 0!"_cp);
    a = FuncByChar(Rule, F, a);
    b = FuncByChar(Rule, F, b);
    d = RoundToFirstDigit((b - a) / n);
    if (d == 0) R.Err("#GRID: шаг сетки по "_cp + Name + " равен 0!"_cp);
  };
  Axis(XScale, FuncX, x1, x2, dx, "X");
  Axis(YScale, FuncY, y1, y2, dy, "Y");
  if (Graf) Graf->EnsureGrider().SetGrid(Ch, Color, x1, x2, dx, y1, y2, dy, Size);
}

void TGPlayer::DoInc(TCIL& R, const std::string& Name) {
  std::string File;
  if (platform::IsRegularFile(Name)) {
    File = Name;
  } else {
    const std::string J = PathJoin(Path, Name);
    if (platform::IsRegularFile(J)) File = J;
  }
  if (File.empty())
    R.Err("не найден файл <"_cp + Name + ">" + "\n\r" + "ни в заданной директории <"_cp + Path +
          ">," + "\n\r" + "ни в текущей  директории <"_cp + platform::CurrentDir() + ">");
  if (Depth_ >= MaxIncDepth)
    R.Err("#INC: вложенность файлов больше "_cp + IntStr(MaxIncDepth) + ", файл <"_cp + File +
          ">");
  ++Depth_;
  try {
    PlayFile(File, R.Vars.get());
  } catch (...) {
    --Depth_;
    throw;
  }
  --Depth_;
}

void TGPlayer::Draw() {
  if (!Graf) return;
  Graf->VIEWOP(ViewKind, ViewX1, ViewX2, ViewY1, ViewY2);
  Graf->WINDOW(XMin, XMax, YMin, YMax);
  if (Pending_ && Curv) Graf->CURVStyled(&Curv->X, &Curv->Y, Kind, MarkCh, MarkSize);
  Graf->EnsureGrider().Draw();
  Pending_ = false;
}

void TGPlayer::Play(TCIL& R, const TStringList* Vars) {
  R.Include("", "", "#INC", "");
  R.SetVarMarkers("#$", "$");
  if (Vars) R.SetVars(Vars);
  if (!IsReady()) RunMark = 0xA5A50000u;
  ++RunMark;
  if (!Graf || !Graf->Canvas) {
    R.Unload();
    ErrAbs("Err GPlayer PLAY-Graf.Canvas Значение Canvas не присвоено!"_cp);
  }
  Pending_ = false;
  for (R.NextLine(); !R.Line.empty(); R.NextLine()) {
    const std::string W = R.GetWord();
    if (W.empty() || W[0] != '#') {
      const std::string T = TrimCtl(R.Line);
      if (AllOf(T, '-')) Draw();
      else if (AllOf(T, '=')) break;
      continue;
    }
    const std::string Cmd = UpCaseStrCyr(W.substr(1));
    if (Cmd == "CLEAR") {
      Graf->ClearG();
    } else if (Cmd == "CLEARVIEW") {
      Graf->ClearView();
    } else if (Cmd == "BKCOLOR") {
      Graf->BackColor = TGRAF::IdxToColor(static_cast<uint32_t>(R.GetInt()));
    } else if (Cmd == "COLOR") {
      Graf->CurColor = TGRAF::IdxToColor(static_cast<uint32_t>(R.GetInt()));
    } else if (Cmd == "PATH") {
      Path = R.GetRest();
      if (!platform::IsDirectory(Path))
        R.Err("Каталог <"_cp + Path + "> не существует!"_cp);
    } else if (Cmd == "FILE") {
      DataFile = R.GetRest();
      JoinedFile = PathJoin(Path, DataFile);
      if (platform::IsRegularFile(JoinedFile))
        DataFile = JoinedFile;
      else if (!platform::IsRegularFile(DataFile))
        R.Err("файл <"_cp + JoinedFile + "> не существует!"_cp);
    } else if (Cmd == "VIEW") {
      const char K = R.GetChar();
      if (K != '%' && K != 'M' && K != 'O' && K != 'P')
        R.Err("Тип видовой операции <"_cp + std::string(1, K) + "> Not In [PMO%]!");
      ViewKind = K;
      ViewX1 = R.GetReal();
      ViewX2 = R.GetReal();
      ViewY1 = R.GetReal();
      ViewY2 = R.GetReal();
    } else if (Cmd == "SCALE") {
      const char sx = R.KeyChar("#XSCAL", XScale), sy = R.KeyChar("#YSCAL", YScale);
      auto Check = [&R](char C, const char* Axis) {
        if (C != 'N' && C != 'L' && C != 'E' && C != 'F')
          R.Err("Тип масштаба "_cp + Axis + " <" + std::string(1, C) + "> Not In [NLEF]!");
      };
      Check(sx, "X");
      Check(sy, "Y");
      XScale = sx;
      YScale = sy;
      // Each bound present passes through its axis's rule; an absent one stays.
      auto Bound = [&R](const char* Key, double& V, auto Rule) {
        const std::string K = Key;
        if (!R.KeyWord(K).empty()) V = Rule(R.KeyReal(K, V));
      };
      Bound("#XMIN", XMin, [this](double v) { return RuleX(v); });
      Bound("#XMAX", XMax, [this](double v) { return RuleX(v); });
      Bound("#YMIN", YMin, [this](double v) { return RuleY(v); });
      Bound("#YMAX", YMax, [this](double v) { return RuleY(v); });
    } else if (Cmd == "FUNCX") {
      FuncX = R.GetRest();
    } else if (Cmd == "FUNCY") {
      FuncY = R.GetRest();
    } else if (Cmd == "WIND") {
      const double x1 = R.GetReal(), x2 = R.GetReal(), y1 = R.GetReal(), y2 = R.GetReal();
      XMin = RuleX(x1);
      XMax = RuleX(x2);
      YMin = RuleY(y1);
      YMax = RuleY(y2);
    } else if (Cmd == "GRMARK") {
      Graf->CurColor = TGRAF::IdxToColor(static_cast<uint32_t>(R.GetInt()));
      Kind = R.GetInt();
      MarkCh = R.GetChar();
      MarkSize = R.GetReal();
    } else if (Cmd == "OXX") {
      const double At = R.GetReal();
      const int32_t Dec = R.GetInt();
      const char Side = R.GetChar();
      Graf->EnsureGrider().SetOXLabels(Dec, Side, RuleY(At));
    } else if (Cmd == "OXY") {
      const double At = R.GetReal();
      const int32_t Dec = R.GetInt();
      const char Side = R.GetChar();
      Graf->EnsureGrider().SetOYLabels(Dec, Side, RuleX(At));
    } else if (Cmd == "GRID") {
      DoGrid(R);
    } else if (Cmd == "GRA") {
      SkipLines = R.GetInt();
      if (NextIsValue(R)) NLines = R.GetInt();
      CurveKeys(R);
      Pending_ = true;
      CurvLoad();
    } else if (Cmd == "OX") {
      ColX = R.GetInt();
      if (NextIsValue(R)) {
        const char C = R.GetChar();
        if (C != 0) XScale = C;
        OptRange(R, true, XMin, XMax);
      }
      CurveKeys(R);
    } else if (Cmd == "OY") {
      ColY = R.GetInt();
      if (NextIsValue(R)) {
        const char C = R.GetChar();
        if (C != 0) YScale = C;
        OptRange(R, false, YMin, YMax);
      }
      CurveKeys(R);
      Pending_ = true;
      CurvLoad();
    } else if (Cmd == "STRPOS") {
      StrHAdj = R.GetChar();
      StrVAdj = R.GetChar();
      StrMargin = R.GetInt();
    } else if (Cmd == "STRW") {
      const double x = R.GetReal(), y = R.GetReal();
      Graf->TextAtW(R.GetRest(), StrHAdj, x, y, StrVAdj, StrMargin);
    } else if (Cmd == "GRAFIK") {
      GrafikText = R.GetRest();
      auto Next = [&R]() {
        R.NextLine();
        if (R.Line.empty()) R.Err("#GRAFIK: блок описания кривой не закончен!"_cp);
      };
      Next();
      SkipLines = R.GetInt();
      NLines = R.GetInt();
      Next();
      ColX = R.GetInt();
      if (NextIsValue(R)) {
        const char C = R.GetChar();
        if (C != 0) XScale = C;
        OptRange(R, true, XMin, XMax);
      }
      Next();
      ColY = R.GetInt();
      if (NextIsValue(R)) {
        const char C = R.GetChar();
        if (C != 0) YScale = C;
        OptRange(R, false, YMin, YMax);
      }
      Next();
      Graf->CurColor = TGRAF::IdxToColor(static_cast<uint32_t>(R.GetInt()));
      Kind = R.GetInt();
      MarkCh = R.GetChar();
      MarkSize = R.GetReal();
      Pending_ = true;
      CurvLoad();
    } else if (Cmd == "AUTO_Y") {
      if (Curv) AReRange(Curv->Y, YMin, YMax);
      else YMin = YMax = 0;
    } else if (Cmd == "AUTO_X") {
      if (Curv) AReRange(Curv->X, XMin, XMax);
      else XMin = XMax = 0;
    } else if (Cmd == "DRAW") {
      Draw();
    } else if (Cmd == "INC") {
      DoInc(R, R.GetRest());
    }
  }
}

void TGPlayer::CurvLoad() {
  if (DataFile.empty()) {
    WARNAbs("TGPlayer.CurvLoad ERR имя файла данных не задано!"_cp);
    return;
  }
  if (ColX <= 0) {
    WARNAbs("TGPlayer.CurvLoad ERR колонка X еще не задана!"_cp);
    return;
  }
  if (ColY <= 0) {
    WARNAbs("TGPlayer.CurvLoad ERR колонка Y еще не задана!"_cp);
    return;
  }
  if (NLines <= 0) {
    WARNAbs("TGPlayer.CurvLoad ERR не задано число входных строк!"_cp);
    return;
  }
  Curv.reset();
  auto C = std::make_unique<TCurv>();
  ReadColumns(DataFile, SkipLines, NLines, ColX, ColY, C->X, C->Y);
  auto Rule = [](TARe& A, char R, const std::string& F) {
    if (R == 'E') AReEXP10(A);
    else if (R == 'F') AReFUNC(A, F);
    else if (R == 'L') AReLOG(A);
  };
  Rule(C->X, XScale, FuncX);
  Rule(C->Y, YScale, FuncY);
  Curv = std::move(C);
}

void ReadColumns(const std::string& File, int32_t Skip, int32_t N, int32_t ColX, int32_t ColY,
                 TARe& X, TARe& Y) {
  TCIL R;
  R.Load(File, "ReadColumns");
  R.SkipLines(Skip);
  X.assign(static_cast<size_t>(N) + 1, 0.0);
  Y.assign(static_cast<size_t>(N) + 1, 0.0);
  const int32_t Last = std::max(ColX, ColY);
  for (int32_t i = 1; i <= N; ++i) {
    R.NextLineRaw();
    for (int32_t w = 1; w <= Last; ++w) {
      const std::string Word = R.GetWord();
      if (Word.empty())
        R.Err("В строке данных меньше слов ("_cp + IntStr(w - 1) + "), чем номер колонки "_cp +
              IntStr(Last));
      if (w == ColX) X[static_cast<size_t>(i)] = R.WordToReal(Word);
      else if (w == ColY) Y[static_cast<size_t>(i)] = R.WordToReal(Word);
    }
  }
  R.Unload();
}
