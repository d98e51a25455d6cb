// The form generator: a small form text becomes typed members, builder code that creates,
// sets, lays out and registers every control, and the table of event bindings; a bad line is
// reported with its file and line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/formgen/FormGen.h"

namespace {

const char* kSmall = R"(; a small sheet
form Small on=TabX
hbox
  TButton btGo caption="Пуск" hint="Запуск \"всего\"" tag=7 OnClick=btGoClick
  TEdit edName text="abc" w=80 stretch=2 OnChange=edNameChange
  stretch
TComboBox cbMode style=list itemindex=1 OnChange=cbModeChange
  item "один"
  item "two"
TPanel PanelOpt layout=v visible=0
  TCheckBox cbOne caption="One" checked=1
TCvGrid ngData options="goGrid goHeader" rowsize=14 caption="Список линий" OnSelectCell=ngDataSelectCell OnAfterEdit=ngDataAfterEdit
  column name=GxLam kind=number caption="Длина волны" width=90 position=1 editoptions="" precision=0
  column name=GxVal caption=Value hint="Значение" options="coCanClick coEditing" alignment=taRightJustify position=0
  column name=GxOp kind=list items="|=|<>" defaultvalue=0
TPopupMenu PopupSmall
  TMenuItem miA caption="A" OnClick=miAClick
TTimer tmTick interval=250 OnTimer=tmTickTimer
TMemo MemoX popup=PopupSmall
)";

bool Has(const std::string& Text, const std::string& Part) {
  return Text.find(Part) != std::string::npos;
}

TEST(FormGen, ReadsKindsPropertiesParentsItemsColumnsAndEvents) {
  const formgen::FormFile F = formgen::Parse(kSmall, "forms/X/Small.form");
  EXPECT_EQ(F.Name, "Small");
  EXPECT_EQ(F.On, "TabX");
  ASSERT_EQ(F.Roots.size(), 7u);  // hbox, cbMode, PanelOpt, ngData, PopupSmall, tmTick, MemoX
  const formgen::Node& row = *F.Roots[0];
  EXPECT_EQ(row.Type, formgen::NodeType::HBox);
  ASSERT_EQ(row.Children.size(), 3u);
  const formgen::Node& go = *row.Children[0];
  EXPECT_EQ(go.Kind, "TButton");
  EXPECT_EQ(go.Name, "btGo");
  EXPECT_EQ(go.Find("caption")->Value, "Пуск");
  EXPECT_EQ(go.Find("hint")->Value, "Запуск \"всего\"");
  ASSERT_EQ(go.Events.size(), 1u);
  EXPECT_EQ(go.Events[0].Key, "OnClick");
  EXPECT_EQ(go.Events[0].Value, "btGoClick");
  EXPECT_EQ(row.Children[2]->Type, formgen::NodeType::Stretch);
  EXPECT_EQ(F.Roots[1]->Children.size(), 2u);   // two items
  EXPECT_EQ(F.Roots[2]->Children[0]->Name, "cbOne");
  EXPECT_EQ(F.Roots[2]->Children[0]->Parent, F.Roots[2].get());
  EXPECT_EQ(F.Roots[3]->Children[1]->Find("caption")->Value, "Value");
  EXPECT_EQ(F.Roots[3]->Children.size(), 3u);  // three columns
}

