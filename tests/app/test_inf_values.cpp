// Panel field values: setting by code, display texts and formats, value histories and their
// bounds, log files, groups and the field list.
#include <gtest/gtest.h>

#include "app/cvInf.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "platform/MsgBox.h"
#include "support/TestSupport.h"

namespace {

const char* kHead =
    "[Informator]\nColorBack=clGray\nMargin=1\n"
    "[Fonts]\nNFont=0\n"
    "[Colors]\nNColor=1\n0=clWhite\n1=clYellow\n"
    "[Groups]\nNGroup=1\n0_Name=Main\n1_Name=Extra\n";

// code|En|Vi|Pr|QL|W|As|Al|La|Aux|iF|iC|iA|Len|NV|CD|Ed|Gr|NG|iCh|pict|tpl|hint|LM|LV|LT|log|flush
std::string Row(const std::string& code, const std::string& cd, const std::string& len,
                const std::string& nvar, const std::string& tpl, const std::string& ed = "N",
                const std::string& qlog = "0", const std::string& lm = "0",
                const std::string& log = "", const std::string& grp = "0",
                const std::string& lv = "0") {
  return "F|" + code + "|1|1|10|" + qlog + "|20|1|L|C|0|0|0|1|" + len + "|" + nvar + "|" + cd + "|" +
         ed + "|" + grp + "|0|0||" + tpl + "|hint " + code + "|" + lm + "|" + lv + "|0|" + log + "|1";
}

class InfValues : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { warns.push_back(t); });
    form.SetClientSize(600, 100);
  }
  void TearDown() override {
    delete inf;
    ResetSayerForTests();
  }
  void Load(const std::vector<std::string>& rows) {
    file = dir.file("inf.ini");
    std::string s = std::string(kHead) + "[Fields]\n";
    for (const auto& r : rows) s += r + "\n";
    testsupport::WriteFile(file, s + "; end\n");
    TInf::Init(inf, &form, "Terminal", nullptr, nullptr, 14, 2, file);
  }
  std::string Fatal(const std::function<void()>& f) {
    try {
      f();
    } catch (const EInOutError& e) {
      return e.what();
    }
    return "(no error)";
  }
  testsupport::TempDir dir;
  std::string file;
  platform::TMemControl form{"TForm", "Corvesta"};
  platform::ScriptedMsgBoxes boxes;
  TInf* inf = nullptr;
  std::vector<std::string> warns;
};

TEST_F(InfValues, CodesAsNumbers) {
  EXPECT_EQ(InfCode("UM"), 19797);
  EXPECT_EQ(InfCodeStr(19797), "UM");
}

TEST_F(InfValues, DrawnFollowsChangesOfTheValue) {
  Load({Row("LL", "L", "0", "1", "%d"), Row("SS", "S", "0", "1", "%s"),
        Row("S2", "S", "2", "1", "%s")});
  TInfField* L = inf->FindFld("LL");
  inf->LogInt("LL", 5);
  L->Log->Drawn = true;
  inf->LogInt("LL", 5);
  EXPECT_TRUE(L->Log->Drawn);  // the same integer again
  inf->LogInt("LL", 6);
  EXPECT_FALSE(L->Log->Drawn);
  TInfField* S = inf->FindFld("SS");
  inf->LogStr("SS", "a");
  S->Log->Drawn = true;
  inf->LogStr("SS", "a");
  EXPECT_FALSE(S->Log->Drawn);  // a text copy is a new value every time
  TInfField* S2 = inf->FindFld("S2");
  inf->LogStr("S2", "ab");
  S2->Log->Drawn = true;
  inf->LogStr("S2", "abc");  // only two characters are kept inline: no change
  EXPECT_TRUE(S2->Log->Drawn);
  EXPECT_EQ(S2->DisplayText(), "ab");
  EXPECT_TRUE(warns.empty());
}

