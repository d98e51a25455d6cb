// Picture commands of the harness: frame sequences of profile plots from a description file
// (cora) or from "#SG" lines (sg), the Zeeman pattern test (zee-test), model-vector curves from
// a "#MG" description (gvemo) and the Milne-Eddington test profile (rach-test). Each draws on a
// bitmap in memory, writes it as a GIF and prints what it drew: viewports in percent and pixels,
// ranges and points per curve, and the reports.
#include <cstdio>
#include <iostream>
#include <set>

#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "models/cvModServices.h"
#include "models/variator/cvVariContext.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "platform/Canvas.h"
#include "platform/FileErr.h"
#include "plotting/cvGRAD.h"
#include "plotting/gif/cvGIF.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/drivers/cvProjRuns.h"
#include "synthesis/pictures/cvCora.h"
#include "synthesis/pictures/cvGVemo.h"
#include "synthesis/pictures/cvRachTest.h"
#include "synthesis/pictures/cvZeeTest.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"
#include "tools/batch/Batch.h"

namespace {

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

struct TPicOpts {
  std::string Project, Db, Out, Ctrl, File;
  int32_t Frame = 0, W = 800, H = 600;
  std::vector<std::string> Num;  // named numeric options as "name=value"
  bool Warn = false, Bad = false;
};

bool Int(const std::string& S, int32_t& V) {
  int32_t code = 0;
  V = ValIntCode(S, code);
  return code == 0;
}

// Common options; Extra names options taking a value that the command reads from Num.
TPicOpts Options(const std::vector<std::string>& Args, const std::set<std::string>& Extra = {}) {
  TPicOpts o;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    const bool more = i + 1 < Args.size();
    if (a == "--project" && more) o.Project = batch::Cp(Args[++i]);
    else if (a == "--db" && more) o.Db = batch::Cp(Args[++i]);
    else if (a == "--out" && more) o.Out = Args[++i];
    else if (a == "--ctrl" && more) o.Ctrl = batch::Cp(Args[++i]);
    else if (a == "--frame" && more) o.Bad |= !Int(Args[++i], o.Frame) || o.Frame < 1;
    else if (a == "--size" && more) {
      if (std::sscanf(Args[++i].c_str(), "%dx%d", &o.W, &o.H) != 2 || o.W < 16 || o.H < 16 ||
          o.W > 8192 || o.H > 8192)
        o.Bad = true;
    } else if (a == "--warn") o.Warn = true;
    else if (Extra.count(a) && more) o.Num.push_back(a.substr(2) + "=" + Args[++i]);
    else if (o.File.empty() && a.rfind("--", 0) != 0) o.File = batch::Cp(a);
    else o.Bad = true;
  }
  return o;
}

// The program's root, the project (the demo when none is given), the services, the element
// table and the line database.
bool Setup(const TPicOpts& O, bool Db) {
  if (O.Warn) Sayer->WarnOn();
  batch::UseProgramRoot();
  App->sProjDir = O.Project.empty() ? FindNoCase(App->sRoot, "Projects/Demo/")
                                    : DirSlash(ExpandFileName(O.Project));
  InstallSynthesisServices();
  auto where = [](const std::string&, const std::string& File, int32_t Line, int32_t Pos) {
    std::cerr << "corvesta-batch: " << batch::U8(File) << ":" << Line << ":" << Pos << "\n";
  };
  Models().OpenAt.Install(where);
  Synthesis().OpenAt.Install(where);
  Models().MemoTestAdd.Install([](const std::string& Text) { Sayer->ChanLog(-1, Text); });
  CopyOptionTemplates();
  if (!Db) return true;
  CreateMEND();
  MEND->LoadAll();
  CreateDM();
  return batch::ConnectLineDb(*DM, O.Db);
}

void SaveGif(const std::string& Out, const std::vector<platform::TBitmap*>& Frames, int32_t Delay) {
  if (Out.empty() || Frames.empty()) return;
  TCvGIF G;
  for (platform::TBitmap* B : Frames) {
    const int32_t i = G.AddFrame(TDib::FromBitmap(*B));
    if (Frames.size() > 1) G.SetFrameDelay(G.FrameAt(i), uint16_t(std::clamp(Delay, 0, 65535)));
  }
  if (Frames.size() > 1) {
    G.SetLooping(true);
    G.SetRepeatCount(1000);
  }
  G.SaveToFile(Out);
  std::cout << "gif " << Out << " frames " << Frames.size() << "\n";
}

