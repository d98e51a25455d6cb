// The picture tool without its window: current and comparison graph, line-style edits and the
// "LineStyles" text, margins, axis positions, digit codes, frames, zoom boxes and size steps,
// and the updating lock on every path.
#include <map>
#include <stdexcept>

#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "platform/Dialogs.h"
#include "support/PictFixture.h"

namespace {

struct Tool_ : PictFixture {
  int Made = 0;
  void Graphs(int n) {
    for (int i = 1; i <= n; ++i, ++Made) Add(Arr({0, 1}), Arr({0, double(i)}), "g" + IntStr(Made + 1));
  }
  std::string Title(int n) { return P->Graph(n)->Name; }
};

TEST_F(Tool_, NextPreviousAndMoveLeft) {
  Graphs(3);
  Tool.Put("edKPic", "3");
  Tool.Changed("btKGraInc");
  EXPECT_EQ(P->k, 1);
  EXPECT_EQ(Tool.Get("edKPic"), "1");
  Tool.Changed("btKGraDec");
  EXPECT_EQ(P->k, 3);
  EXPECT_FALSE(Tool.Updating);
  P->ClearAll();
  P->INIG(&Bm->Canvas(), "TFPict", Pict.get(), 0);
  ASSERT_TRUE(P->CheckArrPlot());
  Graphs(1);
  Tool.Put("edKPic", "1");
  Tool.Changed("btKGraInc");
  Tool.Changed("btKGraDec");
  EXPECT_EQ(P->k, 1);
  EXPECT_FALSE(Tool.Updating);
  Made = 0;
  Graphs(3);  // four graphs now: g1, g1, g2, g3
  P->Graph(1)->Name = "first";
  Tool.Put("edKPic", "1");
  Tool.Changed("btKGraMoveLeft");
  EXPECT_EQ(Title(4), "first");
  EXPECT_EQ(Title(1), "g1");
  EXPECT_EQ(P->k, 4);
  // A handler ignored while the lock is held.
  Tool.Updating = true;
  Tool.Put("edKPic", "2");
  Tool.Changed("btKGraInc");
  EXPECT_EQ(P->k, 4);
  Tool.Changed("bt_QGoCancel");
  EXPECT_FALSE(Tool.Updating);
}

TEST_F(Tool_, TheLockIsReleasedWhenAHandlerThrows) {
  Graphs(2);
  Tool.Put("edKPic", "1");
  Tool.OnSet = [](const std::string& Name, const std::string&) {
    if (Name == "lbNPic") throw std::runtime_error("widget gone");
  };
  EXPECT_THROW(Tool.Changed("btKGraInc"), std::runtime_error);
  EXPECT_FALSE(Tool.Updating);
  EXPECT_THROW(P->ToolsRefresh(), std::runtime_error);
  EXPECT_FALSE(Tool.Updating);
}

TEST_F(Tool_, BackgroundColourDialog) {
  platform::ScriptedDialogs D;
  const uint32_t Bk0 = P->bkColor;
  D.CancelColor();
  Tool.Changed("lbColorBk");
  EXPECT_EQ(P->bkColor, Bk0);
  D.AnswerColor(0x336699);
  Tool.Changed("lbColorBk");
  EXPECT_EQ(P->bkColor, 0x336699u);
  EXPECT_EQ(Tool.Get("lbColorBk.Color"), IntStr(0x336699));
  Tool.Changed("lbColorBk");  // opens with the label's colour; cancelled
  EXPECT_EQ(D.ColorAsks(), (std::vector<uint32_t>{0xFFFFFF, 0xFFFFFF, 0x336699}));
  EXPECT_EQ(P->bkColor, 0x336699u);
}

TEST_F(Tool_, CaptionFontDialogAndStoredSize) {
  platform::ScriptedDialogs D;
  std::map<std::string, std::string> Kept;
  Plotting().SetSetting = [&Kept](const std::string& K, const std::string& V) { Kept[K] = V; };
  Plotting().GetSetting = [&Kept](const std::string& K) { return Kept[K]; };
  platform::TBitmap WinBm(8, 8);
  Win.Canvas = &WinBm.Canvas();
  platform::TCanvas& C = *G.Canvas;
  C.Font.Charset = 204;
  platform::TFont F = C.Font;
  F.Name = "Arial";
  F.Size = 14;
  F.Charset = 0;
  D.AnswerFont(F);
  Tool.Changed("btFontDialog");
  ASSERT_EQ(D.FontAsks().size(), 1u);
  EXPECT_EQ(D.FontAsks()[0].Charset, 204);
  EXPECT_EQ(Kept["picCharSize"], "14");
  EXPECT_EQ(C.Font.Name, "Arial");
  EXPECT_EQ(C.Font.Size, 14);
  EXPECT_EQ(C.Font.Charset, 204);  // the device keeps its character set
  EXPECT_EQ(WinBm.Canvas().Font, F);
  // Cancelled: the size it opened with is stored all the same.
  C.Font.Size = 9;
  Tool.Changed("btFontDialog");
  EXPECT_EQ(Kept["picCharSize"], "9");
  // Showing the tool gives a stored size to both canvases; 0 changes nothing.
  Kept["picCharSize"] = "17";
  Tool.FormShow();
  EXPECT_EQ(C.Font.Size, 17);
  EXPECT_EQ(WinBm.Canvas().Font.Size, 17);
  Kept["picCharSize"] = "0";
  Tool.FormShow();
  EXPECT_EQ(C.Font.Size, 17);
  // No device canvas: the warning and no dialog.
  G.Canvas = nullptr;
  Tool.Changed("btFontDialog");
  G.Canvas = &C;
  EXPECT_EQ(D.FontAsks().size(), 2u);
  ASSERT_FALSE(Warns.empty());
  EXPECT_EQ(Warns.back(), "PLOTTER.Gra.CANVAS Not Assigned!");
  Win.Canvas = nullptr;
  ResetPlotServices();
}

TEST_F(Tool_, ComparisonGraph) {
  Graphs(2);
  for (auto [Text, Want, Shown] : std::vector<std::tuple<std::string, int, std::string>>{
           {"2", 2, "2"}, {"5", 0, "0"}, {"x", 0, "0"}}) {
    Tool.Put("edKPic0", Text);
    Tool.Changed("edKPic0");
    EXPECT_EQ(P->k_Compare, Want) << Text;
    EXPECT_EQ(Tool.Get("edKPic0"), Shown) << Text;
  }
  Warns.clear();
  Tool.Put("btHighLightPic0", "1");
  Tool.Changed("btHighLightPic0");
  EXPECT_EQ(Tool.Get("btHighLightPic0"), "0");
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "График сравнения не выбран!!!"_cp);
}