TEST_F(InfValues, DisplayTexts) {
  Load({Row("LB", "S", "0", "0", "Label"), Row("NN", "N", "0", "0", "Switch"),
        Row("XX", "L", "0", "1", "X=%d", "E"), Row("NV", "L", "0", "1", "%d"),
        Row("S0", "S", "0", "1", "%s")});
  // A fixed label is its own first value.
  EXPECT_EQ(inf->FindFld("LB")->DisplayText(), "Label");
  EXPECT_EQ(inf->FindFld("NN")->DisplayText(), "Switch");
  // An editable field without a value shows its label (kept in its edit text) and a blank.
  TInfField* X = inf->FindFld("XX");
  EXPECT_EQ(X->DisplayText(), "X= ");
  EXPECT_EQ(X->EditText, "X=");
  EXPECT_EQ(X->GetInt(), 0);
  inf->LogInt("XX", 42);
  EXPECT_EQ(X->DisplayText(), "X=42");
  EXPECT_EQ(X->EditText, "X=42");
  EXPECT_EQ(X->GetInt(), 42);
  EXPECT_EQ(inf->FindFld("NV")->DisplayText(), "ЖЖЖ"_cp);
  inf->LogStr("S0", "");
  EXPECT_EQ(inf->FindFld("S0")->DisplayText(), "---");
}

TEST_F(InfValues, FormatsByType) {
  struct Case {
    std::string cd, len, nvar, tpl;
    int32_t value;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"B", "0", "4", "%d.%d.%d.%d", 0x04030201, "1.2.3.4"},
      {"I", "0", "2", "%d:%d", 0x00020001, "1:2"},
      {"I", "0", "2", "%u", 0x0000FFFF, "65535"},
      {"i", "0", "2", "%d/%d", static_cast<int32_t>(0xFFFEFFFF), "-1/-2"},
      {"L", "0", "1", "<%5d>", -42, "<  -42>"},
      {"L", "0", "1", "%-4d!", 7, "7   !"},
      {"L", "0", "1", "%.3d", 7, "007"},
      {"L", "0", "1", "%x", 255, "FF"},
      {"L", "0", "1", "%%%d", 3, "%3"},
      {"L", "0", "1", "%1:d", 3, "ERROR"},  // no second value
      {"L", "0", "1", "%99999999999:d", 3, "ERROR"},
      {"L", "0", "1", "%s", 3, "ERROR"},    // a text directive for a number
      {"L", "0", "1", "%f", 3, "ERROR"},
      {"L", "0", "1", "%", 3, "ERROR"},
  };
  for (const auto& c : cases) {
    warns.clear();
    delete inf;
    inf = nullptr;
    Load({"F|AA|1|1|10|0|20|1|L|C|0|0|0|1|" + c.len + "|" + c.nvar + "|" + c.cd + "|N|0|0|0||" +
          c.tpl + "|h|0|0|0||"});
    ASSERT_NE(inf->FindFld("AA"), nullptr) << c.tpl;
    inf->LogInt("AA", c.value);
    EXPECT_EQ(inf->FindFld("AA")->FormattedValue(), c.shown) << c.tpl;
    if (c.shown == "ERROR") {
      EXPECT_TRUE(warns.size() == 1 &&
                  warns[0].find("cvFotmat = <" + c.tpl + "> не совместим с полем типа <"_cp + c.cd +
                                ">!") != std::string::npos)
          << c.tpl;
    }
  }
}

TEST_F(InfValues, TextAndIntegerReachTheirTypes) {
  Load({Row("LL", "L", "0", "1", "%d"), Row("SS", "S", "0", "1", "%s"),
        Row("BB", "B", "0", "1", "%d")});
  inf->LogStr("LL", " 12 ");  // a number as text reaches an integer field
  EXPECT_EQ(inf->FindFld("LL")->DisplayText(), "12");
  inf->LogInt("SS", -5);  // an integer reaches a text field as its decimal text
  EXPECT_EQ(inf->FindFld("SS")->DisplayText(), "-5");
  inf->LogInt("BB", 0x1FF);  // the low DataLen bytes
  EXPECT_EQ(inf->FindFld("BB")->Log->S(), 0xFFu);
  EXPECT_TRUE(warns.empty());
  inf->LogStr("LL", "abc");
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_EQ(inf->FindFld("LL")->DisplayText(), "12");
}

