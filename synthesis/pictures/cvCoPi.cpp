#include "synthesis/pictures/cvCoPi.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"
#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFErr.h"

namespace {

bool ReadInt(const std::string& T, int32_t& V) {
  const std::string s = TrimSp(T);
  int32_t code = 0;
  V = s.empty() ? 0 : ValIntCode(s, code);
  return !s.empty() && code == 0;
}

bool ReadReal(const std::string& T, double& V) {
  const std::string s = TrimSp(T);
  int32_t code = 0;
  V = s.empty() ? 0 : ValRealCode(s, code);
  return !s.empty() && code == 0 && std::isfinite(V);
}

std::string Fix3(double x) { return FSt(3, 0, x); }

// Exactly three characters: padded with blanks, or cut with "*" as the third.
std::string Quantity3(const std::string& Q) {
  if (Q.size() <= 3) return PadRight(Q, 3);
  return Q.substr(0, 2) + "*";
}

std::string TempOf(const std::string& File) {
  return File + ".tmp~" + IntStr(static_cast<int32_t>(::getpid()));
}

}  // namespace

const char* const CoPiFieldNames[14] = {"edCOPInX",    "edCOPInY",    "edCOPInC",   "edCOPInT",
                                        "edCOPIdT",    "edView_MX",   "edView_MY",  "edCORAgapX",
                                        "edCORAgapY",  "edCORAtileX", "edCORAtileY",
                                        "edCORAdLMax", "edCOPIBlur",  "edCORAdI"};

int32_t CoPiReadFields(const std::vector<std::string>& Texts, TCoPiSpec& S) {
  int32_t* ints[] = {&S.NX, &S.NY, &S.NC, &S.NT, &S.dT};
  double* reals[] = {&S.MXv,   &S.MYv,   &S.GapX, &S.GapY, &S.TileX,
                     &S.TileY, &S.DLMax, &S.Blur, &S.DI};
  for (int32_t i = 0; i < 14; ++i) {
    const std::string t = i < static_cast<int32_t>(Texts.size()) ? Texts[static_cast<size_t>(i)] : "";
    const bool ok = i < 5 ? ReadInt(t, *ints[i]) : ReadReal(t, *reals[i - 5]);
    if (!ok) return i;
    if (i < 4 && *ints[i] < 1) return i;
  }
  return -1;
}

std::string CoPiCountMessage(int32_t I) {
  static const char* const axis[] = {"X", "Y", "C", "T"};
  return "Число графиков по оси "_cp + axis[I & 3] + " в поле "_cp + CoPiFieldNames[I & 3] +
         " должно быть целым числом не меньше 1!"_cp;
}

std::string ColorHexText(uint32_t C) { return "$" + IntHex(C); }