// The quests whose profiles the sequence draws, run as the Project tab's RUN does.
void RunQuests(TJob& J, const TCORA& C, TLUNNO& List) {
  std::set<std::string> quests;
  for (const auto& f : C.LKadr)
    for (const auto& p : f) {
      quests.insert(p->QUEST);
      if (p->Kind != 'O') quests.insert(p->QUEST2);
    }
  for (const std::string& q : quests) {
    if (!platform::IsRegularFile(FindNoCase(App->sProjDir, "ONE/" + q + ".DAT"))) {
      std::cout << "quest " << batch::U8(q) << " has no control file: not run\n";
      continue;
    }
    App->sQuest = q;
    TQuestText text;
    TLUNNO made;
    if (!LoadAndRunOne(J, q, made, text)) {
      if (J.Cancelled()) return;
      std::cout << "quest " << batch::U8(q) << " not run\n";
      continue;
    }
    std::cout << "quest " << batch::U8(q) << " profiles " << made.Count() << "\n";
    List.TakeAll(made);
  }
}

// The frames of a read sequence: one frame (or --frame K) drawn; several played as the timer
// does and written as the CORA tab's GIF (1..N, then N..1).
int DrawSequence(TCORA& C, const TPicOpts& O) {
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TLUNNO list;
  TJob job("CORA " + C.FileName);
  int rc = batch::RunAsJob(job, [&](TJob& J) {
    LoadVectorLists(ctx);
    RunQuests(J, C, list);
  });
  if (rc != 0) return rc;
  std::cout << "sequence " << batch::U8(C.FileName) << " frames " << C.NKadr << " interval "
            << C.Interval << " kind " << C.ScaleKind << " plots";
  for (size_t k = 0; k < C.LKadr.size(); ++k) std::cout << " " << C.LKadr[k].size();
  std::cout << "\nlabel " << C.FrameLabel() << "\n";
  TGRAF G;
  platform::TBitmap B(O.W, O.H);
  auto draw = [&](int32_t K) {
    const TFrameDone F = C.DrawKadr(K, B.Canvas(), list, G);
    Print(F.Report().get());
    if (F.StopTimer) std::cout << "timer stopped at frame " << K << "\n";
    return F;
  };
  std::vector<std::unique_ptr<platform::TBitmap>> keep;
  std::vector<platform::TBitmap*> frames;
  if (O.Frame > 0 || !C.Animated()) {
    C.KKadr = O.Frame > 0 ? O.Frame : 1;
    std::cout << "label " << C.FrameLabel() << "\n";
    draw(C.KKadr);
    frames.push_back(&B);
  } else {
    std::string ticks;
    for (int32_t t = 0; t < 2 * C.NKadr + 2; ++t) {
      C.Tick();
      ticks += " " + C.FrameLabel();
    }
    std::cout << "timer" << ticks << "\n";
    for (int32_t j = 0; j < 2 * C.NKadr; ++j) {
      const int32_t K = j < C.NKadr ? j + 1 : 2 * C.NKadr - j;
      const TFrameDone F = draw(K);
      keep.push_back(std::make_unique<platform::TBitmap>(B));
      frames.push_back(keep.back().get());
      if (F.StopTimer) break;
    }
  }
  SaveGif(O.Out, frames, C.Interval);
  return 0;
}

// cora [--project DIR] [--db FILE] [--frame K] [--out FILE.gif] [--size WxH] FILE|QUEST
int Cora(const std::vector<std::string>& Args) {
  TPicOpts o = Options(Args);
  if (o.Bad || o.File.empty()) return batch::Usage();
  if (!Setup(o, true)) return 1;
  std::string file = SlashPath(o.File);
  if (!platform::IsRegularFile(file)) file = CoraFileOf(o.File, 1);
  TCORA C;
  TJob job("CORA.ReadAndDrow");
  const int rc = batch::RunAsJob(job, [&](TJob&) { C.ReadFile(file); });
  if (rc != 0) return rc;
  return DrawSequence(C, o);
}

// sg [--project DIR] [--db FILE] [--frame K] [--out FILE.gif] [--size WxH] FILE
int Sg(const std::vector<std::string>& Args) {
  TPicOpts o = Options(Args);
  if (o.Bad || o.File.empty()) return batch::Usage();
  if (!Setup(o, true)) return 1;
  std::string file = SlashPath(o.File);
  if (!platform::IsRegularFile(file)) file = FindNoCase(App->sProjDir, file);
  TCORA C;
  TJob job("CORA.ReadDescr");
  const int rc = batch::RunAsJob(job, [&](TJob&) { C.ReadDescr(file); });
  if (rc != 0) return rc;
  if (o.Frame == 0) o.Frame = 1;
  return DrawSequence(C, o);
}

