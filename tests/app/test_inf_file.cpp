// The panel's description file: the bundled file, the [Fields] table's rules, fatal errors and
// warnings with their file and line.
#include <gtest/gtest.h>

#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "support/TestSupport.h"

namespace {

struct Row {
  std::string code = "AA", en = "1", vis = "1", pri = "10", qlog = "0", width = "20", autosz = "1",
              align = "L", layout = "C", aux = "0", ifont = "0", icol = "0", ialt = "1", len = "0",
              nvar = "1", cd = "S", ed = "N", grp = "0", nglyph = "0", ichk = "0", pict = "",
              tpl = "%s", hint = "hint", lm = "0", lv = "0", lt = "0", log = "", flush = "";
  std::string Text() const {
    return "F|" + code + "|" + en + "|" + vis + "|" + pri + "|" + qlog + "|" + width + "|" +
           autosz + "|" + align + "|" + layout + "|" + aux + "|" + ifont + "|" + icol + "|" + ialt +
           "|" + len + "|" + nvar + "|" + cd + "|" + ed + "|" + grp + "|" + nglyph + "|" + ichk +
           "|" + pict + "|" + tpl + "|" + hint + "|" + lm + "|" + lv + "|" + lt + "|" + log + "|" +
           flush;
  }
};

const char* kHead =
    "[Informator]\nColorBack=clGray\nMargin=2\n"
    "[Fonts]\nNFont=1\n1_Bold=1\n"
    "[Colors]\nNColor=2\n0=clWhite\n1=clYellow\n2=clAqua\n"
    "[Groups]\nNGroup=1\n0_Name=Main\n1_Name=Extra\n";

Row OneColour() {
  Row r;
  r.ialt = "0";
  return r;
}

class InfFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { warns.push_back(t); });
    form.SetClientSize(800, 300);
  }
  void TearDown() override {
    delete inf;
    ResetSayerForTests();
  }
  std::string Write(const std::string& body, const std::string& head = kHead) {
    const std::string f = dir.file("inf.ini");
    testsupport::WriteFile(f, head + body);
    return f;
  }
  std::string Fields(const std::vector<Row>& rows, const std::string& tail = "; end\n") {
    std::string s = "[Fields]\n";
    for (const auto& r : rows) s += r.Text() + "\n";
    return s + tail;
  }
  void Init(const std::string& file) {
    TInf::Init(inf, &form, "Terminal", nullptr, nullptr, 14, 2, file);
  }
  // The fatal text of loading the file.
  std::string Fatal(const std::string& file) {
    try {
      Init(file);
    } catch (const EInOutError& e) {
      return e.what();
    }
    return "(no error)";
  }
  bool Warned(const std::string& part) const {
    for (const auto& w : warns)
      if (w.find(part) != std::string::npos) return true;
    return false;
  }
  testsupport::TempDir dir;
  platform::TMemControl form{"TForm", "Corvesta"};
  TInf* inf = nullptr;
  std::vector<std::string> warns;
};

TEST_F(InfFile, BundledFileHoldsEveryCodeTheProgramUses) {
  Init(testsupport::SourceRoot() + "/data/INI/inf.ini");
  EXPECT_TRUE(warns.empty()) << warns.front();
  const char* codes[] = {"IF", "I1", "EE", "TT", "UM", "tt", "tC", "tN", "IR", "RW", "Wd", "eC",
                         "nX", "t1", "t2", "eX", "eY", "ta", "05", "06", "Cd", "tG", "sU", "sD",
                         "tA", "jC", "cC", "cB", "cL", "cR", "cs", "cT", "cP", "xI", "xE", "cN",
                         "sX", "dG", "TG", "xe", "xi"};
  for (const char* c : codes) EXPECT_NE(inf->FindFld(c), nullptr) << c;
  // Switches carry two glyph frames; editable integers and the numbering template.
  for (const char* c : {"IR", "RW", "Wd", "eC"}) {
    const TInfField* f = inf->FindFld(c);
    EXPECT_EQ(f->CD, 'N');
    EXPECT_EQ(f->NumGlyph, 2);
    ASSERT_TRUE(f->Glyph) << c;
  }
  for (const char* c : {"nX", "t1", "t2", "eX", "eY"}) {
    EXPECT_TRUE(inf->FindFld(c)->Editable) << c;
    EXPECT_EQ(inf->FindFld(c)->CD, 'L') << c;
    EXPECT_EQ(inf->FindFld(c)->DataLen, 4) << c;
  }
  EXPECT_TRUE(inf->FindFld("ta")->Editable);
  EXPECT_EQ(inf->Colors.size(), 8u);
  EXPECT_EQ(inf->Fonts.size(), 2u);
  ASSERT_EQ(inf->Groups.size(), 5u);
  EXPECT_EQ(inf->Groups[4].Name, "Tests");
  EXPECT_FALSE(inf->Groups[4].Shown);
  EXPECT_EQ(inf->VisibleFields.size(), inf->Fields.size() - 2);  // the test buttons are hidden
  EXPECT_TRUE(inf->Dirty);
}

