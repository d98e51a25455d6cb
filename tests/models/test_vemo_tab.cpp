// The headless side of the VEMO and Models tabs: selector rules and lists, the table's rows, the
// report of the marked vectors in "Order", the draw pair, the deletes and the edited list, the
// undo of a job, the model files' heads (1251, DOS 866, the bundled comment heads), the
// registration in the table of models, the "#MG" description and the mouse mapping.
#include <gtest/gtest.h>

#include <map>

#include "foundation/cvDate.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvSys.h"
#include "linedata/cvDM.h"
#include "linedata/cvTable.h"
#include "models/cvModelsTab.h"
#include "models/cvVemoTab.h"
#include "models/support/VectorsEnv.h"

using testsupport::VectorsEnv;

namespace {

const char* kModel =
    "COLUMNS 3\n"
    "LAYERS 4\n"
    "X\nT\nPE\n"
    "head\n----\n"
    " 1.0  9000  10\n"
    " 0.0  6500  1\n"
    "-2.0  5000  0.1\n"
    "-4.0  4500  0.01\n";

struct TFlagMap {
  std::map<std::string, bool> m;
  TVemoFlags F() {
    TVemoFlags f;
    f.Get = [this](const std::string& K) { return m.count(K) && m[K]; };
    f.Set = [this](const std::string& K, bool On) {
      if (On)
        m[K] = true;
      else
        m.erase(K);
    };
    return f;
  }
};

// Two models, A with an "=" in its name, loaded from files of the temporary root.
void TwoModels(VectorsEnv& env) {
  env.Model("A=1", kModel);
  env.Model("B", kModel);
  env.K().LoadModel("", "", "", "B");
  env.K().LoadModel("", "", "", "A=1");
}

TEST(VemoTab, SelectorRowsNeverAllOff) {
  TFlagMap fl;
  auto f = fl.F();
  // no flag: row 0 on and its flag set
  EXPECT_EQ(FMODRowsFromFlags(f), (std::array<bool, 3>{true, false, false}));
  EXPECT_TRUE(fl.m["VEMO|FMOD0"]);
  EXPECT_EQ(KDERRowsFromFlags(f), (std::array<bool, 2>{true, true}));
  struct {
    std::array<bool, 3> rows;
    int32_t edited;
    std::array<bool, 3> want;
  } cases[] = {{{false, false, false}, 1, {true, false, false}},
               {{false, false, false}, 0, {false, true, false}},
               {{false, false, true}, 0, {false, false, true}}};
  for (auto& c : cases) {
    FixFMODRows(c.rows, c.edited, f);
    EXPECT_EQ(c.rows, c.want);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(fl.m.count("VEMO|FMOD" + IntStr(i)) != 0, c.want[i]);
  }
  std::array<bool, 2> k{false, false};
  FixKDERRows(k, f);
  EXPECT_EQ(k, (std::array<bool, 2>{true, true}));
  EXPECT_EQ(VemoFlagKey("LAM=5000|AT=Fe"), "LAM:5000|AT:Fe");
}

TEST(VemoTab, ListsRowsAndRepFlags) {
  VectorsEnv env;
  TwoModels(env);
  TFlagMap fl;
  fl.m["VEMO|A:1"] = true;  // model A=1 switched off, its key with ":"
  std::vector<TVemoSelRow> mods, sids;
  VemoSelectorLists(env.K(), {true, false, false}, fl.F(), &mods, &sids);
  ASSERT_EQ(mods.size(), 2u);
  EXPECT_EQ(mods[0].Name, "B");  // first appearance in the keeper
  EXPECT_TRUE(mods[0].On);
  EXPECT_EQ(mods[1].Name, "A=1");
  EXPECT_FALSE(mods[1].On);
  ASSERT_EQ(sids.size(), 1u);

  TVemoSelect S;
  S.ModOff.insert("A=1");
  fl.m["VEMOREP|T"] = true;
  std::vector<TVemoRow> rows;
  VemoTableRows(env.K(), S, fl.F(), 0.2, false, true, rows);
  ASSERT_EQ(rows.size(), 3u);  // X, T, PE of B
  for (const TVemoRow& r : rows) {
    EXPECT_EQ(r.Model, "B");
    EXPECT_EQ(env.K().Items(r.Idx)->NAME, r.Name);
    if (r.Name == "T") {
      EXPECT_FALSE(r.Rep);
    }
  }
  // a format edited in the table is not attached again
  TVEMO* t = env.K().FindVeMo("T", "B", "", 0);
  ASSERT_NE(t->RepSet, nullptr);
  t->RepSet->KOut = 42;
  t->RepSet->Edited = true;
  VemoTableRows(env.K(), S, fl.F(), 0.2, false, true, rows);
  bool seen = false;
  for (const TVemoRow& r : rows) seen = seen || (r.Name == "T" && r.KOut == 42);
  EXPECT_TRUE(seen);
  // the FMOD row 1 off hides grid-0 vectors
  S.FMOD = {false, true, false};
  VemoTableRows(env.K(), S, fl.F(), 0.2, false, true, rows);
  EXPECT_TRUE(rows.empty());
}

TEST(VemoTab, MarkedReportFollowsOrder) {
  VectorsEnv env;
  TwoModels(env);
  TVEMO* x = env.K().FindVeMo("X", "B", "", 0);
  TVEMO* t = env.K().FindVeMo("T", "B", "", 0);
  TVEMO* pe = env.K().FindVeMo("PE", "B", "", 0);
  EXPECT_EQ(VemoReportScale({{t, 1}, {x, 2}}), &x->A);
  // Order 3, 1, 2 (table order X, T, PE): T, PE, X
  auto L = VemoMarkedReport(env.K(), {{x, 3}, {t, 1}, {pe, 2}});
  ASSERT_GE(L->Count(), 2);
  const std::string head = (*L)[1];
  const size_t pt = head.find(t->RepSet ? t->RepSet->Hd : "T");
  const size_t pp = head.find(pe->RepSet ? pe->RepSet->Hd : "PE");
  const size_t px = head.find(x->RepSet ? x->RepSet->Hd : "X");
  ASSERT_NE(pt, std::string::npos) << head;
  EXPECT_LT(pt, pp) << head;
  EXPECT_LT(pp, px) << head;
  EXPECT_EQ(L->Count(), 2 + 4);
}

TEST(VemoTab, DrawPairAndEditedList) {
  VectorsEnv env;
  TwoModels(env);
  TVEMO* xb = env.K().FindVeMo("X", "B", "", 0);
  TVEMO* xa = env.K().FindVeMo("X", "A=1", "", 0);
  TVEMO* tb = env.K().FindVeMo("T", "B", "", 0);
  TVEMO *X = nullptr, *Y = nullptr;
  std::string msg;
  struct {
    std::vector<TVEMO*> marked;
    bool ok;
    std::string msg;
  } cases[] = {
      {{xb, xa, tb}, false, "Найдено более одного вектора X, это <X> и <X> !"_cp},
      {{tb, env.K().FindVeMo("PE", "B", "", 0)}, false,
       "Найдено более одного вектора Y, это <T> и <PE> !"_cp},
      {{tb}, false, "Не отмечен вектор X (шкала глубин) для рисования!"_cp},
      {{xb}, false, "Не отмечен вектор Y для рисования!"_cp},
      {{}, false, "Не отмечены векторы X и Y для рисования!"_cp},
      {{xb, tb}, true, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(VemoDrawPair(c.marked, X, Y, msg), c.ok);
    EXPECT_EQ(msg, c.msg);
  }
  EXPECT_EQ(X, xb);
  EXPECT_EQ(Y, tb);

  TEditedVectors E;
  EXPECT_TRUE(E.Add(*tb));
  EXPECT_FALSE(E.Add(*tb));  // once however often drawn
  EXPECT_EQ(E.Count(), 1);
  EXPECT_EQ(E.ByFullName(env.K(), tb->FullName()), tb);
  // every delete drops the vector from the edited list (the fill never sees it freed)
  VemoDelete(env.K(), E, {tb});
  EXPECT_TRUE(E.Empty());
  EXPECT_EQ(env.K().FindVeMo("T", "B", "", 0), nullptr);
  TVEMO* ta = env.K().FindVeMo("T", "A=1", "", 0);
  E.Add(*ta);
  EXPECT_EQ(VemoDeleteModels(env.K(), E, {"A=1"}), 3);
  EXPECT_TRUE(E.Empty());
  EXPECT_TRUE(E.Resolve(env.K()).empty());
}

TEST(VemoTab, Row2DeletesAndTheirReports) {
  VectorsEnv env;
  TwoModels(env);
  TEditedVectors E;
  E.Add(*env.K().FindVeMo("PE", "B", "", 0));
  std::string msg;
  // FMOD text empty with a NAME: nothing
  EXPECT_EQ(VemoDeleteRow2(env.K(), E, "B", "PE", " ", 0, msg), 0);
  EXPECT_TRUE(msg.empty());
  EXPECT_EQ(VemoDeleteRow2(env.K(), E, " B ", "PE", "0", 0, msg), 1);
  EXPECT_EQ(msg, "Вектор PE модели B для сетки lg(tau) №0 в количестве 1 штук удален!"_cp);
  EXPECT_TRUE(E.Empty());
  EXPECT_EQ(VemoDeleteRow2(env.K(), E, "A=1", "", "", 0, msg), 3);
  EXPECT_EQ(msg, "Векторы модели A=1 для всех сеток модели в количестве 3 штук удалены!"_cp);
}

TEST(VemoTab, KeeperUndoPutsBackValuesAndDropsAdditions) {
  VectorsEnv env;
  env.Model("B", kModel);
  env.K().LoadModel("", "", "", "B");
  const int32_t n = env.K().Count();
  TVEMO* t = env.K().FindVeMo("T", "B", "", 0);
  const TARe before = t->A;
  TKeeperUndo undo(env.K());
  t->A[2] = 1;
  t->SetFilled();
  env.Model("C", kModel);
  env.K().LoadModel("", "", "", "C");
  ASSERT_GT(env.K().Count(), n);
  undo.Restore();
  EXPECT_EQ(env.K().Count(), n);
  EXPECT_EQ(t->A, before);
  EXPECT_FALSE(env.K().HasMod("C"));
}

TEST(ModelsTab, ModelFileHeads) {
  VectorsEnv env;
  const std::string body = "COLUMNS 3\nLAYERS 4\nX\nT\nPE\nhead\n----\n";
  struct {
    const char* file;
    std::string bytes;
    std::string name;
    bool year;
    std::string desc;
  } cases[] = {
      {"W.mel", "МОДЕЛЬ HOLMU1974 столбцы\nОписание\nСсылка\n"_cp + body, "HOLMU1974", true,
       "Описание"_cp},
      {"D.mel", StrWinToDos("МОДЕЛЬ HOLMU1974\nОписание\nСсылка\n"_cp) + body, "HOLMU1974", true,
       "Описание"_cp},
      {"U.mel", "МОДЕЛЬ ABC12X4\nd\nr\n" + body, "ABC12X4", false, "d"},
      {"C.mel", "! C - a comment head\n! the reference\n" + body, "C", false, "C - a comment head"},
  };
  for (const auto& c : cases) {
    // the UTF-8 case as it is, the others in their single-byte code pages
    const std::string path = env.Write(c.file, c.bytes);
    TModFileInfo i;
    std::string err;
    ASSERT_TRUE(ReadModelFileInfo(path, i, err)) << c.file << " " << err;
    EXPECT_EQ(i.ModName, c.name) << c.file;
    EXPECT_EQ(i.HasYear, c.year) << c.file;
    EXPECT_EQ(i.Description, c.desc) << c.file;
    EXPECT_EQ(i.NCol, 3) << c.file;
    EXPECT_EQ(i.NLay, 4) << c.file;
    if (c.year) {
      int y = 0, m = 0, d = 0;
      DecodeDate(i.Year, y, m, d);
      EXPECT_EQ(y * 10000 + m * 100 + d, 19740101) << c.file;
    }
  }
  // a count that is no integer
  TModFileInfo i;
  std::string err;
  EXPECT_FALSE(ReadModelFileInfo(env.Write("Bad.mel", "COLUMNS 7a\nLAYERS 4\n"), i, err));
  EXPECT_EQ(err, "Файл Bad КОЛОНОК = 7a"_cp);
  // the bundled HSRA: comment lines, then COLUMNS and LAYERS
  ASSERT_TRUE(ReadModelFileInfo(testsupport::SourceRoot() + "/data/MODS/HSRA.mel", i, err)) << err;
  EXPECT_EQ(i.ModName, "HSRA");
  EXPECT_EQ(i.NCol, 7);
  EXPECT_EQ(i.NLay, 55);
  EXPECT_EQ(i.Description, "HSRA - the Harvard-Smithsonian Reference Atmosphere");
}

TEST(ModelsTab, RegistrationAddsEveryMissingFileByName) {
  VectorsEnv env;
  env.Model("A", kModel);
  env.Model("B", "МОДЕЛЬ BB1980\nd\nr\n"_cp + std::string(kModel));
  TcvDatabase db;
  std::string err;
  ASSERT_TRUE(db.Create(env.dir.file("cv.db"), err)) << err;
  EnsureSchema(db);
  TcvTable T(&db, "Mod_");
  // a record of kind S for a file no longer there: the counts match, A and B are still missing
  T.Open();
  T.Append();
  T.FieldByName("ModName").SetAsString("OLD");
  T.FieldByName("FileName").SetAsString("OLD");
  T.FieldByName("ModKind").SetAsString("S");
  T.Post();
  T.Append();
  T.FieldByName("ModName").SetAsString("A");
  T.FieldByName("FileName").SetAsString("GONE");
  T.FieldByName("ModKind").SetAsString("S");
  T.Post();
  T.Close();
  TJob job;
  std::vector<std::string> files, msgs;
  EXPECT_EQ(RegisterSourceModels(job, T, env.dir.file("MODS"), files, msgs), 2);
  EXPECT_EQ(files, (std::vector<std::string>{"A.mel", "B.mel"}));
  ASSERT_FALSE(msgs.empty());
  EXPECT_EQ(msgs.back(), "Добавлено 2 моделей в БД в таблицу моделей \"Mod\""_cp);
  T.Close();
  T.SetFiltered(false);
  T.Open();
  EXPECT_EQ(T.RecordCount(), 3);  // A's record edited by its name, BB1980 added
  ASSERT_TRUE(T.Locate("ModName", TextValue("BB1980")));
  EXPECT_EQ(T.FieldByName("FileName").AsString(), "B");
  EXPECT_EQ(T.FieldByName("NLay").AsInteger(), 4);
  EXPECT_FALSE(T.FieldByName("YEAR_").IsNull());
  ASSERT_TRUE(T.Locate("ModName", TextValue("A")));
  EXPECT_EQ(T.FieldByName("FileName").AsString(), "A");
  T.Close();
  // all registered: nothing read again
  EXPECT_EQ(RegisterSourceModels(job, T, env.dir.file("MODS"), files, msgs), 0);
  EXPECT_TRUE(msgs.empty());
}

TEST(ModelsTab, DrawDescriptionViewAndMouse) {
  VectorsEnv env;
  std::string msg;
  std::vector<TModDrawRow> rows(2);
  rows[0] = {"HSRA", "0", "T", " ", ".", 15};
  auto d = ModelDrawDescr(ParamList(), rows, "1.5", "-8.6", "X", msg);
  ASSERT_EQ(d.size(), 5u) << msg;
  EXPECT_EQ(d[1], "#MG_WVX 1.5 -8.6");
  // linear T ('N'), a blank between the grid step and the mark step
  EXPECT_EQ(d[4], "#MG #MOD HSRA 0 #NAM T #NAMX X #SID # #WVY " + ParamList().GetScaleStr("T", 1) +
                      " 1 #GRA . 15 0.8 #VW 1");
  EXPECT_EQ(ParamList().GetScaleStr("T", 1).substr(0, 7), "N 3000 ");
  // row 2 only: one curve, weight 0.4
  rows[0].Model = " ";
  rows[1] = {"HSRA", "0", "PE", "", "x", 3};
  d = ModelDrawDescr(ParamList(), rows, "1.5", "-8.6", "X", msg);
  ASSERT_EQ(d.size(), 5u) << msg;
  EXPECT_NE(d[4].find("#GRA x 3 0.4"), std::string::npos) << d[4];
  rows[1].Name = "NOSCALE";
  EXPECT_TRUE(ModelDrawDescr(ParamList(), rows, "1.5", "-8.6", "X", msg).empty());
  EXPECT_EQ(msg, "Не задана шкала вывода графика 2 для вектора <NOSCALE> (модель HSRA)"_cp);

  TModView v = ModelViewScales(ParamList(), "", "");
  double X = 0, Y = 0;
  ModelMouseXY(v, 0, 99, 200, 100, X, Y);
  EXPECT_EQ(FSt(0, 3, X), "1.500");
  EXPECT_EQ(FSt(0, 3, Y), "0.000");
  ModelMouseXY(v, 199, 0, 200, 100, X, Y);
  EXPECT_EQ(FSt(0, 3, X), "-8.600");
  EXPECT_EQ(FSt(0, 3, Y), "1.000");
  // the scale of X replaces the default depth ends; T's scale gives the value ends
  v = ModelViewScales(ParamList(), "T", "X");
  EXPECT_EQ(v.XL, -5);
  EXPECT_EQ(v.XR, 2);
  EXPECT_EQ(v.YMin, 3000);
  EXPECT_EQ(v.YMax, 10000);

  EXPECT_EQ(ReplaceModWord("T HOLMU HOLMU=#", "HSRA"), "T HSRA HSRA=#");
  EXPECT_EQ(ReplaceModWord("HOLMU", "HSRA"), "HSRA");
}

}  // namespace

namespace {

// The harness: a DOS 866 file with a "МОДЕЛЬ" title beside the bundled HSRA, the table of HSRA
// alone, and the report of X and T with "Order" 2 and 1 (T first).
TEST(ModelsTab, VemoTableThroughTheHarness) {
  const std::string src = testsupport::SourceRoot();
  const std::string files = " '" + src + "/tests/data/models/M866.mel' '" + src + "/data/MODS/HSRA.mel'";
  testsupport::TBatchRun r = testsupport::RunBatch("vemo-table --fmod 0 --model HSRA --mark X,T --order 2,1" + files);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("file M866 model TESTM1974 columns 3 layers 4"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("file HSRA model HSRA columns 7 layers 55"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("models M866(off) HSRA"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(" M866 T <>"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" HSRA T <>"), std::string::npos) << r.out;
  const size_t rep = r.out.find("VEMO_Report");
  ASSERT_NE(rep, std::string::npos) << r.out;
  // the titles' line: T's column before X's
  const size_t line = r.out.find('\n', r.out.find('\n', rep) + 1) + 1;
  const std::string head = r.out.substr(line, r.out.find('\n', line) - line);
  ASSERT_NE(head.find(" X"), std::string::npos) << head;
  EXPECT_LT(head.find("T"), head.find(" X")) << head;
  // an unknown option is refused
  EXPECT_NE(testsupport::RunBatch("vemo-table --bad" + files).status, 0);
}

}  // namespace