TEST_F(InfValues, ZeroDataLengthNumbersShowTheBox) {
  Load({Row("FF", "F", "0", "0", "%d")});
  inf->LogInt("FF", 9);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].caption, "cvLog Предупреждение или напоминание"_cp);
  EXPECT_EQ(boxes.Shown()[0].text,
            "Для поля информатора ТИПА F задана нулевая длина данных!\r"_cp
            "Проверьте таблицу, которая задает список полей\rS=<9>\r"_cp
            "Hex(Rec.S)=00000000 Hex(Rec.T)=00000000"_cp);
  EXPECT_EQ(inf->FindFld("FF")->Log->S(), 0u);
}

TEST_F(InfValues, UnknownCodesAndDuplicates) {
  Load({Row("AA", "S", "0", "1", "%s"), Row("AA", "S", "0", "1", "second %s")});
  inf->LogStr("AA", "x");
  EXPECT_EQ(inf->Fields[0]->DisplayText(), "x");  // the first of two equal codes
  EXPECT_FALSE(inf->Fields[1]->Log->HasValue());
  EXPECT_EQ(inf->FindFld("AA"), inf->Fields[0].get());
  inf->LogInt("ZZ", 1);
  ASSERT_EQ(warns.size(), 1u);
  EXPECT_NE(warns[0].find("Inf.Log-ERR: Поле <ZZ> не существует! файл = <"_cp + file + ">"), std::string::npos);
  EXPECT_NE(warns[0].find("|AA|1|1|10|0|020|1|L|C|000|0|0|1|00|01|S|N|0|0|0|  pict |%s       |hint AA"),
            std::string::npos)
      << warns[0];
  inf->BindCmd("ZZ", [](TInfField*) {});  // silently ignored
  inf->CheckFld("ZZ", true);
  EXPECT_NE(warns.back().find("Inf.CheckFld(ZZ) поле информатора не найдено!"_cp), std::string::npos);
}

TEST_F(InfValues, GetIntOnlyForEditableIntegers) {
  Load({Row("LL", "L", "0", "1", "%d"), Row("SS", "S", "0", "1", "%s", "E")});
  EXPECT_EQ(Fatal([&] { inf->FindFld("LL")->GetInt(); }),
            "ErrAbs: InfField.GetInt - функция вызвана для нередактируемого поля <LL> !\r\n"_cp);
  EXPECT_EQ(Fatal([&] { inf->FindFld("SS")->GetInt(); }),
            "ErrAbs: InfField.GetInt - функция вызвана для поля <SS> типа <S>!\r\n"_cp
            "Допустимые типы полей \"I\" и \"L\"\r\n"_cp);
}

TEST_F(InfValues, HistoriesAreBounded) {
  Load({Row("H0", "L", "0", "1", "%d", "N", "1", "0"), Row("H5", "S", "0", "1", "%s", "N", "1", "5"),
        Row("HV", "S", "0", "1", "%s", "N", "1", "0", "", "0", "100"),
        Row("NQ", "L", "0", "1", "%d")});
  for (int i = 0; i < TCustomLog::MaxHistory + 50; ++i) inf->LogInt("H0", i);
  const TInfLog& H0 = *inf->FindFld("H0")->Log;
  ASSERT_EQ(H0.Count(), TCustomLog::MaxHistory);
  EXPECT_EQ(H0.History.back().S, static_cast<uint32_t>(TCustomLog::MaxHistory + 48));
  EXPECT_EQ(H0.History.front().S, 49u);  // the oldest values went first
  for (int i = 0; i < 20; ++i) inf->LogStr("H5", "v" + std::to_string(i));
  const TInfLog& H5 = *inf->FindFld("H5")->Log;
  ASSERT_EQ(H5.Count(), 5);
  EXPECT_EQ(H5.History.front().Text, "v14");
  EXPECT_EQ(H5.StoredText(), "v19");
  // LV bounds the bytes: 8 per value plus its text.
  for (int i = 0; i < 50; ++i) inf->LogStr("HV", "0123456789");
  EXPECT_EQ(inf->FindFld("HV")->Log->Count(), 5);  // 5 * 18 <= 100 < 6 * 18
  // Fields without QLog keep no history.
  for (int i = 0; i < 10; ++i) inf->LogInt("NQ", i);
  EXPECT_EQ(inf->FindFld("NQ")->Log->Count(), 0);
}