std::string TextOpt(const TPicOpts& O, const std::string& Name, const std::string& Default) {
  for (const std::string& s : O.Num)
    if (s.rfind(Name + "=", 0) == 0) return s.substr(Name.size() + 1);
  return Default;
}

double NumOpt(const TPicOpts& O, const std::string& Name, double Default) {
  for (const std::string& s : O.Num)
    if (s.rfind(Name + "=", 0) == 0) {
      int32_t code = 0;
      const double v = ValRealCode(s.substr(Name.size() + 1), code);
      if (code == 0) return v;
    }
  return Default;
}

// zee-test [--project DIR] [--db FILE] [--ctrl FILE] [--in-row N] [--rows N] [--width N]
//          [--dlam V] [--out FILE.gif] [--size WxH]
int ZeeTestCmd(const std::vector<std::string>& Args) {
  TPicOpts o = Options(Args, {"--in-row", "--rows", "--width", "--dlam"});
  if (o.Bad || !o.File.empty()) return batch::Usage();
  if (!Setup(o, true)) return 1;
  std::string ctrl = o.Ctrl;
  if (ctrl.empty()) {
    cvDirs->CheckByTPL("ZEE", "CTRL");
    ctrl = cvDirList("ZEE", "CTRL");
  }
  const std::string res = cvDirList("ZEE", "RES");
  ForceFileDir(res);
  // the layout fields as the tab's edits hold them
  std::string inRow = TextOpt(o, "in-row", "5"), rows = TextOpt(o, "rows", "4"),
              width = TextOpt(o, "width", "4");
  const int32_t r1 = ZeeLayoutField(inRow), r2 = ZeeLayoutField(rows), r3 = ZeeLayoutField(width);
  TZeeTestResult R;
  TJob job("ZeeTest");
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    if (!ZeeTestRun(J, ctrl, res, NumOpt(o, "dlam", 0), R) && !J.Cancelled())
      ErrAbs("Файл ["_cp + ctrl + "] не найден!"_cp);
  });
  if (rc != 0) return rc;
  Print(R.Report.get());
  std::cout << "report " << batch::U8(res) << "\n";
  std::cout << "layout " << r1 << " x " << r2 << " pen " << r3 << " hfs " << ShortSt(5, R.HfsMin)
            << " .. " << ShortSt(5, R.HfsMax) << "\n";
  for (size_t p = 0; p < R.Panels.size(); ++p) {
    const TZeePanel& P = R.Panels[p];
    std::cout << "panel " << p << " " << (P.HFS ? "hfs " + IntStr(P.H.N) : "pattern " + IntStr(P.Z.NCOMP) + " npi " + IntStr(P.Z.NPI))
              << " " << batch::U8(P.Title) << "\n";
  }
  TGRAF G;
  platform::TBitmap B(o.W, o.H);
  ZeeTestDraw(G, B.Canvas(), R, r1, r2, r3);
  SaveGif(o.Out, {&B}, 0);
  return 0;
}

// gvemo [--project DIR] [--out FILE.gif] [--size WxH] DESCRIPTION: the models named by the
// description loaded into a fresh keeper and its curves drawn.
int GVemo(const std::vector<std::string>& Args) {
  TPicOpts o = Options(Args);
  if (o.Bad || o.File.empty()) return batch::Usage();
  const std::string file = SlashPath(o.File);
  if (!batch::RequireFile(file, "description")) return 1;
  if (!Setup(o, false)) return 1;
  InstallModelServices();
  TStringList L;
  L.LoadFromFile(file);
  std::vector<std::string> lines = L.Lines();
  std::set<std::string> models{"HOLMU"};
  for (const std::string& l : lines)
    for (int32_t k = 1; k < WordCount(l); ++k)
      if (WordN(l, k) == "#MG_MOD" || WordN(l, k) == "#MOD") models.insert(WordN(l, k + 1));
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TGRAF G;
  platform::TBitmap B(o.W, o.H);
  TGVEMO V;
  TJob job("GVEMO " + file);
  const int rc = batch::RunAsJob(job, [&](TJob&) {
    LoadVectorLists(ctx);
    for (const std::string& m : models) {
      ctx.LVEMO->LoadModel("", "", "", m);
      std::cout << "model " << batch::U8(m) << (ctx.LVEMO->HasMod(m) ? " loaded" : " missing") << "\n";
    }
    B.Canvas().Brush.Color = 0xFFFFFF;
    B.Canvas().FillRect(TRect{0, 0, o.W, o.H});
    V.SetCanvas(&B.Canvas());
    V.LoadDescr(lines, *ctx.LVEMO, G);
  });
  if (rc != 0) return rc;
  std::cout << "page px " << o.W << " x " << o.H << "\n";
  for (const TGVemoCurve& c : V.Curves)
    std::cout << "curve " << batch::U8(c.Vector) << (c.Drawn ? " drawn" : " not drawn") << " points "
              << c.Points << " x " << ShortSt(6, c.X1) << ".." << ShortSt(6, c.X2) << " y "
              << ShortSt(6, c.YDown) << ".." << ShortSt(6, c.YUp) << "\n";
  SaveGif(o.Out, {&B}, 0);
  return 0;
}

