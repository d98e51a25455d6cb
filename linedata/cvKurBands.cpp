#include "linedata/cvKurBands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_set>

#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvKurucz.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLIDA.h"
#include "linedata/cvLLIDA.h"
#include "linedata/cvLLILAM.h"
#include "platform/FileErr.h"

namespace {

const std::string kCrLf = "\r\n";

bool IsBlank(const std::string& S) { return S.find_first_not_of(" \t\r") == std::string::npos; }

// The wavelength of columns 1-10; false when it is no number (Text: the field as read).
bool LamCol(const std::string& S, double& V, std::string& Text) {
  Text = TrimSp(S.substr(0, std::min<size_t>(S.size(), 10)));
  if (Text.empty()) return false;
  int32_t code = 0;
  V = ValRealPlainCode(Text, code);
  return code == 0;
}

void WarnLam(const std::string& File, int64_t N, const std::string& Text) {
  WARNAbs("Ошибка при чтении длины волны из файла "_cp + File + kCrLf + "в строке "_cp + I64Str(N) +
          " Длина волны = <"_cp + Text + ">");
}

// The band of a wavelength in the file's unit: PerBand units to a band (10 nm, 100 Å).
int32_t BandOf(double X, int32_t PerBand) {
  return static_cast<int32_t>(std::trunc(X)) / PerBand;
}

int64_t RoundI(double X) { return static_cast<int64_t>(std::nearbyint(X)); }

// From and To (Å). WithDefault: an empty To or "0" means From + 100. False (with a warning) for
// a From or To that is no wavelength and for an empty range.
bool RangeOf(const std::string& Name, const std::string& From, const std::string& To,
             bool WithDefault, double& A, double& B) {
  const std::string f = TrimSp(From), t = TrimSp(To);
  int32_t code = 0;
  A = f.empty() ? 0 : ValRealPlainCode(f, code);
  if (f.empty() || code != 0 || A < 0) {
    WARNAbs(Name + ": From <" + From + "> - не длина волны!"_cp);
    return false;
  }
  if (WithDefault && (t.empty() || t == "0")) {
    B = A + 100;
  } else if (t.empty()) {
    B = 0;
  } else {
    B = ValRealPlainCode(t, code);
    if (code != 0) {
      WARNAbs(Name + ": To <" + To + "> - не длина волны!"_cp);
      return false;
    }
  }
  if (B <= A) {
    WARNAbs(Name + ": пустой диапазон <"_cp + f + "> - <" + t + ">, ничего не сделано"_cp);
    return false;
  }
  return true;
}

// The reference-model runs must be there: without them every line would get depth 0.
bool RunsAvailable(const std::string& Name) {
  if (LineData().RunVARI.Provided()) return true;
  WARNAbs(Name + ": расчет линии в моделях HOLMU и CV (RunVARI) недоступен, файлы не тронуты"_cp);
  return false;
}

// What a builder's line gets as a catalogue line (as the catalogue-Id loader gives it).
void CatalogueDefaults(TLIDA& L) {
  L.EWAN = 1;
  L.Mult = "9999";
  L.GLT = L.GUT = 'L';
}

std::string Joined(const std::vector<std::string>& Names) {
  std::string o;
  for (const std::string& n : Names) o += (o.empty() ? "" : ", ") + n;
  return o;
}

// The end of a run that did not finish: what was kept.
bool Stopped(TJob& Job, const std::string& Name, const TKurBandsResult& R) {
  WARNAbs(Name + (Job.Cancelled() ? " прерван: "_cp : " остановлен: "_cp) +
          (R.Files.empty() ? "ни один файл не записан"_cp : "записаны "_cp + Joined(R.Files)) +
          "; файлы прочих полос оставлены прежними"_cp);
  return false;
}

void NoteFailedRuns(const std::string& Name, const TKurBandsResult& R, const std::string& First) {
  if (R.RunsFailed > 0)
    WARNAbs(Name + ": " + I64Str(R.RunsFailed) + " из "_cp + I64Str(R.Runs) +
            " расчетов линий не дали результата (первая линия "_cp + First + ")");
}

// The output band files of a run over [From, To) (in the file's unit). A band is started when the
// run reaches it: its file's lines below From are copied first, its lines from To on are kept for
// its end; the lines of the range are the run's. Each band goes to a temporary copy renamed over
// the file when the band is done, so a run that stops leaves its open band as it was. A band that
// has no file and gets no line makes none.
class TBandOut {
 public:
  TBandOut(const std::string& Dir, const std::string& Kind, int32_t PerBand, double From,
           double To, TKurBandsResult& R)
      : dir_(Dir), kind_(Kind), per_(PerBand), from_(From), to_(To), r_(R) {
    first_ = BandOf(From, PerBand);
    last_ = std::max(first_, static_cast<int32_t>(std::ceil(To / PerBand)) - 1);
    next_ = first_;
  }
  ~TBandOut() { Abandon(); }
  TBandOut(const TBandOut&) = delete;
  TBandOut& operator=(const TBandOut&) = delete;