TEST(FormGen, WritesMembersBuilderRegistryAndBindings) {
  std::vector<formgen::FormFile> files;
  files.push_back(formgen::Parse("form Shell\nTForm Win caption=\"W\"\n  TPageControl Pages\n"
                                 "    TTabSheet TabX caption=\"X\" OnShow=TabXShow\n",
                                 "Shell.form"));
  files.push_back(formgen::Parse(kSmall, "Small.form"));
  formgen::CheckWindow(files);
  const std::string h = formgen::EmitHeader(files[1]);
  const std::string c = formgen::EmitSource(files[1]);
  // Typed members with the controls' names.
  EXPECT_TRUE(Has(h, "platform::TButton* btGo = nullptr;"));
  EXPECT_TRUE(Has(h, "TFormCvGrid* ngData = nullptr;"));
  EXPECT_TRUE(Has(h, "grid/qt/cvGxForm.h"));
  EXPECT_TRUE(Has(h, "platform::TFormTimer* tmTick = nullptr;"));
  EXPECT_TRUE(Has(h, "void Build_Small(QWidget* Form, platform::TFormRegistry& R);"));
  // Creation in the target, properties (Russian texts as code page 1251 literals), layout,
  // registration.
  EXPECT_TRUE(Has(c, "QWidget* Target = R.Widget(\"TabX\");"));
  EXPECT_TRUE(Has(c, "btGo = new platform::TButton(Target);"));
  EXPECT_TRUE(Has(c, "R.Add(\"btGo\", btGo, \"TButton\");"));
  EXPECT_TRUE(Has(c, "btGo->SetCaption(\"Пуск\"_cp);"));
  EXPECT_TRUE(Has(c, "btGo->SetHint(\"Запуск \\\"всего\\\"\"_cp);"));
  EXPECT_TRUE(Has(c, "btGo->SetTag(7);"));
  EXPECT_TRUE(Has(c, "edName->setFixedWidth(80);"));
  EXPECT_TRUE(Has(c, "platform::AddToLayout(L1, edName, 2, false);"));
  EXPECT_TRUE(Has(c, "platform::AddStretch(L1, 1);"));
  EXPECT_TRUE(Has(c, "cbMode->AddItem(\"один\"_cp);"));
  EXPECT_TRUE(Has(c, "cbMode->SetItemIndex(1);"));
  EXPECT_TRUE(Has(c, "PanelOpt->setHidden(true);"));
  EXPECT_TRUE(Has(c, "cbOne = new platform::TCheckBox(PanelOpt);"));
  EXPECT_TRUE(Has(c, "ngData->SetFormOptions(\"goGrid goHeader\");"));
  EXPECT_TRUE(Has(c, "ngData->SetRowSize(14);"));
  EXPECT_TRUE(Has(c, "ngData->SetCaption(\"Список линий\"_cp);"));
  EXPECT_TRUE(Has(c, "ngData->AddColumn({{\"name\", std::string(\"GxLam\")}, {\"kind\", std::string(\"number\")}, "
                     "{\"caption\", \"Длина волны\"_cp}, {\"width\", std::string(\"90\")}"));
  EXPECT_LT(c.find("GxOp"), c.find("ngData->Loaded();"));
  EXPECT_TRUE(Has(c, "{\"ngData\", \"OnSelectCell\", \"ngDataSelectCell\"},"));
  EXPECT_TRUE(Has(c, "{\"ngData\", \"OnAfterEdit\", \"ngDataAfterEdit\"},"));
  EXPECT_TRUE(Has(c, "PopupSmall->addAction(miA);"));
  EXPECT_TRUE(Has(c, "tmTick->SetInterval(250);"));
  EXPECT_TRUE(Has(c, "platform::SetPopupMenu(MemoX, R.As<QMenu>(\"PopupSmall\"));"));
  // The binding table.
  EXPECT_TRUE(Has(c, "{\"btGo\", \"OnClick\", \"btGoClick\"},"));
  EXPECT_TRUE(Has(c, "{\"cbMode\", \"OnChange\", \"cbModeChange\"},"));
  EXPECT_TRUE(Has(c, "{\"tmTick\", \"OnTimer\", \"tmTickTimer\"},"));
  // The window builds the shell first and collects every form's bindings.
  const std::string wc = formgen::EmitWindowSource("Win", files);
  EXPECT_LT(wc.find("Build_Shell"), wc.find("Build_Small"));
  EXPECT_TRUE(Has(formgen::EmitWindowHeader("Win", files), "public ShellForm"));
  EXPECT_TRUE(Has(formgen::EmitSource(files[0]), "{\"TabX\", \"OnShow\", \"TabXShow\"},"));
}