TEST_F(InfFile, GlyphStripsHaveTheirSizes) {
  const std::vector<std::tuple<std::string, int, int>> sizes = {
      {"BMP06", 32, 16},     {"BMPTEST", 32, 16},  {"COLALIGN", 14, 18}, {"COLCOPY", 10, 18},
      {"COLCOPYTR", 10, 18}, {"COLCUT", 13, 18},   {"COLLEFT", 12, 18},  {"COLNUM", 14, 18},
      {"COLPASTE", 18, 18},  {"COLRIGHT", 12, 18}, {"COLSLICE", 12, 18}, {"COLSWAP", 13, 18},
      {"CURWD", 62, 16},     {"EDCANCEL", 36, 18}, {"EDIT", 52, 16},     {"GRAPH", 12, 18},
      {"INSREP", 44, 16},    {"JMPXY", 9, 18},     {"PULDNCOL", 12, 18}, {"PULDNGRP", 12, 18},
      {"PULDNROW", 12, 18},  {"SETX", 12, 18},     {"SORTDN", 11, 18},   {"SORTUP", 11, 18},
      {"TABBEGEND", 13, 18}, {"TOOLGRA", 12, 18},  {"WINDOS", 46, 16},   {"XLEXPORT", 14, 18},
      {"XLIMPORT", 14, 18}};
  for (const auto& [name, w, h] : sizes) {
    auto b = InfGlyphBitmap(name);
    ASSERT_TRUE(b) << name;
    EXPECT_EQ(b->Width(), w) << name;
    EXPECT_EQ(b->Height(), h) << name;
  }
  EXPECT_FALSE(InfGlyphBitmap("NOSUCH"));
  // Resource names match in any letter case.
  auto lower = InfGlyphBitmap("colCopy");
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->Width(), 10);
  // The two frames of a switch differ.
  auto s = InfGlyphBitmap("INSREP");
  bool differ = false;
  for (int y = 0; y < 16 && !differ; ++y)
    for (int x = 0; x < 22; ++x) differ |= s->Pixel(x, y) != s->Pixel(x + 22, y);
  EXPECT_TRUE(differ);
}

TEST_F(InfFile, TheLastLineOfTheFileIsNoField) {
  Row a, b;
  b.code = "BB";
  Init(Write(Fields({a, b}, "")));
  EXPECT_NE(inf->FindFld("AA"), nullptr);
  EXPECT_EQ(inf->FindFld("BB"), nullptr);
  Init(Write(Fields({a, b}, "\n")));
  EXPECT_NE(inf->FindFld("BB"), nullptr);
}

TEST_F(InfFile, ABracketedNameEndsTheTable) {
  Row a, b, c;
  b.code = "BB";
  b.hint = "see [x] here";
  c.code = "CC";
  Init(Write(Fields({a, b, c})));
  EXPECT_NE(inf->FindFld("AA"), nullptr);
  EXPECT_EQ(inf->FindFld("BB"), nullptr);
  EXPECT_EQ(inf->FindFld("CC"), nullptr);
}

TEST_F(InfFile, ShortAndCommentLinesAreSkipped) {
  Row a;
  Init(Write("[Fields]\nsome text | not | a field\n" + a.Text() + "\n; end\n"));
  EXPECT_EQ(inf->Fields.size(), 1u);
}

TEST_F(InfFile, ReaderErrorsNameFileAndLine) {
  struct Case {
    std::function<void(Row&)> change;
    std::string text;
  };
  const std::vector<Case> cases = {
      {[](Row& r) { r.pri = "300"; }, "В поле №4 \"приоритет\" м.б. число от 0 до 255!"_cp},
      {[](Row& r) { r.vis = "2"; }, "В поле №3 \"Visible\" м.б. только 0 или 1!"_cp},
      {[](Row& r) { r.qlog = "5"; }, "В поле №5 \"QLog\" м.б. только 0 или 1!"_cp},
      {[](Row& r) { r.autosz = "x"; }, "Ошибка при вводе целого"_cp},
      {[](Row& r) { r.align = "LR"; }, "В поле №8 \"Alignment\" д.б. \"L\", \"C\" или \"R\"!"_cp},
      {[](Row& r) { r.align = "X"; }, "В поле №8 \"Alignment\" м.б. только L, C или R!"_cp},
      {[](Row& r) { r.layout = "Q"; }, "В поле №9 \"Layout\" м.б. только T, C или B!"_cp},
      {[](Row& r) { r.ifont = "2"; }, "В поле №11 \"iFont\"=2 > Font.Count-1=1"_cp},
      {[](Row& r) { r.icol = "3"; }, "В поле №12 \"iColor\"=3 > Color.Count-1=2"_cp},
      {[](Row& r) { r.ialt = "9"; }, "В поле №13 \"iColorAlt\"=9 > Color.Count-1=2"_cp},
      {[](Row& r) { r.width = " "; }, "Пустое поле в таблице. Строка="_cp},
      // A ";" in the template cuts the line: the limits' cells are then missing.
      {[](Row& r) { r.tpl = "a;b"; }, "Пустое поле в таблице. Строка="_cp},
  };
  for (const auto& c : cases) {
    Row good, bad;
    good.code = "GG";
    c.change(bad);
    const std::string file = Write(Fields({good, bad}));
    const std::string e = Fatal(file);
    EXPECT_NE(e.find(c.text + ""), std::string::npos) << e;
    EXPECT_EQ(e.rfind("ErrAbs: ", 0), 0u) << e;
    EXPECT_NE(e.find(file), std::string::npos) << e;
    // The bad row is line 18 of the file.
    EXPECT_NE(e.find("str=18 "), std::string::npos) << e;
  }
}