  // Makes Band the band written; the bands before it are finished (a line of a band below the
  // open one goes into the open one: no band is started twice).
  void Use(int32_t Band) {
    Band = std::clamp(Band, first_, last_);
    if (f_.IsOpen() && Band <= open_) return;
    Close();
    while (next_ < Band) {
      Start(next_);
      Close();
    }
    if (Band >= next_) Start(Band);
  }
  void Write(const std::string& Line) {
    Put(Line);
    ++r_.Written;
  }
  // The normal end: the open band and every band of the range after it are finished.
  void Finish() {
    Close();
    while (next_ <= last_) {
      Start(next_);
      Close();
    }
  }
  // Drops the open band's temporary copy: its file stays as it was.
  void Abandon() {
    buf_.clear();
    if (!f_.IsOpen()) return;
    try {
      f_.Close();
    } catch (...) {
    }
    std::remove(platform::SysPath(tmp_).c_str());
  }

 private:
  // A line into the band's file (written in blocks).
  void Put(const std::string& Line) {
    buf_ += Line;
    buf_ += '\n';
    ++lines_;
    if (buf_.size() >= (size_t{1} << 20)) {
      f_.WriteRaw(buf_);
      buf_.clear();
    }
  }
  void Start(int32_t Band) {
    open_ = Band;
    next_ = Band + 1;
    name_ = dir_ + BandFileName(kind_, Band);
    tmp_ = name_ + ".tmp";
    tail_.clear();
    lines_ = 0;
    had_ = platform::IsRegularFile(name_);
    TxtOpen(f_, 1, tmp_);
    // a band the range covers whole keeps nothing of its file
    if (!had_ || (from_ <= static_cast<double>(Band) * per_ && to_ >= (Band + 1.0) * per_)) return;
    TKurFile old;
    old.Open(name_);
    std::string s, text;
    int64_t dropped = 0;
    while (old.ReadLn(s)) {
      if (IsBlank(s)) continue;
      double x = 0;
      if (!LamCol(s, x, text)) {
        ++dropped;
      } else if (x < from_) {
        Put(s);
      } else if (x >= to_) {
        tail_.push_back(s);
      }
    }
    if (dropped > 0)
      WARNAbs(name_ + ": " + I64Str(dropped) +
              " строк(и) без длины волны в колонках 1-10 не перенесены"_cp);
  }
  void Close() {
    if (!f_.IsOpen()) return;
    for (const std::string& s : tail_) Put(s);
    tail_.clear();
    f_.WriteRaw(buf_);
    buf_.clear();
    f_.Close();
    if (!had_ && lines_ == 0) {
      std::remove(platform::SysPath(tmp_).c_str());
      return;
    }
    RenameOver(tmp_, name_);
    r_.Files.push_back(BandFileName(kind_, open_));
  }