struct BadCase {
  const char* Text;
  int Line;
  const char* Message;
};

// Dialogs are components of the form: created with the form as owner, never laid out, with
// their own properties and no events.
TEST(FormGen, DialogsAreOwnedComponentsWithTheirOwnProperties) {
  const char* text =
      "form Dlg on=TabX\n"
      "TOpenDialog odLog title=\"Протокол\" filter=\"Logs|*.log\" filterindex=1 "
      "filename=log.txt initialdir=/tmp tag=3\n"
      "TColorDialog cdBack color=clRed\n";
  const formgen::FormFile F = formgen::Parse(text, "Dlg.form");
  const std::string h = formgen::EmitHeader(F);
  const std::string c = formgen::EmitSource(F);
  EXPECT_TRUE(Has(h, "#include \"platform/qt/QtDialogs.h\""));
  EXPECT_TRUE(Has(h, "platform::TFormOpenDialog* odLog = nullptr;"));
  EXPECT_TRUE(Has(h, "platform::TFormColorDialog* cdBack = nullptr;"));
  EXPECT_TRUE(Has(c, "odLog = new platform::TFormOpenDialog(Target);"));
  EXPECT_TRUE(Has(c, "R.Add(\"odLog\", odLog, \"TOpenDialog\");"));
  EXPECT_TRUE(Has(c, "odLog->Title = \"Протокол\"_cp;"));
  EXPECT_TRUE(Has(c, "odLog->Filter = std::string(\"Logs|*.log\");"));
  EXPECT_TRUE(Has(c, "odLog->FilterIndex = 1;"));
  EXPECT_TRUE(Has(c, "odLog->FileName = std::string(\"log.txt\");"));
  EXPECT_TRUE(Has(c, "odLog->InitialDir = std::string(\"/tmp\");"));
  EXPECT_TRUE(Has(c, "odLog->SetTag(3);"));
  EXPECT_TRUE(Has(c, "cdBack->Color = 0x0000FF;"));
  EXPECT_FALSE(Has(c, "AddToLayout(TargetLayout, odLog"));
  EXPECT_FALSE(Has(c, "SetControlColor(cdBack"));

  const BadCase bad[] = {
      {"form Bad on=T\nTOpenDialog d hint=\"x\"\n", 2, "TOpenDialog d has no property \"hint\""},
      {"form Bad on=T\nTOpenDialog d color=1\n", 2, "has no property \"color\""},
      {"form Bad on=T\nTColorDialog d title=\"x\"\n", 2, "has no property \"title\""},
      {"form Bad on=T\nTOpenDialog d OnClose=dClose\n", 2, "has no event OnClose"},
      {"form Bad on=T\nhbox\n  TColorDialog d\n", 3, "cannot stand in a layout group"},
      {"form Bad on=T\nTOpenDialog d\n  TButton b\n", 3, "cannot hold controls"},
  };
  for (const BadCase& b : bad) {
    try {
      formgen::Parse(b.Text, "dir/Bad.form");
      ADD_FAILURE() << "accepted: " << b.Text;
    } catch (const formgen::Error& e) {
      const std::string m = e.what();
      EXPECT_EQ(m.rfind("dir/Bad.form:" + std::to_string(b.Line) + ": ", 0), 0u) << m;
      EXPECT_TRUE(Has(m, b.Message)) << m;
    }
  }
}