std::unique_ptr<TStringList> MadePict(const TCoPiSpec& S, TVARIATOR& V) {
  if (S.DI == 0) ModFatal("Размах графика по шкале инт-тей не должен быть нулевым!"_cp);
  double W = 100, H = 100;
  if (S.Scale == 'M') {
    W = S.MXv;
    H = S.MYv;
  } else if (S.Scale != 'O') {
    ModFatal("Для типа графика ["_cp + std::string(1, S.Scale) + "] надо ДОПИСАТЬ!"_cp);
  }
  // keys of the rows with an axis letter; each axis steps the slot of its last row
  std::string keys;
  int32_t nkeys = 0;
  int32_t slot[4] = {0, 0, 0, 0};  // X Y C T
  auto axisIdx = [](char A) { return A == 'X' ? 0 : A == 'Y' ? 1 : A == 'C' ? 2 : A == 'T' ? 3 : -1; };
  for (const TCoPiAxisRow& r : S.Rows) {
    const int32_t a = axisIdx(r.Axis);
    if (a < 0) continue;
    keys += (keys.empty() ? "" : " ") + r.Key;
    slot[a] = ++nkeys;
  }
  std::vector<int32_t> idx(static_cast<size_t>(nkeys), 0);
  const int32_t stokesLevel = axisIdx(S.StokesAxis);
  const double DX = (S.NX - 1) * S.TileX + 100, DY = (S.NY - 1) * S.TileY + 100;
  const double UW = W - 2 * S.GapX, UH = H - 2 * S.GapY;
  const double PW = UW * 100 / DX, PH = UH * 100 / DY;
  const double SX = S.TileX / DX * UW, SY = S.TileY / DY * UH;
  const std::string blur = Fix3(std::nearbyint(S.Blur));
  const std::string xmax = IntStr(static_cast<int32_t>(std::nearbyint(S.DLMax)));
  const std::string col = ColorHexText(S.ColMain);
  const std::string step = S.Quest + "." + IntStr(S.IQ);
  auto L = std::make_unique<TStringList>();
  int32_t r = 1;
  size_t last = 0;
  auto enter = [&](int32_t Level, int32_t Counter) {
    if (slot[Level] > 0) idx[static_cast<size_t>(slot[Level]) - 1] = Counter;
    if (stokesLevel == Level) r = Counter;
  };
  for (int32_t t = 1; t <= std::max(1, S.NT); ++t) {
    enter(3, t);
    for (int32_t y = 1; y <= std::max(1, S.NY); ++y) {
      enter(1, y);
      for (int32_t x = 1; x <= std::max(1, S.NX); ++x) {
        enter(0, x);
        const double X1 = S.GapX + (x - 1) * SX, X2 = X1 + PW;
        const double top = (H - S.GapY) - (y - 1) * SY, bottom = top - PH;
        const double Y1 = S.Scale == 'M' ? top : bottom, Y2 = S.Scale == 'M' ? bottom : top;
        for (int32_t c = 1; c <= std::max(1, S.NC); ++c) {
          enter(2, c);
          const std::vector<int32_t> ks = V.GetK(keys, idx);
          if (ks.empty()) ModFatal("Проверяем, работаем!!!"_cp);
          last = ks.size();
          const std::string q =
              r >= 1 && r <= static_cast<int32_t>(S.StoPar.size()) ? TrimSp(S.StoPar[static_cast<size_t>(r) - 1]) : "";
          const double ymax = q == "RQ" || q == "RV" || q == "RU" ? S.DI / 2 : S.DI;
          for (int32_t K : ks) {
            if (K > V.NK)
              ModFatal("ERR Corvesta.MadePict("_cp + step + ") № комбинации K="_cp + IntStr(K) +
                       " > числа комбинаций VARI.NK = "_cp + IntStr(V.NK) +
                       "\r\nОбщее число параметров = "_cp + IntStr(V.Count()));
            L->Add("O " + step + " " + PadLeft(IntStr(K), 3) + " " + Quantity3(q) + " " + blur +
                   " " + Fix3(X1) + " " + Fix3(X2) + " " + Fix3(Y1) + " " + Fix3(Y2) + " " +
                   xmax + " " + ShortSt(4, ymax) + " " + col + " " + PadLeft(IntStr(t), 3) + " " +
                   V.GetKS(K));
          }
        }
      }
    }
  }
  const int64_t div = int64_t(S.NX) * S.NY * S.NC * static_cast<int64_t>(last);
  const int64_t frames = div > 0 ? (int64_t(S.NUnno) * S.NPar) / div : 0;
  L->Insert(0, IntStr(S.NUnno * S.NPar) + " " + std::string(1, S.Scale) + " " +
                   I64Str(frames) + " " + IntStr(S.dT) + " " + ColorHexText(S.ColBk) + " " +
                   ColorHexText(S.ColNet) +
                   " ! ЧислоКонтуров/ТипМасштаба/ЧислоКадров/Интервал(мс)/цветФона/ЦветСетки"_cp);
  return L;
}

bool WriteDescFile(const TStringList& L, const std::string& File) {
  if (!ForceFileDir(File)) return false;
  RemoveStaleTempCopies(platform::SysPath(File));
  const std::string tmp = TempOf(File);
  {
    std::ofstream F(platform::SysPath(tmp), std::ios::binary | std::ios::trunc);
    for (int i = 0; i < L.Count(); ++i) {
      const std::string s = platform::Cp1251ToUtf8(L[i]) + "\r\n";
      F.write(s.data(), static_cast<std::streamsize>(s.size()));
    }
    F.flush();
    if (!F) {
      F.close();
      DelFileSS(tmp);
      ModFatal("Не удалось записать файл <"_cp + File + ">");
    }
  }
  try {
    RenameOver(tmp, File);
  } catch (...) {
    DelFileSS(tmp);
    throw;
  }
  return true;
}

// ---------------------------------------------------------------- calibration

TViewCalibDone CalcViewSize(const TViewCalib& C) {
  TViewCalibDone D;
  double MXs = 0, MYs = 0, OX = 100, OY = 100, MXv = 0, MYv = 0;
  int32_t PXs = 0, PYs = 0;
  auto bad = [&](const char* Field) {
    D.Error = "Ошибка в числе в поле "_cp + Field;
    return D;
  };
  if (!ReadReal(C.ScreenMX, MXs)) return bad("edScreen_MX");
  if (!ReadReal(C.ScreenMY, MYs)) return bad("edScreen_MY");
  if (!ReadInt(C.ScreenPX, PXs)) return bad("edScreen_PX");
  if (!ReadInt(C.ScreenPY, PYs)) return bad("edScreen_PY");
  if (!ReadReal(C.ViewOX, OX)) {
    OX = 100;
    D.OXReset = true;
  }
  if (!ReadReal(C.ViewOY, OY)) {
    OY = 100;
    D.OYReset = true;
  }
  if (!ReadReal(C.ViewMX, MXv)) return bad("edView_MX");
  if (!ReadReal(C.ViewMY, MYv)) return bad("edView_MY");
  const double w = C.W, h = C.H;
  if (C.MXActive) {
    if (MXs * w != 0) OX = PXs * MXv * 100 / (MXs * w);
  } else if (PXs != 0) {
    MXv = MXs * w * (OX / 100) / PXs;
  }
  if (C.MYActive) {
    if (MYs * h != 0) OY = PYs * MYv * 100 / (MYs * h);
  } else if (PYs != 0) {
    MYv = MYs * h * (OY / 100) / PYs;
  }
  D.PX = IntStr(static_cast<int32_t>(std::nearbyint(w * OX / 100)));
  D.PY = IntStr(static_cast<int32_t>(std::nearbyint(h * OY / 100)));
  D.MX = ShortSt(4, MXv);
  D.MY = ShortSt(4, MYv);
  D.OX = ShortSt(4, OX);
  D.OY = ShortSt(4, OY);
  return D;
}