TEST_F(InfFile, SectionErrorsAreFatal) {
  const std::string F = dir.file("inf.ini");
  struct Case {
    std::string text;
    std::string expect;
  };
  Row a;
  const std::string fields = Fields({a});
  const std::vector<Case> cases = {
      {"[Fonts]\nNFont=0\n", "Inf.LoadMain: в файле <"_cp + F + ">\r\n не найдено строк секции [Informator]!"_cp},
      {"[Informator]\nMargin=2\n",
       "Inf.LoadMain: в файле <"_cp + F + ">\r\n в секции [Informator] для цвета <ColorBack> не найдена строка!!!"_cp},
      {"[Informator]\nColorBack=clNone\n",
       "в секции [Informator] для цвета <ColorBack> найдена строка\r\n<clNone> для которой не найден соотвестсвующий цвет!"_cp},
      {"[Informator]\nColorBack=clgray\n", "<clgray> для которой не найден соотвестсвующий цвет!"_cp},
      {"[Informator]\nColorBack=clGray\n[Colors]\nNColor=0\n0=clWhite\n",
       "Inf.LoadFonts: в файле <"_cp + F + ">\r\n не найдено строк секции [Fonts]!"_cp},
      {"[Informator]\nColorBack=clGray\n[Fonts]\nNFont=0\n[Colors]\nNColor=1\n0=clWhite\n1=Pink\n",
       "в секции [Colors] для цвета <1> найдена строка\r\nPink для которой не найден соотвестсвующий цвет!\r\n(файл <"_cp +
           F + ">, строка 8)"_cp},
      {"[Informator]\nColorBack=clGray\n[Fonts]\nNFont=0\n[Colors]\nNColor=0\n0=clWhite\n",
       "Inf.LoadGroups: в файле <"_cp + F + ">\r\n не найдено строк секции [Groups]!"_cp},
      {"[Informator]\nColorBack=clGray\n[Fonts]\nNFont=0\n[Colors]\nNColor=0\n0=clWhite\n[Groups]\nNGroup=0\n",
       "Inf.Load раздел [Fields] в файле "_cp + F + " не найден!"_cp},
  };
  for (const auto& c : cases) {
    testsupport::WriteFile(F, c.text);
    EXPECT_NE(Fatal(F).find(c.expect), std::string::npos) << Fatal(F) << "\n--- wanted: " << c.expect;
  }
  EXPECT_NE(Fatal(dir.file("none.ini")).find("Inf.LoadMain: Файл <"_cp + dir.file("none.ini") +
                                             "> должен существовать!"_cp),
            std::string::npos);
}