// rach-test [--db FILE] [--n N] [--w MA] [--h G] [--eta0 E] [--a A] [--dld MA] [--gamma DEG]
//           [--chi DEG] [--beta B] [--out FILE.gif] [--size WxH] ID
int RachTest(const std::vector<std::string>& Args) {
  TPicOpts o = Options(Args, {"--n", "--w", "--h", "--eta0", "--a", "--dld", "--gamma", "--chi", "--beta"});
  if (o.Bad || o.File.empty()) return batch::Usage();
  if (!Setup(o, true)) return 1;
  TMEPar p;
  p.ETA0 = NumOpt(o, "eta0", 10);
  p.A = NumOpt(o, "a", 0.05);
  p.DLD = NumOpt(o, "dld", 30);
  p.BETTA = NumOpt(o, "beta", 1.5);
  p.GM = NumOpt(o, "gamma", 30);
  p.XI = NumOpt(o, "chi", 20);
  p.CTETA = 1;
  const double h = NumOpt(o, "h", 1000);
  const int32_t n = static_cast<int32_t>(NumOpt(o, "n", 41));
  const double w = NumOpt(o, "w", 400);
  TOwnVariContext vctx;
  TVariScope vscope(vctx);
  TGRAF G;
  platform::TBitmap B(o.W, o.H);
  TPlotDone D;
  TUNNO U;
  bool ok = false;
  TJob job("RachTestProf " + o.File);
  const int rc = batch::RunAsJob(job, [&](TJob&) {
    TLIDA probe;
    if (probe.DBGetLIDA(o.File.substr(0, 13), LineData().LGGFSrcList())) p.DLH = DLHOfField(probe.LAMB, h);
    ok = RachTestProf(o.File, p, n, B.Canvas(), w, G, &D, &U);
  });
  if (rc != 0) return rc;
  if (!ok) {
    std::cout << "line " << batch::U8(o.File) << " not in the database: nothing drawn\n";
    return 1;
  }
  std::cout << "profile " << batch::U8(U.sULin) << " LAMB=" << ShortSt(9, U.LAMB) << " NDL=" << U.NDL
            << " DLH=" << ShortSt(6, p.DLH) << " D0=" << ShortSt(6, U.GetD0()) << "\n";
  std::cout << "view px " << D.PixLeft << ".." << D.PixRight << " x " << D.PixTop << ".."
            << D.PixBottom << " x " << ShortSt(8, D.WX1) << ".." << ShortSt(8, D.WX2) << " y "
            << ShortSt(6, D.WY1) << ".." << ShortSt(6, D.WY2) << " points";
  for (int32_t k : D.Points) std::cout << " " << k;
  std::cout << (D.Problem.empty() ? "" : " empty: " + batch::U8(D.Problem)) << "\n";
  SaveGif(o.Out, {&B}, 0);
  return 0;
}

const TBatchCommand kCora{"cora",
                          "cora [--project DIR] [--db FILE] [--frame K] [--out FILE.gif] "
                          "[--size WxH] FILE|QUEST",
                          Cora};
const TBatchCommand kSg{"sg",
                        "sg [--project DIR] [--db FILE] [--frame K] [--out FILE.gif] [--size WxH] "
                        "FILE",
                        Sg};
const TBatchCommand kZee{"zee-test",
                         "zee-test [--project DIR] [--db FILE] [--ctrl FILE] [--in-row N] "
                         "[--rows N] [--width N] [--dlam V] [--out FILE.gif] [--size WxH]",
                         ZeeTestCmd};
const TBatchCommand kGVemo{"gvemo", "gvemo [--project DIR] [--out FILE.gif] [--size WxH] DESCRIPTION",
                           GVemo};
const TBatchCommand kRach{"rach-test",
                          "rach-test [--db FILE] [--n N] [--w MA] [--h G] [--eta0 E] [--a A] "
                          "[--dld MA] [--gamma DEG] [--chi DEG] [--beta B] [--out FILE.gif] "
                          "[--size WxH] ID",
                          RachTest};

}  // namespace