bool ScreenInchOf(const std::string& MX, const std::string& MY, std::string& Inch,
                  std::string& Error) {
  double x = 0, y = 0;
  if (!ReadReal(MX, x)) {
    Error = "Ошибка в поле edScreen_MX"_cp;
    return false;
  }
  if (!ReadReal(MY, y)) {
    Error = "Ошибка в поле edScreen_MY"_cp;
    return false;
  }
  Inch = ShortSt(4, std::sqrt(x * x + y * y) / 25.4);
  return true;
}

bool ScreenMMOf(const std::string& PX, const std::string& PY, const std::string& Inch,
                std::string& MX, std::string& MY, std::string& Error) {
  int32_t px = 0, py = 0;
  double d = 0;
  if (!ReadInt(PX, px)) Error = "Ошибка в поле edScreen_PX"_cp;
  else if (!ReadInt(PY, py)) Error = "Ошибка в поле edScreen_PY"_cp;
  else if (!ReadReal(Inch, d) || d <= 0) Error = "Ошибка в поле edScreenInch"_cp;
  if (!Error.empty()) return false;
  const double p = std::sqrt(double(px) * px + double(py) * py) / d / 25.4;
  if (p <= 0) {
    Error = "Ошибка в поле edScreen_PX"_cp;
    return false;
  }
  MX = ShortSt(4, px / p);
  MY = ShortSt(4, py / p);
  return true;
}

// ---------------------------------------------------------------- GIF

std::string GifDelayProblem(int32_t Delay) {
  if (Delay >= 0 && Delay <= GifMaxDelay) return {};
  return "Задержка кадра "_cp + IntStr(Delay) + " мс не помещается в кадр GIF (от 0 до 65535 мс): файл не записан"_cp;
}

std::string TimerIntervalProblem(int32_t Interval) {
  if (Interval >= 1 && Interval <= GifMaxDelay) return {};
  return "Интервал анимации "_cp + IntStr(Interval) + " мс вне допустимых пределов (от 1 до 65535 мс)"_cp;
}

std::vector<int32_t> GifFrameOrder(int32_t N) {
  std::vector<int32_t> o;
  for (int32_t j = 1; j <= N; ++j) o.push_back(j);
  for (int32_t j = N; j >= 1; --j) o.push_back(j);
  return o;
}

bool SaveFramesGIF(TJob& Job, const std::vector<TDib>& Frames, int32_t Delay, uint16_t Loops,
                   const std::string& File) {
  const std::string why = GifDelayProblem(Delay);
  if (!why.empty()) ModFatal(why);
  std::unique_ptr<TJobScope> scope;
  if (CurrentJob() != &Job) scope = std::make_unique<TJobScope>(Job);
  TCvGIF G;
  const int64_t n = static_cast<int64_t>(Frames.size());
  for (int64_t k = 0; k < n; ++k) {
    if (!Job.Step(k, n, "GIF кадр "_cp + I64Str(k + 1) + "/" + I64Str(n))) return false;
    const int32_t i = G.AddFrame(Frames[static_cast<size_t>(k)]);
    G.SetFrameDelay(G.FrameAt(i), static_cast<uint16_t>(Delay));
  }
  G.SetLooping(true);
  G.SetRepeatCount(Loops);
  if (!ForceFileDir(File)) ModFatal("Невозможно создать директорию для файла <"_cp + File + ">");
  std::vector<uint8_t> bytes;
  try {
    bytes = G.SaveToStream();
  } catch (const EGraphicAbort&) {
    return false;
  }
  if (Job.Cancelled()) return false;
  RemoveStaleTempCopies(platform::SysPath(File));
  const std::string tmp = TempOf(File);
  {
    std::ofstream F(platform::SysPath(tmp), std::ios::binary | std::ios::trunc);
    F.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    F.flush();
    if (!F) {
      F.close();
      DelFileSS(tmp);
      ModFatal("Не удалось записать файл <"_cp + File + ">");
    }
  }
  if (Job.Cancelled()) {
    DelFileSS(tmp);
    return false;
  }
  RenameOver(tmp, File);
  return true;
}