TEST_F(Tool_, FormatEdits) {
  struct Case {
    char Op;  // m marker, d dash, s mark size, l line size, c colour
    const char* In;
    const char* Arg;
    const char* Out;
  };
  for (const Case& C : {Case{'m', "-.K 0.6", "o", "-oK 0.6"}, Case{'m', "-K 0.6", "o", "-K 0o6"},
                        Case{'m', "K", "+", "+K"}, Case{'d', "-.K (1 3)", "_", "_.K"},
                        Case{'d', "-.K (1 3)", "~", "~.K (1 3)"}, Case{'d', ".K", ":", ":.K"},
                        Case{'s', "-.K [00FF00](1 3)", "0", "-.K [00FF00](1 3)"},
                        Case{'s', "-.K 1 2", "0", "-.K 0 2"}, Case{'s', "-.K", "1.5", "-.K 1.5"},
                        Case{'l', "-.K", "2", "-.K 0 2"}, Case{'l', "-.K 1 2", "0", "-.K 1"},
                        Case{'c', "-.K 1", "R", "-.R 1"}, Case{'c', "-. 1", "G", "G-. 1"}}) {
    std::string Out;
    switch (C.Op) {
      case 'm': Out = FormatWithMarker(C.In, C.Arg[0]); break;
      case 'd': Out = FormatWithDash(C.In, C.Arg[0]); break;
      case 's': Out = FormatWithMarkSize(C.In, C.Arg); break;
      case 'l': Out = FormatWithLineSize(C.In, C.Arg); break;
      default: Out = FormatWithColor(C.In, C.Arg[0]); break;
    }
    EXPECT_EQ(Out, C.Out) << C.Op << " " << C.In << " " << C.Arg;
  }
  EXPECT_EQ(FormatWithDashGroup("-.K 1 [00FF00](4 4)", "(1 3 2)"), "-.K 1 [00FF00](1 3 2)");
  // Through the tool on the current graph.
  Graphs(1);
  Tool.SetGraphMarker("o");
  EXPECT_EQ(P->Graph(1)->CurvShowFormat, "-oK");
  EXPECT_EQ(P->Graph(1)->MarkCh, 'o');
  Tool.Put("edMarkSize", "1.5");
  Tool.Changed("edMarkSize");
  EXPECT_EQ(P->Graph(1)->CurvShowFormat, "-oK 1.5");
  Tool.Put("edMarkSize", "abc");
  Tool.Changed("edMarkSize");
  EXPECT_EQ(P->Graph(1)->CurvShowFormat, "-oK 1.5");
  Tool.Put("edDashGap", "2");
  Tool.Put("edDashWide", "3");
  Tool.Put("edDashDot", "0");
  Tool.Changed("edDashGap");
  EXPECT_EQ(P->Graph(1)->CurvShowFormat, "-oK 1.5 (2 3)");
  EXPECT_EQ(Tool.Get("edLineStyle"), "-oK 1.5 (2 3)");
  EXPECT_FALSE(Tool.Updating);
}

