#include "plotting/cvFilm.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "plotting/gif/cvGIF.h"

bool FilmDelay(const std::string& Text, uint16_t& Ms) {
  int32_t c = 0;
  const std::string T = TrimCtl(Text);
  const double t = T.empty() ? 0 : ValRealCode(T, c);
  if (T.empty() || c != 0 || !std::isfinite(t)) {
    PlotWarn("Исправте время Gig-кадра на закладке Graf главной формы!"_cp);
    return false;
  }
  const double ms = std::nearbyint(t * 1000);
  if (ms < 0 || ms > 65535) {
    PlotWarn("Время Gif-кадра "_cp + ShortSt(6, t) + " с даёт задержку "_cp + ShortSt(8, ms) +
             " мс вне 0..65535: исправьте его на закладке Graf главной формы!"_cp);
    return false;
  }
  Ms = static_cast<uint16_t>(ms);
  return true;
}

void FilmFrames(TPLOTTER& P, bool BackAndForth, std::vector<TDib>& Frames) {
  Frames.clear();
  auto Grab = [&] {
    if (P.Gra && P.Gra->ShadeBMP) Frames.push_back(TDib::FromBitmap(*P.Gra->ShadeBMP));
  };
  TArrPlot* A = P.ArrPlot();
  const int32_t Pages = A ? A->nt : 0;
  if (Pages >= 2) {
    const int32_t Saved = P.kT;
    auto Page = [&](int32_t k) {
      P.kT = k;
      P.ShowFrameGraphs();
      P.PlayOnce();
      if (P.NDrawn > 0) Grab();
    };
    for (int32_t k = 1; k <= Pages; ++k) Page(k);
    if (BackAndForth)
      for (int32_t k = Pages; k >= 1; --k) Page(k);
    P.kT = Saved;
    P.ShowFrameGraphs();
  } else {
    const int32_t Saved = P.k;
    auto One = [&](int32_t i) {
      P.SetCurPic(i);
      P.ShowOnlyCurPic();
      P.PlayOnce();
      Grab();
    };
    for (int32_t i = 1; i <= P.GraphCount(); ++i) One(i);
    if (BackAndForth)
      for (int32_t i = P.GraphCount(); i >= 1; --i) One(i);
    P.SetCurPic(Saved);
    P.ShowOnlyCurPic();
  }
  P.ToolsRefresh();
  P.PlayOnce();
}

bool FilmWrite(const std::vector<TDib>& Frames, uint16_t DelayMs, const std::string& File,
               TJob& Job) {
  const std::string Tmp = File + ".part";
  try {
    TCvGIF Gif;
    const int64_t n = static_cast<int64_t>(Frames.size());
    for (int64_t i = 0; i < n; ++i) {
      if (!Job.Step(i, n + 1, "GIF: кадр "_cp + I64Str(i + 1) + " из "_cp + I64Str(n)))
        return false;
      TGIFFrame& F = Gif.FrameAt(Gif.AddFrame(Frames[static_cast<size_t>(i)]));
      Gif.SetFrameDelay(F, DelayMs);
      F.Encode();
    }
    if (!Job.Step(n, n + 1, "GIF: запись файла "_cp + File)) return false;
    Gif.SetLooping(true);
    Gif.SetRepeatCount(1000);
    const std::filesystem::path Dir = std::filesystem::path(File).parent_path();
    std::error_code Ec;
    if (!Dir.empty()) std::filesystem::create_directories(Dir, Ec);
    Gif.SaveToFile(Tmp);
    if (Job.Cancelled()) {
      std::remove(Tmp.c_str());
      return false;
    }
    if (std::rename(Tmp.c_str(), File.c_str()) != 0)
      throw std::runtime_error("GIF: файл не записан: "_cp + File);
    return true;
  } catch (...) {
    std::remove(Tmp.c_str());
    throw;
  }
}
