// The editor's texts: files, reports and folder listings, the file stack with Esc back to the
// remembered place, the autosave that never loses typed text, listing-line edits, the write lock,
// the keys of the focused memo and the hooks the editor installs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/AppLinks.h"
#include "app/support/EdFixture.h"
#include "foundation/cvDirList.h"
#include "foundation/cvLit.h"
#include "foundation/cvProf.h"
#include "platform/CodePage.h"
#include "platform/FileErr.h"
#include "platform/SysInfo.h"

namespace fs = std::filesystem;
using V = std::vector<std::string>;

namespace {

class EdTexts : public EdFixture {
 protected:
  void SetUp() override {
    EdFixture::SetUp();
    testsupport::WriteFile(Path("a.txt"), "alpha one\nbeta two\n  gamma three\ndelta\n");
    testsupport::WriteFile(Path("b.txt"), "first\nsecond\n");
    fs::create_directory(dir.path() / "sub");
    testsupport::WriteFile(Path("sub/c.txt"), "inside\n");
  }
  // The 1-based number of the listing line whose path ends in Tail.
  int ListingLine(const std::string& Tail) const {
    const V l = Lines();
    for (size_t i = 0; i < l.size(); ++i)
      if (l[i].size() >= Tail.size() && l[i].compare(l[i].size() - Tail.size(), Tail.size(), Tail) == 0)
        return static_cast<int>(i) + 1;
    return 0;
  }
  void Type(const std::string& Text) { ed.TypeText(Text); }
};

TEST_F(EdTexts, FileReportAndListingLoadWithTheirKinds) {
  testsupport::WriteFile(Path("ru.txt"), "Привет, мир\n");
  ed.EnterFile("reader says", "ru.txt", 0, 0);
  EXPECT_EQ(Lines(), V{"Привет, мир"_cp});
  EXPECT_EQ(ed.Kind, 'F');
  EXPECT_FALSE(ed.ListMode);
  EXPECT_EQ(ed.CurName, Path("ru.txt"));
  EXPECT_EQ(edFile.Text(), Path("ru.txt"));
  EXPECT_EQ(edReply.Text(), "reader says");
  EXPECT_EQ(lbKind.Text(), "F");
  EXPECT_EQ(ed.Changes, 0);

  TStringList rep{"r1", "r2"};
  ed.EdLoadSL("Report", &rep);
  EXPECT_EQ(Lines(), (V{"r1", "r2"}));
  EXPECT_EQ(ed.Kind, 'L');
  EXPECT_EQ(edFile.Text(), "Report");
  TStringList more{"r3"};
  ed.EdAppendSL("Report+", &more);
  EXPECT_EQ(Lines(), (V{"r1", "r2", "r3"}));
  EXPECT_EQ(CaretAt(), std::make_pair(3, 1));  // first added line

  ed.EdLoadSL("Nothing", nullptr);
  EXPECT_EQ(Said("EdAddSL(<Nothing>) SL не сформирован!"_cp), 1);
  EXPECT_EQ(Lines().size(), 3u);

  ed.EnterFile("", dir.str(), 0, 0);
  EXPECT_EQ(ed.Kind, 'M');
  EXPECT_TRUE(ed.ListMode);
  EXPECT_EQ(lbKind.Text(), "M");
  EXPECT_EQ(ed.PathCol, DirLinePathPos(Lines()[0]));
  EXPECT_GT(ListingLine("a.txt"), 0);
  EXPECT_GT(ListingLine("sub/micros.dir"), 0);
  EXPECT_EQ(platform::CurrentDir(), dir.str());
}

TEST_F(EdTexts, MissingNamesAreTracedAndChangeNothing) {
  ed.EnterFile("", "a.txt", 0, 0);
  ed.EnterFile("", "nosuch.txt", 0, 0);
  EXPECT_EQ(Said("не существует!"_cp), 1);
  EXPECT_EQ(ed.CurName, Path("a.txt"));
  EXPECT_EQ(filer.Stack.Count(), 0);
}

TEST_F(EdTexts, StackGoesBackToTheRememberedLineAndColumn) {
  ed.ExitFile();  // empty stack: nothing
  EXPECT_EQ(ed.Kind, 'N');

  ed.EnterFile("", "a.txt", 0, 0);
  ed.EnterFile("", "a.txt", 0, 0);  // same name: no push
  EXPECT_EQ(filer.Stack.Count(), 0);
  Caret(3, 5);
  ed.EnterFile("", "b.txt", 2, 3);
  EXPECT_EQ(filer.Stack.Count(), 1);
  EXPECT_EQ(CaretAt(), std::make_pair(2, 3));
  EXPECT_EQ(Lines(), (V{"first", "second"}));

  ed.ExitFile();
  EXPECT_EQ(ed.CurName, Path("a.txt"));
  EXPECT_EQ(edFile.Text(), Path("a.txt"));
  EXPECT_EQ(edReply.Text(), "EXIT FILE");
  EXPECT_EQ(CaretAt(), std::make_pair(3, 5));
  EXPECT_EQ(ed.Line, 3);
  EXPECT_EQ(ed.Word, "gamma");
  EXPECT_TRUE(ed.Done);
  EXPECT_EQ(filer.Stack.Count(), 0);

  // The enter list brings b.txt back where it was left.
  ed.EnterFile("", "b.txt", 0, 0);
  EXPECT_EQ(CaretAt(), std::make_pair(2, 3));
}

TEST_F(EdTexts, ListingEnterSubfolderAndEscBackToTheParentLine) {
  ed.EnterFile("", dir.str(), 0, 0);
  const int row = ListingLine("sub/micros.dir");
  ASSERT_GT(row, 0);
  Caret(row, ed.PathCol + 2);
  EXPECT_TRUE(ed.IsDir);
  EXPECT_TRUE(ed.IsFile);
  EXPECT_EQ(ed.Word, Path("sub") + "/");

  EXPECT_TRUE(ed.KeyCmd(256 + platform::vk::Return));
  EXPECT_EQ(ed.Kind, 'M');
  EXPECT_EQ(ed.CurName, Path("sub"));
  EXPECT_EQ(platform::CurrentDir(), Path("sub"));
  EXPECT_GT(ListingLine("sub/c.txt"), 0);

  EXPECT_TRUE(ed.KeyCmd(256 + platform::vk::Escape));
  EXPECT_EQ(ed.Kind, 'M');
  EXPECT_EQ(ed.CurName, dir.str());
  EXPECT_EQ(CaretAt(), std::make_pair(row, ed.PathCol + 2));
  EXPECT_EQ(platform::CurrentDir(), dir.str());
}

TEST_F(EdTexts, ResolveNames) {
  EXPECT_EQ(TcvEd::ResolveEdName("a.txt"), "a.txt");
  EXPECT_EQ(TcvEd::ResolveEdName(Path("sub") + "\\MICROS.DIR"), Path("sub"));
  EXPECT_EQ(TcvEd::ResolveEdName("a.txt and more"), "a.txt");
  EXPECT_EQ(TcvEd::ResolveEdName("\"my file.txt\" rest"), "my file.txt");
}

TEST_F(EdTexts, EnterOnAWordOpensItAndOtherwiseIndents) {
  testsupport::WriteFile(Path("links.txt"), "see b.txt here\n   indented words\nlast\n");
  ed.EnterFile("", "links.txt", 0, 0);
  Caret(1, 6);
  EXPECT_TRUE(ed.IsFile);
  ed.KeyCmd(256 + platform::vk::Return);
  EXPECT_EQ(ed.CurName, Path("b.txt"));
  ed.ExitFile();

  Caret(2, 10);
  EXPECT_FALSE(ed.IsFile);
  ed.KeyCmd(256 + platform::vk::Return);
  EXPECT_EQ(CaretAt(), std::make_pair(3, 4));
  EXPECT_EQ(Lines().size(), 3u);  // no line inserted
  EXPECT_EQ(ed.CurName, Path("links.txt"));
}

TEST_F(EdTexts, LinksAreRecognised) {
  testsupport::WriteFile(Path("web.txt"), "x http://example.org page.HTM y\n");
  ed.EnterFile("", "web.txt", 0, 0);
  Caret(1, 4);
  EXPECT_TRUE(ed.IsLink);
  Caret(1, 25);
  EXPECT_TRUE(ed.IsLink);
  Caret(1, 1);
  EXPECT_FALSE(ed.IsLink);
}

// ---- autosave ----

TEST_F(EdTexts, EditsAreSavedWhenTheTextIsLeft) {
  ed.Writable = true;
  ed.EnterFile("", "a.txt", 1, 1);
  Type("X");
  EXPECT_EQ(ed.Changes, 1);
  ed.EnterFile("", "b.txt", 0, 0);  // leaving a.txt saves it
  EXPECT_EQ(testsupport::ReadFile(Path("a.txt")), "Xlpha one\nbeta two\n  gamma three\ndelta\n");

  Caret(2, 1);
  Type("Y");
  ed.ExitFile();  // Esc saves b.txt before a.txt comes back
  EXPECT_EQ(testsupport::ReadFile(Path("b.txt")), "first\nYecond\n");
  EXPECT_EQ(Lines()[0], "Xlpha one");

  // A report replacing a modified file does not drop the edits either.
  Type("Z");
  TStringList rep{"report"};
  ed.EdLoadSL("Rep", &rep);
  EXPECT_EQ(testsupport::ReadFile(Path("a.txt")).substr(0, 9), "XZpha one");

  // Entering the same file again keeps what was typed.
  ed.EnterFile("", "b.txt", 1, 1);
  Type("Q");
  ed.EnterFile("", "b.txt", 1, 1);
  EXPECT_EQ(Lines()[0], "Qirst");
}

TEST_F(EdTexts, AFailedSaveKeepsTheTextAndTheWayBack) {
  fs::create_directory(dir.path() / "gone");
  testsupport::WriteFile(Path("gone/d.txt"), "data\n");
  ed.Writable = true;
  ed.EnterFile("", "a.txt", 0, 0);
  ed.EnterFile("", Path("gone/d.txt"), 1, 1);
  ed.SetInsert(true);
  Type("W");
  fs::remove_all(dir.path() / "gone");

  ed.EnterFile("", Path("b.txt"), 0, 0);  // cannot save d.txt: stays
  EXPECT_EQ(Said("Ed.SaveFile"), 1);
  EXPECT_EQ(ed.CurName, Path("gone/d.txt"));
  EXPECT_EQ(Lines(), V{"Wdata"});
  EXPECT_EQ(ed.Changes, 1);
  EXPECT_EQ(filer.Stack.Count(), 1);

  ed.ExitFile();  // the same on Esc: the stack keeps its entry
  EXPECT_EQ(ed.CurName, Path("gone/d.txt"));
  EXPECT_EQ(Lines(), V{"Wdata"});
  EXPECT_EQ(filer.Stack.Count(), 1);

  TStringList rep{"r"};
  ed.EdLoadSL("R", &rep);  // nor does a report replace it
  EXPECT_EQ(Lines(), V{"Wdata"});
  EXPECT_FALSE(ed.SaveFile());
  EXPECT_EQ(ed.Changes, 1);

  // The folder is back: the next attempt writes the file and the way back works.
  fs::create_directory(dir.path() / "gone");
  ed.ExitFile();
  EXPECT_EQ(testsupport::ReadFile(Path("gone/d.txt")), "Wdata\n");
  EXPECT_EQ(ed.CurName, Path("a.txt"));
}

TEST_F(EdTexts, EscBackToAListKeepsTheCurrentTextAndItsName) {
  TStringList rep{"line of report"};
  ed.EnterSL("My report", &rep);
  EXPECT_EQ(ed.Kind, 'L');
  ed.EnterFile("", "a.txt", 0, 0);
  ed.Writable = true;
  ed.ExitFile();
  EXPECT_EQ(Said("Надо доделывать"_cp), 1);
  EXPECT_EQ(ed.Kind, 'F');
  EXPECT_EQ(ed.CurName, Path("a.txt"));
  EXPECT_EQ(edFile.Text(), Path("a.txt"));
  EXPECT_EQ(Lines()[0], "alpha one");
  EXPECT_EQ(filer.Stack.Count(), 0);

  Caret(1, 1);
  Type("Z");
  EXPECT_TRUE(ed.SaveFile());
  EXPECT_EQ(testsupport::ReadFile(Path("a.txt")).substr(0, 9), "Zlpha one");
  EXPECT_FALSE(fs::exists(dir.path() / "My report"));
}

// ---- editing ----

TEST_F(EdTexts, TypingDeletingAndLineCommandsInAPlainText) {
  ed.Writable = true;
  ed.EnterFile("", "b.txt", 1, 3);
  ed.SetInsert(true);
  EXPECT_EQ(tunes->Get("EdInsert"), "1");
  Type("AB");
  EXPECT_EQ(Lines()[0], "fiABrst");
  ed.SetInsert(false);
  EXPECT_EQ(tunes->Get("EdInsert"), "");
  Type("c");
  EXPECT_EQ(Lines()[0], "fiABcst");
  ed.Backspace();  // overwrite: blanked
  EXPECT_EQ(Lines()[0], "fiAB st");
  Caret(1, 6);
  ed.Backspace();  // a blank before the caret in overwrite mode: the caret only moves
  EXPECT_EQ(Lines()[0], "fiAB st");
  EXPECT_EQ(CaretAt(), std::make_pair(1, 5));
  ed.SetInsert(true);
  ed.Backspace();
  EXPECT_EQ(Lines()[0], "fiA st");
  ed.DeleteChar();
  EXPECT_EQ(Lines()[0], "fiAst");
  Caret(1, 6);
  ed.DeleteChar();  // behind the end: nothing
  EXPECT_EQ(Lines()[0], "fiAst");

  Caret(1, 3);
  ed.ClearToEnd();
  EXPECT_EQ(Lines()[0], "fi   ");
  ed.SwapBlanks();
  EXPECT_EQ(Lines()[0], "fi___");
  const int changes = ed.Changes;
  ed.InsertLine();
  EXPECT_EQ(Lines(), (V{"", "fi___", "second"}));
  ed.DeleteLine();
  EXPECT_EQ(Lines(), (V{"fi___", "second"}));
  EXPECT_EQ(ed.Changes, changes + 2);

  // Typing behind the end pads with blanks (overwrite mode).
  ed.SetInsert(false);
  Caret(2, 7);
  Type("!");
  EXPECT_EQ(Lines()[1], "second!");
}

TEST_F(EdTexts, WriteLockChangesNothingAndWarnsEveryTime) {
  ed.EnterFile("", "a.txt", 2, 1);
  ed.Writable = false;
  const V before = Lines();
  ed.TypeChar('x');
  ed.InsertLine();
  ed.DeleteLine();
  ed.ClearToEnd();
  EXPECT_EQ(ed.KeyCmd(512 + 'Y'), true);
  EXPECT_EQ(Lines(), before);
  EXPECT_EQ(ed.Changes, 0);
  EXPECT_EQ(Said("Редактирование запрещено."_cp), 5);
}

class ListingLines : public EdFixture {
 protected:
  void SetUp() override {
    EdFixture::SetUp();
    // PathCol 15: visible part columns 1..8, marker 9..14, path from 15.
    testsupport::WriteFile(Path("t.dir"), "abcdefgh!----!/x/path\n");
    ed.Writable = true;
    ed.EnterFile("", "t.dir", 1, 1);
  }
  std::string TypeAt(int Col, char Ch, bool Insert) {
    memo.SetLines({"abcdefgh!----!/x/path"});
    ed.SetInsert(Insert);
    Caret(1, Col);
    ed.TypeChar(Ch);
    return Lines()[0];
  }
};

TEST_F(ListingLines, TypingKeepsTheMarkerAndThePartLengths) {
  ASSERT_TRUE(ed.ListMode);
  ASSERT_EQ(ed.PathCol, 15);
  struct Case {
    int Col;
    bool Insert;
    const char* Expect;
  } cases[] = {
      {3, true, "abZcdefg!----!/x/path"},   // visible part drops its last character
      {9, true, "abcdefgh!----!/x/path"},   // on the first "!": nothing inserted
      {14, true, "abcdefgh!----!/x/path"},  // on the second "!"
      {11, true, "abcdefgh!-Z--!/x/path"},  // middle keeps four characters
      {16, true, "abcdefgh!----!/Zx/path"}, // the path grows
      {9, false, "abcdefgh!----!/x/path"},  // overwrite leaves the "!"
      {10, false, "abcdefgh!Z---!/x/path"},
      {2, false, "aZcdefgh!----!/x/path"},
  };
  for (const Case& c : cases) EXPECT_EQ(TypeAt(c.Col, 'Z', c.Insert), c.Expect) << c.Col;
  // Insert counts an edit even where nothing could be inserted.
  const int before = ed.Changes;
  TypeAt(9, 'Z', true);
  EXPECT_EQ(ed.Changes, before + 1);
}

TEST_F(ListingLines, DeletingClearingAndNewLinesKeepTheLayout) {
  ed.SetInsert(true);
  Caret(1, 4);
  ed.Backspace();  // removes "c", the visible part is padded
  EXPECT_EQ(Lines()[0], "abdefgh !----!/x/path");
  Caret(1, 10);
  ed.Backspace();  // on the marker: nothing removed
  EXPECT_EQ(Lines()[0], "abdefgh !----!/x/path");
  Caret(1, 17);
  ed.Backspace();  // in the path
  EXPECT_EQ(Lines()[0], "abdefgh !----!//path");

  memo.SetLines({"abcdefgh!----!/x/path"});
  Caret(1, 6);
  ed.ClearToEnd();  // up to the marker's end
  EXPECT_EQ(Lines()[0], "abcde" + std::string(9, ' ') + "/x/path");
  memo.SetLines({"abcdefgh!----!/x/path/long"});
  Caret(1, 16);
  ed.ClearToEnd();  // within the first five path columns: up to PathCol + 4
  EXPECT_EQ(Lines()[0], "abcdefgh!----!/    th/long");

  Caret(1, 1);
  ed.InsertLine();
  EXPECT_EQ(Lines()[0], "        !    !");
}

// ---- keys of the focused memo ----

TEST_F(EdTexts, MemoKeysPostCommandsAndTypeInTheProgramsLayout) {
  ed.Writable = true;
  ed.SetInsert(true);
  ed.EnterFile("", "b.txt", 1, 1);
  keyb.Layout = 'R';
  EXPECT_TRUE(ed.MemoKeyDown('Q', false, false, false));
  EXPECT_EQ(Lines()[0], "йfirst"_cp);
  EXPECT_EQ(keyb.LastKey, 'Q');

  // Backspace is swallowed and reaches the editor later as the posted command 264.
  EXPECT_TRUE(ed.MemoKeyDown(platform::vk::Back, false, false, false));
  EXPECT_EQ(Lines()[0], "йfirst"_cp);
  EXPECT_EQ(memo.RunPosted(), 1);
  EXPECT_EQ(Lines()[0], "first");

  // Arrows are left to the memo.
  EXPECT_FALSE(ed.MemoKeyDown(platform::vk::Down, false, false, false));
  memo.RunPosted();

  // Ctrl pressed and released alone switches the layout; Ctrl+C does not.
  ed.MemoKeyDown(platform::vk::Control, false, true, false);
  ed.MemoKeyUp(platform::vk::Control, false, false, false);
  EXPECT_EQ(keyb.Layout, 'E');
  EXPECT_EQ(platform::KeyboardLayout(), 0x04090409u);
  ed.MemoKeyDown(platform::vk::Control, false, true, false);
  ed.MemoKeyDown('C', false, true, false);
  ed.MemoKeyUp(platform::vk::Control, false, false, false);
  EXPECT_EQ(keyb.Layout, 'E');

  // Other Ctrl keys are reported and left to the memo.
  EXPECT_FALSE(ed.MemoKeyDown('Q', false, true, false));
  EXPECT_EQ(Said("Ed.Mess100 Нажато $51"_cp), 1);
}

TEST(EdKeyTable, CharactersOfBothLayouts) {
  struct Case {
    uint16_t Key;
    bool Shift, Caps;
    char Layout;
    std::string Expect;
  } cases[] = {
      {'Q', false, false, 'E', "q"},       {'Q', true, false, 'E', "Q"},
      {'Q', false, false, 'R', "й"_cp},    {'Q', true, true, 'R', "й"_cp},
      {'Q', false, true, 'R', "Й"_cp},     {192, true, false, 'R', "Ё"_cp},
      {'2', true, false, 'R', "\""},       {'3', true, false, 'R', "№"_cp},
      {'2', true, false, 'E', "@"},        {191, false, false, 'R', "."},
      {191, true, false, 'R', ","},        {220, true, false, 'R', "/"},
      {101, false, false, 'R', "5"},       {101, false, false, 'E', "5"},
      {platform::vk::Space, false, false, 'R', " "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(std::string(1, KeyChar(c.Key, c.Shift, false, false, c.Caps, c.Layout)), c.Expect)
        << c.Key;
  EXPECT_EQ(KeyChar('Q', false, false, true, false, 'E'), 0);
  EXPECT_EQ(KeyChar(platform::vk::F2, false, false, false, false, 'E'), 0);
  EXPECT_EQ(VKOfChar("ж"_cp[0]), 186);
  EXPECT_EQ(VKOfChar('?'), 191);
}

TEST_F(EdTexts, WheelMovesTheCaretThreeLinesKeepingTheColumn) {
  ed.EnterFile("", "a.txt", 1, 6);
  ed.MemoWheel(-120);
  EXPECT_EQ(CaretAt(), std::make_pair(4, 6));  // "delta" is 5 long: column 6 still fits
  ed.MemoWheel(120);
  EXPECT_EQ(CaretAt(), std::make_pair(1, 6));
  ed.MemoWheel(120);  // on the first line: nothing
  EXPECT_EQ(CaretAt(), std::make_pair(1, 6));
  ed.MemoWheel(-240);  // two notches at once: nothing
  EXPECT_EQ(CaretAt(), std::make_pair(1, 6));
}

TEST_F(EdTexts, ModesFollowTheSettings) {
  tunes->Set("EdEnabled", "1");
  tunes->Set("EdCurWord", "y");
  ed.Show();
  EXPECT_TRUE(ed.Shown);
  EXPECT_TRUE(ed.Writable);
  EXPECT_TRUE(ed.CurWord);
  EXPECT_FALSE(ed.Insert);
  EXPECT_EQ(memo.Color(), 0xFFFFFFu);
  ed.WritableMode(nullptr);  // no panel: the frame reads 0
  EXPECT_FALSE(ed.Writable);
  EXPECT_EQ(tunes->Get("EdEnabled"), "");
  EXPECT_EQ(memo.Color(), 0xEEEEEEu);

  ed.EnterFile("", "a.txt", 2, 2);
  EXPECT_EQ(edReply.Text(), "beta");  // current-word mode echoes the word

  ed.ToggleFont();
  EXPECT_EQ(memo.FontName(), "Terminal");
  EXPECT_EQ(memo.FontCharset(), 255);
  EXPECT_TRUE(ed.KeyCmd(256 + platform::vk::F8));
  EXPECT_EQ(memo.FontName(), "Courier");
  EXPECT_EQ(memo.FontCharset(), 204);

  edJS.SetText("3");
  edIP.SetText("4");
  ed.JumpLineCol();
  EXPECT_EQ(CaretAt(), std::make_pair(3, 4));
  edIP.SetText("x");
  ed.JumpLineCol();
  EXPECT_EQ(CaretAt(), std::make_pair(3, 4));
}

TEST_F(EdTexts, StatusReportsWordsAndTheColumnOfATable) {
  testsupport::WriteFile(Path("tab.txt"), "head\n a  1.5  10\n b  2.5  20\n");
  ed.EnterFile("", "tab.txt", 0, 0);
  status.clear();
  Caret(3, 6);
  ASSERT_EQ(status.size(), 1u);
  const TEdStatus& s = status.back();
  EXPECT_EQ(s.Line, 3);
  EXPECT_EQ(s.Col, 6);
  EXPECT_EQ(s.LineWords, 3);
  EXPECT_EQ(s.WordNo, 2);
  EXPECT_EQ(s.Word, "2.5");
  EXPECT_EQ(s.ColInfo, "Col2 IB=5 W=3-2");
  EXPECT_EQ(ed.TabTop, 2);
  EXPECT_EQ(ed.TabBottom, 3);
  EXPECT_EQ(ed.LineText(3), " b  2.5  20");
  EXPECT_EQ(ed.LineText(4), "");
}

// ---- the hooks the editor installs ----

TEST_F(EdTexts, ReaderErrorsAndProfilerReportsArriveInTheEditor) {
  applinks::EnterFile("syntax error here", "a.txt", 3, 4);
  EXPECT_EQ(ed.CurName, Path("a.txt"));
  EXPECT_EQ(CaretAt(), std::make_pair(3, 4));
  EXPECT_EQ(edReply.Text(), "syntax error here");

  ProfilingReset();
  time_routine("main", true);
  EXPECT_FALSE(ed.KeyDown('L', false, true, false));  // Ctrl+L: the profiler's report
  EXPECT_EQ(ed.Kind, 'L');
  EXPECT_EQ(edFile.Text(), "Executing_Profile");
  EXPECT_GT(memo.LineCount(), 0);
  time_routine("main", false);
  ProfilingReset();
}

TEST(EdLinks, HooksAreRemovedWithTheEditor) {
  {
    TFiler f;
    TcvEd e;
    platform::MemoryMemo m;
    e.Init(nullptr, &m, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
           &f, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(static_cast<bool>(ProfileReportViewer));
    EXPECT_TRUE(static_cast<bool>(applinks::EnterFileHook()));
  }
  EXPECT_FALSE(static_cast<bool>(ProfileReportViewer));
  EXPECT_FALSE(static_cast<bool>(applinks::EnterFileHook()));
}

TEST(EdInit, AMissingFileHistoryIsFatal) {
  TcvEd e;
  platform::MemoryMemo m;
  EXPECT_THROW(e.Init(nullptr, &m, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr),
               EInOutError);
}

TEST(EdMemoInsertStr, InsertsAtTheCaret) {
  platform::MemoryMemo m;
  m.SetLines({"abcdef", "x"});
  m.SetCaret(0, 2);
  MemoInsertStr("XY", &m);
  EXPECT_EQ(m.Line(0), "abXYcdef");
  int l = 0, c = 0;
  m.CaretPos(l, c);
  EXPECT_EQ(l, 0);
  EXPECT_EQ(c, 4);
  EXPECT_TRUE(m.Focused());
}

}  // namespace