TEST_F(Tool_, LineStylesText) {
  TStringList In;
  for (const char* L : {" 1 -.K", " 2 -.R ! red", "! a comment", " 3 _oB", "", " 4 -.G"})
    In.Add(L);
  auto S = ParseLineStyles(In);
  ASSERT_EQ(S->Count(), 3);
  EXPECT_EQ((*S)[0], "-.K");
  EXPECT_EQ((*S)[1], "-.R");
  EXPECT_EQ((*S)[2], "_oB");
  In[3] = " 5 _oB";
  EXPECT_EQ(ParseLineStyles(In)->Count(), 2);
  // Saved numbering; lists above 99 survive a save and a load.
  TStringList Many;
  for (int i = 1; i <= 120; ++i) Many.Add("-.K " + IntStr(i));
  auto T = LineStylesText(Many);
  EXPECT_EQ((*T)[0], " 1 -.K 1");
  EXPECT_EQ((*T)[11], "12 -.K 12");
  EXPECT_EQ((*T)[119], "120 -.K 120");
  auto Back = ParseLineStyles(*T);
  ASSERT_EQ(Back->Count(), 120);
  EXPECT_EQ((*Back)[119], "-.K 120");
  // The load refuses short texts and asks before replacing a list of more than 2.
  std::unique_ptr<TStringList> Editor;
  Plotting().EditorText = [&] { return std::make_unique<TStringList>(*Editor); };
  std::string Asked;
  Plotting().AskYesNo = [&](const std::string& Q, const std::string&) {
    Asked = Q;
    return true;
  };
  Editor = std::make_unique<TStringList>(In);
  Warns.clear();
  Tool.Changed("btFormatsLoad");
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0],
            "Проверьте текст - должно быть более 2-х строк с идущими по порядку номерами!"_cp);
  for (const char* F : {"-.K", "-.R", "-.G"}) PlotLineStyles().List->Add(F);
  Editor = std::move(T);
  Tool.Changed("btFormatsLoad");
  EXPECT_EQ(Asked, "Список форматов содержит 3 элементов, при загрузке они будут удалены. "
                   "Продолжить?"_cp);
  EXPECT_EQ(PlotLineStyles().List->Count(), 120);
}