TEST_F(InfFile, RangeProblemsWarnWithFileAndLineAndLoadingGoesOn) {
  Row g, n, c, p, m, v, t;
  g.code = "G1", g.grp = "7";
  n.code = "N1", n.cd = "N", n.nvar = "0", n.nglyph = "300", n.pict = "EDIT";
  c.code = "C1", c.cd = "N", c.nvar = "0", c.nglyph = "2", c.ichk = "2", c.pict = "EDIT";
  p.code = "P1", p.cd = "N", p.nvar = "0", p.nglyph = "1", p.pict = "NOPICT";
  m.code = "M1", m.lm = "10001";
  v.code = "V1", v.lv = "40000";
  t.code = "T1", t.lt = "50000";
  const std::string file = Write(Fields({g, n, c, p, m, v, t}));
  Init(file);
  EXPECT_EQ(inf->Fields.size(), 7u);
  EXPECT_TRUE(Warned("Inf.Load - GroupIndex=7 не попадает в размер списка групп [0,1]"_cp));
  EXPECT_TRUE(Warned("Inf.Load - NumGlyph=300 вне пределов [0..255]"_cp));
  EXPECT_TRUE(Warned("Inf.Load - iChecked=2 вне пределов [0..1]"_cp));
  EXPECT_TRUE(Warned("BMP картинка с именем <NOPICT> в рессурсах не найдена!"_cp));
  EXPECT_FALSE(inf->FindFld("P1")->Glyph);
  EXPECT_TRUE(Warned("Inf.Load - Max длина списка LM вне пределов [0..10000]"_cp));
  EXPECT_TRUE(Warned("Inf.Load - LV=Max память, отводимая под список, вне пределов [0..32*1024]"_cp));
  EXPECT_TRUE(Warned("Inf.Load - LT=время хранения сообщений в секундах вне пределов [0..12*60*60]"_cp));
  EXPECT_TRUE(Warned("(файл <"_cp + file + ">, строка 17)"_cp));  // the GroupIndex row
  EXPECT_EQ(inf->FindFld("G1")->GroupIndex, 7);              // kept as read
  // A field outside the group list belongs to no group and is shown.
  EXPECT_NE(std::find(inf->VisibleFields.begin(), inf->VisibleFields.end(), inf->FindFld("G1")),
            inf->VisibleFields.end());
}

TEST_F(InfFile, TypeRulesDeriveOrCheckTheDataLength) {
  struct Case {
    std::string cd, len, nvar;
    int dataLen;
    std::string warn;  // empty: none
  };
  const std::vector<Case> cases = {
      {"L", "0", "1", 4, ""},
      {"L", "0", "2", 0, "Inf.Load - ошибка превышение числа переменных для типа данных <L>"_cp},
      {"I", "0", "2", 4, ""},
      {"i", "0", "3", 0, "превышение числа переменных для типа данных <i>"_cp},
      {"B", "0", "4", 4, ""},
      {"B", "0", "5", 0, "превышение числа переменных для типа данных <B>"_cp},
      {"N", "0", "1", 0, "превышение числа переменных для типа данных <N>"_cp},
      {"S", "0", "1", 0, ""},
      {"L", "4", "1", 4, ""},
      {"L", "8", "1", 8, "Inf.Load - ошибка несовпадение длины и числа переменных !\rтип = L длина = 8 число переменных = 1"_cp},
      {"F", "16", "2", 16, ""},
      {"S", "8", "2", 8, "Inf.Load - ошибка - строка м.б. только одна!"_cp},
      {"Q", "4", "1", 4, "Inf.Load - тип данных (CD) поля <Q> не входит в разрешенные N/L/I/i/B/b/F/S"_cp},
      {"b", "4", "9", 4, ""},
  };
  for (const auto& c : cases) {
    warns.clear();
    Row r;
    r.cd = c.cd, r.len = c.len, r.nvar = c.nvar;
    Init(Write(Fields({r})));
    EXPECT_EQ(inf->FindFld("AA")->DataLen, c.dataLen) << c.cd << c.len << c.nvar;
    if (c.warn.empty())
      EXPECT_TRUE(warns.empty()) << c.cd << ": " << (warns.empty() ? "" : warns.front());
    else
      EXPECT_TRUE(Warned(c.warn)) << c.cd << c.len << c.nvar;
  }
}

TEST_F(InfFile, SectionsReadAsSettings) {
  const std::string head =
      "[Fields]\n" + OneColour().Text() + "\n; end\n"
      "[Informator]\nColorBack=clBlue\n"
      "[Fonts]\nNFont=2\n1_FontName=Courier\n1_Size=20\n1_Italic=y\n2_UnderLine=Y\n2_StrikeOut=1\n"
      "[Colors]\n0=clRed\n"
      "[Groups]\n0_Hide=1\n";
  Init(Write("", head));
  EXPECT_EQ(inf->ColorBack, 0xFF0000u);
  EXPECT_EQ(inf->Margin, 0);
  ASSERT_EQ(inf->Fonts.size(), 3u);
  EXPECT_EQ(inf->Fonts[1].Name, "Courier");
  EXPECT_EQ(inf->Fonts[1].Size, 20);
  EXPECT_EQ(inf->Fonts[1].Style, platform::fsItalic);
  EXPECT_EQ(inf->Fonts[2].Name, "Terminal");
  EXPECT_EQ(inf->Fonts[2].Size, 14);
  EXPECT_EQ(inf->Fonts[2].Style, platform::fsUnderline | platform::fsStrikeOut);
  ASSERT_EQ(inf->Colors.size(), 1u);  // an absent NColor reads as 0
  ASSERT_EQ(inf->Groups.size(), 1u);  // an absent NGroup reads as 0
  EXPECT_EQ(inf->Groups[0].Name, "");
  EXPECT_FALSE(inf->Groups[0].Shown);
  EXPECT_TRUE(inf->VisibleFields.empty());
}

}  // namespace