TEST(FormGen, ReportsABadLineWithFileAndLine) {
  const BadCase cases[] = {
      {"TButton b\n", 1, "the first line must be"},
      {"form Other on=T\n", 1, "differs from the file name"},
      {"form Bad on=T\nTWidget w\n", 2, "unknown control kind \"TWidget\""},
      {"form Bad on=T\nTButton b\nTButton b\n", 3, "duplicate control name \"b\""},
      {"form Bad on=T\nTButton b colour=1\n", 2, "unknown property \"colour\""},
      {"form Bad on=T\nTButton b text=\"x\"\n", 2, "has no property \"text\""},
      {"form Bad on=T\nTEdit e w=wide\n", 2, "needs an integer"},
      {"form Bad on=T\nTButton b visible=yes\n", 2, "needs 0 or 1"},
      {"form Bad on=T\nTButton b OnChange=bChange\n", 2, "has no event OnChange"},
      {"form Bad on=T\nTButton b OnClick=\"x y\"\n", 2, "needs a handler name"},
      {"form Bad on=T\nTButton b\n  item \"x\"\n", 3, "must stand under a combo box"},
      {"form Bad on=T\nTComboBox c\n  column caption=x\n", 3, "must stand under a grid"},
      {"form Bad on=T\nTCvGrid g\n  column kind=tree\n", 3, "unknown column kind \"tree\""},
      {"form Bad on=T\nTCvGrid g\n  column position=first\n", 3, "column position needs an integer"},
      {"form Bad on=T\nTCvGrid g\n  column title=x\n", 3, "unknown column setting \"title\""},
      {"form Bad on=T\nTButton b caption=\"open\n", 2, "unclosed quote"},
      {"form Bad on=T\n\tTButton b\n", 2, "tab character"},
      {"form Bad on=T\nTPanel p\n  TTabSheet s\n", 3, "must stand under a TPageControl"},
      {"form Bad on=T\nTPanel p layout=none\n  TButton b\n", 3, "needs left= and top="},
      {"form Bad on=T\nTButton b caption=\"日本\"\n", 2, "code page 1251 lacks"},
      {"form Bad\nTButton b\n", 2, "has no container"},
  };
  for (const BadCase& c : cases) {
    try {
      formgen::Parse(c.Text, "dir/Bad.form");
      ADD_FAILURE() << "accepted: " << c.Text;
    } catch (const formgen::Error& e) {
      const std::string m = e.what();
      EXPECT_EQ(m.rfind("dir/Bad.form:" + std::to_string(c.Line) + ": ", 0), 0u) << m;
      EXPECT_TRUE(Has(m, c.Message)) << m;
    }
  }
}

TEST(FormGen, ChecksTheFormsOfAWindowTogether) {
  auto check = [](std::vector<std::pair<const char*, const char*>> Texts) -> std::string {
    std::vector<formgen::FormFile> files;
    for (auto& [path, text] : Texts) files.push_back(formgen::Parse(text, path));
    try {
      formgen::CheckWindow(files);
    } catch (const formgen::Error& e) {
      return e.what();
    }
    std::string order;
    for (const auto& f : files) order += f.Name + " ";
    return order;
  };
  const char* shell = "form Shell\nTForm W\n  TPanel Host\n";
  // A form that fills a control of another form is built after it, whatever the file order.
  EXPECT_EQ(check({{"A.form", "form A on=B1\nTButton a\n"},
                   {"B.form", "form B on=Host\nTPanel B1\n"},
                   {"Shell.form", shell}}),
            "Shell B A ");
  EXPECT_TRUE(Has(check({{"Shell.form", shell}, {"A.form", "form A on=Host\nTButton Host2\nTButton b\n"},
                         {"B.form", "form B on=Host\nTButton b\n"}}),
                  "B.form:2: control name \"b\" is used in A.form:3 as well"));
  EXPECT_TRUE(Has(check({{"Shell.form", shell}, {"A.form", "form A on=Nowhere\nTButton a\n"}}),
                  "A.form:1: target \"Nowhere\" is not defined"));
  EXPECT_TRUE(Has(check({{"Shell.form", shell}, {"A.form", "form A on=Host\nTMemo m popup=Host\n"}}),
                  "A.form:2: popup \"Host\" is not a TPopupMenu"));
  EXPECT_TRUE(Has(check({{"A.form", "form A on=Host\nTButton a\n"}}), "exactly one file"));
}

}  // namespace