TEST_F(Tool_, MarginsAxisPositionsAndDigitCodes) {
  struct M {
    const char* Text;
    bool Ok;
    double a, b;
    const char* Bad;
  };
  for (const M& C : {M{"12", true, 12, 12, ""}, M{"12/8", true, 12, 8, ""},
                     M{"12/x", false, 0, 0, "x"}, M{" 3 4 ", true, 3, 4, ""}}) {
    double a = 0, b = 0;
    std::string Bad;
    EXPECT_EQ(ParseMarginText(C.Text, a, b, Bad), C.Ok) << C.Text;
    if (C.Ok) {
      EXPECT_EQ(a, C.a);
      EXPECT_EQ(b, C.b);
    } else {
      EXPECT_EQ(Bad, C.Bad);
    }
  }
  Graphs(1);
  Tool.Put("edMargX", "12/x");
  Warns.clear();
  const TArrPlot Before = *P->ArrPlot();
  Tool.Changed("edMargX");
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Неверное число в поле<x>"_cp);
  EXPECT_EQ(Tool.Get("edMargX.Focus"), "1");
  EXPECT_EQ(P->ArrPlot()->margX, Before.margX);
  Tool.Put("edMargX", "12/8");
  Tool.Changed("edMargX");
  EXPECT_EQ(P->ArrPlot()->margX, 12);
  EXPECT_EQ(P->ArrPlot()->margX2, 8);

  struct A {
    const char* Text;
    bool IsX;
    double p1, p2;
    const char* Warn;
  };
  const std::string WX = "Положение оси X не должно быть вне границ [-0.5..1.5] в окне по Y"_cp;
  const std::string WY1 = "Положение оси Y1 не должно быть вне границ [0..1] в окне по X"_cp;
  for (const A& C : {A{"0.5", true, 0.5, 2, ""}, A{"1 0", true, 0, 1, ""},
                     A{"1.7", true, 0, 1, "X"}, A{"1.7", false, 0, 1, "Y1"},
                     A{"1.2", false, 1.2, 2, ""}, A{"0.2 q", true, 0.2, 1, ""},
                     A{"z", true, 0, 1, "N"}}) {
    TWorldWin W;
    W.PosOX = 0, W.Pos2 = 1;
    Warns.clear();
    ApplyAxisPos(W, C.Text, C.IsX);
    EXPECT_EQ(W.PosOX, C.p1) << C.Text;
    EXPECT_EQ(W.Pos2, C.p2) << C.Text;
    const std::string Want = std::string(C.Warn) == "X"    ? WX
                             : std::string(C.Warn) == "Y1" ? WY1
                             : std::string(C.Warn) == "N"  ? "Неверное число <z|=>|z> в поле ввода"_cp
                                                           : "";
    EXPECT_EQ(Warns.empty() ? "" : Warns[0], Want) << C.Text;
  }
  TWorldWin W;
  W.PosOX = 0.2, W.Pos2 = 0.8;
  ApplyDigitPos(W, "хф"_cp);
  EXPECT_EQ(W.PDOX, 1);
  EXPECT_EQ(W.PDOX2, 1);
  ApplyDigitPos(W, "0?"_cp);
  EXPECT_EQ(W.PDOX, 0);
  EXPECT_EQ(W.PDOX2, 1);
  // Through the tool: the refresh shows the axis, tick count 0 becomes 5.
  TWorldWin& WX1 = *P->LWorldWin->GetWin(P->Graph(1)->WinX);
  WX1.kOX = 1;
  P->ToolsRefresh();
  EXPECT_EQ(Tool.Get("btOXXShow"), "1");
  EXPECT_EQ(Tool.Get("cbOXXDigitPos"), "ф0"_cp);
  Tool.Put("edNMrkX", "0");
  Tool.Changed("edNMrkX");
  EXPECT_EQ(WX1.NMrk, 5);
  Tool.Put("edOXXPos", "1 0");
  Tool.Changed("edOXXPos");
  EXPECT_EQ(WX1.PosOX, 0);
  EXPECT_EQ(WX1.Pos2, 1);
  Warns.clear();
  Tool.Put("edOXYMSize", "big");
  Tool.Changed("edOXYMSize");
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Неверное число <big> в поле ввода"_cp);
}