  std::string dir_, kind_;
  int32_t per_;
  double from_, to_;
  TKurBandsResult& r_;
  int32_t first_ = 0, last_ = 0, next_ = 0, open_ = 0;
  std::string name_, tmp_;
  TTextFile f_;
  std::vector<std::string> tail_;
  std::string buf_;
  bool had_ = false;
  int64_t lines_ = 0;
};

// The band files of one kind read one after another from band First to band Last: a missing file
// counts as empty; blank lines are skipped.
class TBandIn {
 public:
  TBandIn(const std::string& Dir, const std::string& Kind, int32_t First, int32_t Last)
      : dir_(Dir), kind_(Kind), band_(First - 1), last_(Last) {}
  bool Next(std::string& S) {
    for (;;) {
      if (f_.IsOpen()) {
        while (f_.ReadLn(S)) {
          ++lineNo_;
          if (!IsBlank(S)) return true;
        }
        f_.Close();
      }
      if (band_ >= last_) return false;
      ++band_;
      file_ = dir_ + BandFileName(kind_, band_);
      lineNo_ = 0;
      if (platform::IsRegularFile(file_)) f_.Open(file_);
    }
  }
  const std::string& File() const { return file_; }
  int32_t LineNo() const { return lineNo_; }
  int32_t Band() const { return band_; }