TEST_F(InfValues, LogFilesTakeTextsOfTextFields) {
  Load({Row("LS", "S", "0", "1", "%s", "N", "1", "0", "ls.log"),
        Row("LN", "L", "0", "1", "%d", "N", "1", "0", "ln.log")});
  inf->LogStr("LS", "first");
  inf->LogStr("LS", "");
  inf->LogStr("LS", "третья"_cp);
  inf->LogInt("LN", 5);
  inf->LogInt("LN", 6);
  // Beside the description file, in UTF-8; flushed after each line (column 28 is "1").
  EXPECT_EQ(testsupport::ReadFile(dir.file("ls.log")), "first\n\nтретья\n");
  EXPECT_TRUE(std::filesystem::exists(dir.file("ln.log")));
  EXPECT_EQ(testsupport::ReadFile(dir.file("ln.log")), "");
  delete inf;
  inf = nullptr;
  Load({Row("LS", "S", "0", "1", "%s", "N", "1", "0", "ls.log")});
  inf->LogStr("LS", "again");  // an existing log is appended to
  EXPECT_EQ(testsupport::ReadFile(dir.file("ls.log")), "first\n\nтретья\nagain\n");
}

TEST_F(InfValues, GroupsShowHideMenuAndSave) {
  Load({Row("AA", "S", "0", "1", "%s"), Row("BB", "S", "0", "1", "%s", "N", "0", "0", "", "1")});
  EXPECT_EQ(inf->VisibleFields.size(), 2u);
  ASSERT_NE(inf->FindGroup("Extra"), nullptr);
  EXPECT_EQ(inf->FindGroup("extra"), nullptr);
  inf->FindGroup("Extra")->Shown = false;
  inf->RebuildVisible();
  ASSERT_EQ(inf->VisibleFields.size(), 1u);
  EXPECT_EQ(inf->VisibleFields[0]->Code, "AA");

  platform::TMemMenu menu;
  menu.AddItem("NHide", "Hide all", false, nullptr);
  menu.AddItem("NDivider", "----", false, nullptr);
  menu.AddItem("Old", "Old", false, nullptr);
  std::vector<int> clicked;
  inf->FillGroupMenu(&menu, "NDivider", [&](platform::TMenu&, int32_t i) { clicked.push_back(i); });
  ASSERT_EQ(menu.Count(), 4);
  EXPECT_EQ(menu.ItemName(2), "Main");
  EXPECT_TRUE(menu.Checked(2));
  EXPECT_EQ(menu.ItemCaption(3), "Extra");
  EXPECT_FALSE(menu.Checked(3));
  menu.Click(3);
  EXPECT_EQ(clicked, std::vector<int>{3});

  inf->SaveGroups();
  const std::string text = testsupport::ReadFile(file);
  EXPECT_NE(text.find("1_Hide=1"), std::string::npos);
  EXPECT_NE(text.find("F|AA|"), std::string::npos);  // the rest of the file stays
  delete inf;
  inf = nullptr;
  Load({Row("AA", "S", "0", "1", "%s"), Row("BB", "S", "0", "1", "%s", "N", "0", "0", "", "1")});
  testsupport::WriteFile(file, text);
  TInf::Init(inf, &form, "Terminal", nullptr, nullptr, 14, 2, file);
  EXPECT_FALSE(inf->FindGroup("Extra")->Shown);
  inf->FindGroup("Extra")->Shown = true;
  inf->SaveGroups();
  EXPECT_EQ(testsupport::ReadFile(file).find("1_Hide"), std::string::npos);
}

TEST_F(InfValues, EmptyPanel) {
  TInf empty(nullptr, nullptr);
  auto sl = empty.FieldList();
  ASSERT_EQ(sl->Count(), 1);
  EXPECT_EQ((*sl)[0], "Поля информатора ещё не созданы!"_cp);
  empty.LogStr("UM", "x");  // no fields: nothing, no warning
  EXPECT_TRUE(warns.empty());
}

}  // namespace