TEST_F(Tool_, FramesZoomBoxesAndScales) {
  Graphs(2);
  P->ArrPlot()->nt = 3;
  std::vector<int32_t> Seq;
  for (int i = 0; i < 5; ++i) {
    Tool.Changed("btT_next");
    Seq.push_back(P->kT);
  }
  EXPECT_EQ(Seq, (std::vector<int32_t>{1, 2, 3, 0, 1}));
  P->kT = 0;
  Tool.Changed("btT_prev");
  EXPECT_EQ(P->kT, 3);
  // At least one zoom box stays checked.
  Tool.Put("cbZoomX", "0");
  Tool.Put("cbZoomY", "0");
  Tool.Changed("cbZoomY");
  EXPECT_EQ(Tool.Get("cbZoomX"), "1");
  // Set zoom from the edits, X only; invert swaps the bounds.
  Tool.Put("edWX1", "-1");
  Tool.Put("edWX2", "4");
  Tool.Put("edWY1", "7");
  Tool.Put("edWY2", "8");
  Tool.Changed("btSetZoom");
  double x1, x2, y1, y2;
  P->GetCurWWRange(x1, x2, y1, y2);
  EXPECT_EQ(x1, -1);
  EXPECT_EQ(x2, 4);
  EXPECT_NE(y1, 7);
  Tool.Changed("btInvertX");
  P->GetCurWWRange(x1, x2, y1, y2);
  EXPECT_EQ(x1, 4);
  // A shared window is separated; then it is the graph's own and cannot be.
  const int32_t Shared = P->Graph(2)->WinX;
  ASSERT_EQ(P->Graph(1)->WinX, Shared);
  Tool.Changed("btDivWX");
  EXPECT_NE(P->Graph(2)->WinX, Shared);
  Warns.clear();
  Tool.Changed("btDivWX");
  ASSERT_EQ(Warns.size(), 1u);
  EXPECT_EQ(Warns[0], "Координата X для данного графика индивидуальна, \r\nеё не с чем разделять!"_cp);
}

TEST_F(Tool_, SizeStepsAndWidthFit) {
  int32_t Grow = 0, Target = 0;
  ASSERT_TRUE(SizeStep(0, 250, 100, 0, 0, 1, Grow, Target));
  EXPECT_EQ(Target, 300);
  EXPECT_EQ(Grow, 50);
  ASSERT_TRUE(SizeStep(0, 250, 100, 0, 0, -1, Grow, Target));
  EXPECT_EQ(Target, 100);
  EXPECT_FALSE(SizeStep(0, 250, 0, 0, 0, 1, Grow, Target));
  EXPECT_FALSE(SizeStep(0, 250, -100, 0, 0, 1, Grow, Target));
  EXPECT_FALSE(SizeStep(0, 50, 100, 0, 0, -1, Grow, Target));
  // Through the tool: the window grows to the next multiple.
  Graphs(1);
  P->ArrPlot()->margX = P->ArrPlot()->margX2 = 0;
  P->ToolsRefresh();
  Tool.Put("edDV", "100");
  Tool.Changed("udX+");
  int32_t x1 = std::stoi(Tool.Get("edVX1")), x2 = std::stoi(Tool.Get("edVX2"));
  EXPECT_EQ(std::abs(x2 - x1), 800);  // from 799 pixels
  Tool.Put("edDV", "0");
  Tool.Changed("udX+");
  EXPECT_EQ(std::abs(std::stoi(Tool.Get("edVX2")) - std::stoi(Tool.Get("edVX1"))), 800);
  // Width fit: fewer than two points refused; a search that would reach m = 0 stops.
  int32_t W = 0;
  EXPECT_FALSE(FitWidthToPoints(1, 0, 1920, 16, 800, 10, 10, W));
  EXPECT_TRUE(FitWidthToPoints(101, 100, 1920, 16, 800, 10, 10, W));
  EXPECT_GT(W, 0);
  EXPECT_TRUE(FitWidthToPoints(3, 2, 100, 16, 5000, 0, 0, W));
  P->Graph(1)->AX = Arr({1});
  P->Graph(1)->AY = Arr({1});
  P->Graph(1)->N = 1;
  Warns.clear();
  Tool.Changed("btXWidth");
  EXPECT_EQ(Warns.size(), 1u);
}

}  // namespace