 private:
  std::string dir_, kind_, file_;
  int32_t band_, last_, lineNo_ = 0;
  TKurFile f_;
};

// Form B: the catalogue line padded (or cut) to its 159 columns, then the two depths in 0.01 %.
std::string FormB(const std::string& T, const TLIDA& Depths) {
  std::string s = T;
  s.resize(159, ' ');
  return s + PadLeftMark(I64Str(RoundI(Depths.DHM * 100)), 5) +
         PadLeftMark(I64Str(RoundI(Depths.DCV * 100)), 5);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// lines.dat -> li

bool KurLinesSelect(TJob& Job, const std::string& From, const std::string& To,
                    TKurBandsResult& R) {
  R = TKurBandsResult();
  const std::string name = "KurLinesSelect";
  double a = 0, b = 0;
  if (!RangeOf(name, From, To, true, a, b) || !RunsAvailable(name)) return false;
  const double fromNm = a / 10, toNm = b / 10;
  const std::string dir = LineFilesDir();
  const std::string src = dir + "lines.dat";
  if (!platform::IsRegularFile(src)) {
    WARNAbs(name + ": нет файла <"_cp + src + ">");
    return false;
  }
  CreateLineLists();
  TKurFile in;
  in.Open(src);
  TBandOut out(dir, "li", 10, fromNm, toNm, R);
  // lines whose depths their hyperfine components share: those within 0.5 Å
  std::vector<std::unique_ptr<TLIDA>> parents;
  std::string s, t, text, firstFailed;
  int64_t n = 0;
  auto depthRun = [&](TLIDA& L) {
    double hm = 0, cv = 0;
    ++R.Runs;
    if (!CalcLineDepths(L, hm, cv) && R.RunsFailed++ == 0) firstFailed = L.sIdK;
    LineData().DropLineVectors();
    L.LoadClone(*LILast);
  };
  while (in.ReadLn(s)) {
    ++n;
    if (IsBlank(s)) continue;
    t = KurCatalogueLine(s);
    double lam = 0;
    if (!LamCol(t, lam, text)) {
      WarnLam(src, n, text);
      return Stopped(Job, name, R);
    }
    if (n % 500 == 0 &&
        !Job.Step(RoundI(std::clamp(lam * 10 - a, 0.0, b - a)), RoundI(b - a),
                  "Lam=" + RoundStr(lam * 10)))
      return Stopped(Job, name, R);
    if (lam < fromNm) continue;
    if (lam >= toNm) break;
    if (Job.Cancelled()) return Stopped(Job, name, R);
    ++R.Read;
    out.Use(BandOf(lam, 10));
    TLIDA line;
    TLIDAk k;
    if (!ParseKurLine("x" + ZeroPad(n, 7), src, t, k, line, static_cast<int32_t>(n)))
      return Stopped(Job, name, R);
    if (line.NIon > 2 || line.AT > 68) continue;
    const bool component = k.shiftLO != 0 || k.shiftHI != 0;
    line.LIk = std::make_unique<TLIDAk>(k);
    CatalogueDefaults(line);
    LILast->LoadClone(line);
    const TLIDA* depths = &line;
    if (component) {
      std::erase_if(parents, [&](const std::unique_ptr<TLIDA>& P) {
        return P->LAMB < line.LAMB - 0.5;
      });
      const TLIDA* parent = nullptr;
      for (const auto& p : parents)
        if (p->AT == line.AT && p->NIon == line.NIon && p->ELOW == line.ELOW) parent = p.get();
      if (parent) {
        depths = parent;
      } else {
        depthRun(line);
        parents.push_back(std::make_unique<TLIDA>(line));
      }
    } else {
      depthRun(line);
    }
    if ((depths->DHM + depths->DCV) / 100 < 0.001) continue;
    out.Write(FormB(t, *depths));
  }
  out.Finish();
  NoteFailedRuns(name, R, firstFailed);
  return true;
}

// ---------------------------------------------------------------------------------------------
// li -> lh

bool KurLinesMergeHFS(TJob& Job, const std::string& From, const std::string& To,
                      TKurBandsResult& R) {
  R = TKurBandsResult();
  const std::string name = "KurLinesMergeHFS";
  double a = 0, b = 0;
  if (!RangeOf(name, From, To, true, a, b)) return false;
  const double fromNm = a / 10, toNm = b / 10;
  const std::string dir = LineFilesDir();
  TStringList errors;
  TLLILAM lam;  // the lines of the chunk, by Id (the order of the li files)
  lam.SetCompare(CompareById);
  lam.InsertErrors = &errors;
  TLLIHFS hfs, iso;  // hyperfine components by atom, isotopic ones by wavelength
  hfs.SetCompare(CompareByAtom);
  hfs.InsertErrors = &errors;
  iso.SetCompare(CompareByLamb);
  iso.InsertErrors = &errors;
  std::unique_ptr<TLLIHFS> work;
  double L = fromNm - 0.5, U = L + 0.5;
  TBandIn in(dir, "li", BandOf(L, 10), BandOf(toNm + 0.5, 10));
  TBandOut out(dir, "lh", 100, a, b, R);
  std::string s, text;
  double lamNm = 0, lastNm = L;
  bool pending = false, eof = false;
  // Reads the lines of [Lo, Hi) nm into the chunk list; the line that ends it stays pending for
  // the next chunk. False when a line could not be read.
  auto load = [&](double Lo, double Hi, const std::string& Step) {
    for (;;) {
      if (!pending) {
        if (!in.Next(s)) {
          eof = true;
          return true;
        }
        if (!LamCol(s, lamNm, text)) {
          WarnLam(in.File(), in.LineNo(), text);
          return false;
        }
      }
      pending = false;
      if (lamNm < Lo) continue;
      if (lamNm >= Hi) {
        pending = true;
        return true;
      }
      ++R.Read;
      lastNm = lamNm;
      auto line = std::make_unique<TLIDA>();
      line->LIk = std::make_unique<TLIDAk>();
      // the Id: band, "x", line number, in the order of the files
      std::string id(12, 'x');
      for (int i = 3, band = in.Band(); i >= 0; --i, band /= 10)
        id[static_cast<size_t>(i)] = static_cast<char>('0' + band % 10);
      for (int i = 11, no = in.LineNo(); i >= 5; --i, no /= 10)
        id[static_cast<size_t>(i)] = static_cast<char>('0' + no % 10);
      if (!ParseKurLineD(id, in.File(), s, *line->LIk, *line, in.LineNo())) return false;
      CatalogueDefaults(*line);
      lam.AddNamed(std::move(line), Step);
    }
  };
  // Moves the lines that Pick chooses from the chunk list into Dest (in list order, one merge).
  auto moveOut = [&](TLLIHFS& Dest, bool (*Pick)(const TLIDA&)) {
    std::vector<std::unique_ptr<TLIDA>> keep, moved;
    keep.reserve(lam.Items.size());
    for (auto& e : lam.Items)
      (Pick(*e) ? moved : keep).push_back(std::move(e));
    lam.Items.swap(keep);
    Dest.Name = "Add";
    Dest.AddAll(std::move(moved));
  };
  auto emptyCheck = [&](const std::string& Head, TLLILAM& List) {
    for (int32_t i = 0; i < List.Count(); ++i)
      if (!List[i].LIk)
        WARNAbs(Head + IntStr(List.Count()) + kCrLf + "под номером "_cp + IntStr(i) +
                " найдена пустая линия!"_cp);
  };
  // Merges the groups of List whose deciding wavelength lies in [W1, W2) Å; those below W1 were
  // merged by the chunk before and are dropped.
  auto mergeGroups = [&](TLLIHFS& List, bool Hyperfine, double W1, double W2) {
    // the entries by wavelength, the first of equal ones first (GetLessLamb's order, taken once:
    // extractions keep the order of the rest); an entry moved out is passed over
    std::vector<std::pair<double, TLIDA*>> byLam;
    byLam.reserve(List.Items.size());
    for (const auto& e : List.Items) byLam.emplace_back(e->LAMB, e.get());
    std::stable_sort(byLam.begin(), byLam.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    std::unordered_set<const TLIDA*> gone;
    std::vector<std::unique_ptr<TLIDA>> merged;
    // the merged lines join the chunk's list at the end
    struct TJoin {
      TLLILAM& To;
      std::vector<std::unique_ptr<TLIDA>>& Lines;
      const char* Name;
      ~TJoin() {
        To.Name = Name;
        To.AddAll(std::move(Lines));
      }
    } join{lam, merged, Hyperfine ? "Srink15_HFS" : "Shrink15-ISO"};
    for (const auto& [lamb, p] : byLam) {
      if (gone.count(p) != 0) continue;
      double at = 0;
      if (Hyperfine) {
        if (p->LIk->shiftLO == 0 && p->LIk->shiftHI == 0)
          errors.Add("LI.CalcHFShift ERR shiftLO и HI = 0:"_cp + kCrLf + p->sDump());
        p->CalcHFShift();
        at = p->LIk->Lam0;
      } else {
        p->CalcISO();
        at = p->LAMB;
      }
      if (at >= W2) {
        if (!Hyperfine) emptyCheck("Srink15 WARN после обработки ISO LISO.Count="_cp, List);
        return;
      }
      // (p itself moves with its group: the line stays alive in the work list)
      const int32_t before = List.Count();
      if (Hyperfine)
        List.ExtractLI(*p, work);
      else
        List.ExtractISO(*p, work);
      if (List.Count() == before) {  // nothing matched its own key: it goes alone
        auto it = std::find_if(List.Items.begin(), List.Items.end(),
                               [q = p](const auto& E) { return E.get() == q; });
        work->Items.push_back(std::move(*it));
        List.Items.erase(it);
      }
      for (const auto& e : work->Items) gone.insert(e.get());
      if (at < W1) {
        work->ClearLines();
        continue;
      }
      std::unique_ptr<TLIDA> m = Hyperfine ? work->Shrink() : work->ShrinkISO();
      work->ClearLines();
      if (m) merged.push_back(std::move(m));
    }
  };

  // the lines below From that complete the groups at the range's lower edge
  if (!load(L, U, "PreLoad5")) return Stopped(Job, name, R);
  for (bool last = false; !last;) {
    L = U;
    U = L + 2.0;
    if (U >= toNm + 0.5) {
      U = toNm + 0.5;
      last = true;
    }
    if (!load(L, U, "Load20")) return Stopped(Job, name, R);
    if (eof && !pending) last = true;
    const double w1 = std::max((L - 0.5) * 10, a), w2 = last ? b : (U - 0.5) * 10;
    // hyperfine groups
    moveOut(hfs, [](const TLIDA& E) { return E.LIk && E.LIk->frac != 0; });
    mergeGroups(hfs, true, w1, w2);
    emptyCheck("Srink15 WARN после обработки HFS LLAM0.Count="_cp, lam);
    // isotopic groups
    moveOut(iso, [](const TLIDA& E) { return E.LIk && E.LIk->fracabund != 0; });
    for (int32_t i = lam.Count() - 1; i >= 0; --i) {
      const bool empty = !lam[i].LIk;
      if (!empty && (i + 1 >= lam.Count() || lam[i].sIdK != lam[i + 1].sIdK)) continue;
      const std::string head = "Srink15 WARN в начале обработки ISO LLAM0.Count="_cp +
                               IntStr(lam.Count()) + kCrLf + "под номером "_cp + IntStr(i);
      if (empty)
        WARNAbs(head + " найдена пустая линия!"_cp);
      else
        WARNAbs(head + " найдена линия c дублированным "_cp + kCrLf + "sIdK = <" + lam[i].sIdK +
                "> !");
    }
    mergeGroups(iso, false, w1, w2);
    // the lines of the window, from From on
    size_t k = 0;
    for (; k < lam.Items.size(); ++k) {
      const TLIDA& e = *lam.Items[k];
      if (e.LAMB >= w2) break;
      if (e.LAMB < a || !e.LIk) continue;
      out.Use(BandOf(e.LAMB, 100));
      out.Write(e.sKurDumpHF());
    }
    lam.Items.erase(lam.Items.begin(), lam.Items.begin() + static_cast<std::ptrdiff_t>(k));
    if (!Job.Step(RoundI(std::clamp(lastNm * 10 - a, 0.0, b - a)), RoundI(b - a),
                  "Lam=" + RoundStr(lastNm * 10)))
      return Stopped(Job, name, R);
  }
  out.Finish();
  lam.ClearLines();
  hfs.ClearLines();
  iso.ClearLines();
  if (work) work->ClearLines();
  R.InsertErrors = errors.Lines();
  if (!R.InsertErrors.empty()) {
    std::string e = "Insert ERRORS";
    for (const std::string& x : R.InsertErrors) e += kCrLf + x;
    WARNAbs(e);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// lh -> lw

bool KurLinesCalcWD(TJob& Job, const std::string& From, const std::string& To,
                    TKurBandsResult& R) {
  R = TKurBandsResult();
  const std::string name = "KurLinesCalcWD";
  double a = 0, b = 0;
  if (!RangeOf(name, From, To, false, a, b) || !RunsAvailable(name)) return false;
  const std::string dir = LineFilesDir();
  CreateLineLists();
  TBandIn in(dir, "lh", BandOf(a, 100), BandOf(b, 100));
  TBandOut out(dir, "lw", 100, a, b, R);
  std::string s, text, firstFailed;
  int64_t n = 0;  // over all files read
  while (in.Next(s)) {
    ++n;
    double lam = 0;
    if (!LamCol(s, lam, text)) {
      WarnLam(in.File(), in.LineNo(), text);
      return Stopped(Job, name, R);
    }
    if (lam < a) continue;
    if (lam >= b) break;
    if (n % 10 == 0 ? !Job.Step(RoundI(lam - a), RoundI(b - a), "Lam=" + RoundStr(lam))
                    : Job.Cancelled())
      return Stopped(Job, name, R);
    ++R.Read;
    out.Use(BandOf(lam, 100));
    TLIDA line;
    TLIDAk k;
    if (!ParseKurLineExt("x" + ZeroPad(n, 7), in.File(), s, k, line, in.LineNo()))
      return Stopped(Job, name, R);
    CatalogueDefaults(line);
    double whm = 0, wcv = 0;
    ++R.Runs;
    if (!CalcLineWidths(line, whm, wcv) && R.RunsFailed++ == 0) firstFailed = line.sIdK;
    LineData().DropLineVectors();
    line.LoadClone(*LILast);
    out.Write(line.sKurDumpHF());
  }
  out.Finish();
  NoteFailedRuns(name, R, firstFailed);
  return true;
}
