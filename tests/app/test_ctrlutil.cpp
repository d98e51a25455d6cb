// Controls by name, numbers in edit fields, combo boxes and pages, memo caret and lines, the
// window under the mouse, and copying controls.
#include <gtest/gtest.h>

#include "app/cvCtrlUtil.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"

namespace {

using platform::TMemControl;

class CtrlUtil : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { warns.push_back(t); });
  }
  void TearDown() override {
    platform::SetCursorServices({});
    ResetHoverState();
    ResetSayerForTests();
  }
  bool Warned(const std::string& part) const {
    for (const auto& w : warns)
      if (w.find(part) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> warns;
};

TEST_F(CtrlUtil, ComponentsAndNumbersInEdits) {
  TMemControl form("TForm", "Corvesta");
  auto* ed = new TMemControl("TEdit", "edACE_N", &form);
  auto* ed2 = new TMemControl("TEdit", "ed_WLine", &form);
  ed->SetText("40");
  ed2->SetText(" 0.05");
  EXPECT_EQ(FormComponentByName(&form, "edACE_N"), ed);
  EXPECT_EQ(FormComponentByName(&form, "edace_n"), nullptr);
  EXPECT_EQ(EdGetIntByName("edACE_N", &form, 7), 40);
  EXPECT_EQ(EdGetIntByName("missing", &form, 7), 7);
  EXPECT_DOUBLE_EQ(EdGetReal(ed2, 1), 0.05);
  ed2->SetText("x");
  EXPECT_DOUBLE_EQ(EdGetReal(ed2, 1), 1);
  EdSetInt(ed, -3);
  EXPECT_EQ(ed->Text(), "-3");

  int32_t v = 7;
  ed->SetText("12");
  EdAcceptVal(ed, v);
  EXPECT_EQ(v, 12);
  ed->SetText("12x");
  EdAcceptVal(ed, v);
  EXPECT_EQ(v, 12);
  EXPECT_EQ(ed->Text(), "      12");
  EXPECT_TRUE(Warned("EdAcceptVal Ввели ошибочное значение типа \"integer\": <12x>"_cp));
}

TEST_F(CtrlUtil, CombosAndPages) {
  TMemControl combo("TComboBox", "cb");
  for (const char* s : {"abc", "ab", "Tables"}) combo.AddItem(s);
  ComboSelectItem(&combo, "ab", false);
  EXPECT_EQ(combo.ItemIndex(), 0);
  ComboSelectItem(&combo, "ab", true);
  EXPECT_EQ(combo.ItemIndex(), 1);
  ComboSelectItem(&combo, "zz", false);
  EXPECT_EQ(combo.ItemIndex(), 1);

  TMemControl pages("TPageControl", "PageControl1"), a("TTabSheet", "TabEd"),
      b("TTabSheet", "TabFITS");
  pages.AddPage(&a);
  pages.AddPage(&b);
  ShowPageByName(&pages, "TabFITS");
  EXPECT_EQ(pages.ActivePage(), &b);
  ShowPageByName(&pages, "tabed");
  EXPECT_EQ(pages.ActivePage(), &b);
}

TEST_F(CtrlUtil, MemoCaretAndLines) {
  platform::MemoryMemo m;
  m.SetLines({"one", "two", "three"});
  MemoGotoLine(&m, 9, 3);  // cut to the last line
  int32_t l, c;
  MemoCaretPos(&m, l, c);
  EXPECT_EQ(l, 2);
  EXPECT_EQ(c, 2);
  EXPECT_TRUE(m.Focused());
  m.SetParentVisible(false);
  MemoGotoLine(&m, 1, 1);
  EXPECT_TRUE(Warned("Элемент TabEd на котором лежит Memo MemoEd - невидим!"_cp));
  m.SetVisible(false);
  MemoGotoLine(&m, 1, 1);
  EXPECT_TRUE(Warned("Поле Memo MemoEd невидимо!"_cp));
  MemoCaretPos(&m, l, c);
  EXPECT_EQ(l, 2);

  TStringList src{"A", "B", "C"};
  MemoChangeLines(&m, &src, 1, 2, 0);
  EXPECT_EQ(m.Lines(), (std::vector<std::string>{"one", "A", "B"}));
  EXPECT_EQ(m.UpdateDepth(), 0);
  MemoChangeLines(&m, &src, 2, 3, 1);  // Row2 beyond the memo: warned, the line is appended
  EXPECT_TRUE(Warned("MemoChangeLines ОШИБКА! Tab.Row2=3 Memo.Count=3"_cp));
  EXPECT_EQ(m.Lines(), (std::vector<std::string>{"one", "A", "B", "C"}));

  std::vector<std::string> many;
  for (int i = 0; i < 120; ++i) many.push_back("L" + std::to_string(i));
  m.SetLines(many);
  MemoChangeLines(&m, &src, 10, 12, 0);
  EXPECT_EQ(m.LineCount(), 120);
  EXPECT_EQ(m.Line(9), "L9");
  EXPECT_EQ(m.Line(10), "A");
  EXPECT_EQ(m.Line(12), "C");
  EXPECT_EQ(m.Line(13), "L13");
}

TEST_F(CtrlUtil, WindowUnderTheMouse) {
  TMemControl a("TPanel", "PanelEdCTRL"), b("TMemo", "MemoEd");
  TPoint pos{1, 1};
  platform::TControl* under = &a;
  platform::SetCursorServices({[&] { return pos; }, [&] { return under; }});
  EXPECT_TRUE(CursorMoved());
  EXPECT_FALSE(CursorMoved());
  EXPECT_TRUE(HoverWindowChanged());  // a first
  pos = {2, 1};
  EXPECT_FALSE(HoverWindowChanged());  // moved, same window
  under = &b;
  EXPECT_FALSE(HoverWindowChanged());  // not moved: the window is not looked at again
  pos = {3, 1};
  EXPECT_TRUE(HoverWindowChanged());
  EXPECT_EQ(HoverWindow(), &b);
}

TEST_F(CtrlUtil, CopyingControls) {
  TMemControl form("TForm", "Corvesta"), parent("TPanel", "pn");
  auto* src = new TMemControl("TEdit", "edSrc", &form);
  src->SetParent(&parent);
  src->SetBounds(Rect(10, 20, 110, 45));
  src->SetText("it's 5");
  src->SetTag(3);
  src->SetHint("подсказка"_cp);
  auto* dst = new TMemControl("TEdit", "edDst", &form);
  CloneControl(src, dst, "edNew");
  EXPECT_EQ(dst->Name(), "edNew");
  EXPECT_EQ(src->Name(), "edSrc");
  EXPECT_EQ(dst->Parent(), &parent);
  EXPECT_EQ(dst->Bounds(), src->Bounds());
  EXPECT_EQ(dst->Text(), "it's 5");
  EXPECT_EQ(dst->Hint(), "подсказка"_cp);
  EXPECT_EQ(dst->Tag(), 3);
  // Texts with line breaks, quotes and empty values survive the text form.
  for (const std::string& t : {std::string("two\r\nlines"), std::string("'\n'"), std::string()}) {
    src->SetText(t);
    dst->SetText("old");
    CloneControl(src, dst, "edNew");
    EXPECT_EQ(dst->Text(), t);
  }
  src->SetText("it's 5");

  auto* cb = new TMemControl("TComboBox", "cbSrc", &form);
  cb->SetParent(&parent);
  cb->AddItem("x");
  cb->AddItem("y");
  cb->SetItemIndex(1);
  cb->SetItemHeight(17);
  auto* target = new TMemControl("TComboBox", "cbT", &form);
  platform::TControl* made = CloneControl(cb, target, "cbNew");
  ASSERT_NE(made, target);
  EXPECT_EQ(made, FormComponentByName(&form, "cbNew"));
  EXPECT_EQ(made->ItemCount(), 2);
  EXPECT_EQ(made->ItemIndex(), 1);
  EXPECT_EQ(made->ItemHeight(), 17);
  EXPECT_EQ(made->Parent(), &parent);

  TMemControl place("TEdit", "x");
  CopyControlPlace(src, &place, "edPlace");
  EXPECT_EQ(place.Name(), "edPlace");
  EXPECT_EQ(place.Bounds(), src->Bounds());
  EXPECT_EQ(place.Tag(), 3);
  EXPECT_EQ(place.Text(), "it's 5");
}

}  // namespace
