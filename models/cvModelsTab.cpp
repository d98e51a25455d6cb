#include "models/cvModelsTab.h"

#include <algorithm>
#include <cmath>

#include "foundation/cvDate.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"
#include "foundation/cvSys.h"
#include "linedata/cvTable.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"
#include "models/vectors/cvVemo.h"
#include "platform/FileErr.h"

namespace {

std::string Upper(const std::string& S) { return UpCaseStrCyr(S); }

// The text of a comment line without its "!" (empty for other lines).
bool Comment(const std::string& Line, std::string& Text) {
  const std::string t = TrimCtl(Line);
  if (t.empty() || t[0] != '!') return false;
  Text = TrimCtl(t.substr(1));
  return true;
}

bool CountAfter(const std::string& Line, const std::string& Label, const std::string& Name,
                int32_t& Value, std::string& Err) {
  const std::string w = WordN(Line, 2);
  int32_t code = 0;
  Value = ValIntCode(w, code);
  if (w.empty() || code != 0) {
    Err = "Файл "_cp + Name + " " + Label + " = " + w;
    Value = 0;
    return false;
  }
  return true;
}

}  // namespace

bool ReadModelFileInfo(const std::string& Path, TModFileInfo& Info, std::string& Err) {
  Info = TModFileInfo();
  Err.clear();
  std::string folder, bare, ext;
  SplitPath(Path, folder, bare, ext);
  Info.FileName = bare;
  Info.ModName = bare;
  TStringList L;
  try {
    L.LoadFromFile(Path);
  } catch (const std::exception& e) {
    Err = e.what();
    return false;
  }
  std::vector<std::string> lines = L.Lines();
  if (lines.empty()) return true;
  const std::string title = "МОДЕЛЬ"_cp;
  // a first line that reads "МОДЕЛЬ" in the DOS code page makes the whole file DOS text
  if (lines[0].find(title) == std::string::npos &&
      StrDosToWin(lines[0]).find(title) != std::string::npos)
    for (std::string& s : lines) s = StrDosToWin(s);
  for (size_t i = 1; i < lines.size(); ++i) lines[i] = TrimCtl(lines[i]);
  size_t body = 0;  // first line after the description lines
  const size_t at = lines[0].find(title);
  if (at != std::string::npos) {
    const std::string name = WordN(lines[0].substr(at + title.size()), 1);
    if (!name.empty()) Info.ModName = name;
    if (lines.size() > 1) Info.Description = lines[1];
    if (lines.size() > 2) Info.ModRef = lines[2];
    body = std::min<size_t>(3, lines.size());
  } else {
    std::vector<std::string> notes;
    for (; body < lines.size(); ++body) {
      std::string t;
      if (!Comment(lines[body], t)) break;
      if (!t.empty()) notes.push_back(t);
    }
    if (!notes.empty()) Info.Description = notes[0];
    if (notes.size() > 1) Info.ModRef = notes[1];
  }
  const std::string& n = Info.ModName;
  if (n.size() > 3) {
    const std::string y = n.substr(n.size() - 4);
    if (std::all_of(y.begin(), y.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      double d = 0;
      if (TryEncodeDate(std::stoi(y), 1, 1, d)) {
        Info.HasYear = true;
        Info.Year = d;
      }
    }
  }
  for (size_t i = body; i < lines.size(); ++i) {
    const std::string w = Upper(WordN(lines[i], 1));
    if (w != "COLUMNS" && w != "КОЛОНОК"_cp) continue;
    if (!CountAfter(lines[i], "КОЛОНОК"_cp, bare, Info.NCol, Err)) return false;
    if (i + 1 < lines.size() && !CountAfter(lines[i + 1], "СТРОК"_cp, bare, Info.NLay, Err))
      return false;
    break;
  }
  return true;
}

int32_t RegisterSourceModels(TJob& Job, TcvTable& Table, const std::string& Folder,
                             std::vector<std::string>& Files, std::vector<std::string>& Msgs) {
  Files.clear();
  Msgs.clear();
  if (!platform::IsDirectory(Folder)) {
    Msgs.push_back("Directory for source photospheric models " + Folder + " NOT EXISTS!!!");
    return 0;
  }
  {
    std::unique_ptr<TStringList> all = ListFiles(Folder);
    for (int i = 0; i < all->Count(); ++i)
      if (HasExt((*all)[i], "mel")) Files.push_back((*all)[i]);
  }
  if (Files.empty()) return 0;
  Table.Close();
  Table.SetFilter("ModKind = ?", {TextValue("S")});
  Table.SetFiltered(true);
  Table.Open();
  // the file names registered (a missing file is registered whatever the counts say)
  std::vector<std::string> known;
  for (Table.First(); !Table.Eof(); Table.Next())
    known.push_back(Upper(Table.FieldByName("FileName").AsString()));
  std::sort(known.begin(), known.end());
  std::vector<std::string> todo;
  for (const std::string& f : Files) {
    std::string folder, bare, ext;
    SplitPath(f, folder, bare, ext);
    if (!std::binary_search(known.begin(), known.end(), Upper(bare))) todo.push_back(f);
  }
  if (todo.empty()) return 0;
  std::vector<TModFileInfo> infos;
  for (size_t i = 0; i < todo.size(); ++i) {
    if (!Job.Step(static_cast<int64_t>(i), static_cast<int64_t>(todo.size()),
                  "Mod_ " + todo[i]))
      return 0;
    TModFileInfo info;
    std::string err;
    const std::string path = SlashPath(Folder) + "/" + todo[i];
    if (!ReadModelFileInfo(path, info, err)) {
      Msgs.push_back(err);
      continue;
    }
    infos.push_back(info);
  }
  if (Job.Cancelled()) return 0;
  int32_t count = 0;
  TcvDatabase::TTransaction tr(Table.Connection());
  for (const TModFileInfo& i : infos) {
    if (Table.Locate("ModName", TextValue(i.ModName)))
      Table.Edit();
    else
      Table.Append();
    Table.FieldByName("ModName").SetAsString(i.ModName);
    Table.FieldByName("FileName").SetAsString(i.FileName);
    Table.FieldByName("ModKind").SetAsString("S");
    if (i.HasYear) Table.FieldByName("YEAR_").SetAsDateTime(i.Year);
    Table.FieldByName("Description").SetAsString(i.Description);
    Table.FieldByName("ModRef").SetAsString(i.ModRef);
    Table.FieldByName("NCol").SetAsInteger(i.NCol);
    Table.FieldByName("NLay").SetAsInteger(i.NLay);
    Table.FieldByName("LAMB0").SetAsString("5000");
    Table.Post();
    ++count;
  }
  if (Job.Cancelled()) return 0;  // the transaction rolls back
  tr.Commit();
  if (count > 0)
    Msgs.push_back("Добавлено "_cp + IntStr(count) + " моделей в БД в таблицу моделей \"Mod\""_cp);
  return count;
}

// ---------------------------------------------------------------- selectors

namespace {

void AddItem(TModCombo& C, const std::string& Text, const std::string& Setting) {
  const std::string t = TrimCtl(Text);
  for (const std::string& i : C.Items)
    if (TrimCtl(i) == t) return;
  C.Items.push_back(Text);
  if (!Setting.empty() && t == Setting) C.Index = static_cast<int32_t>(C.Items.size()) - 1;
}

}  // namespace

TModSelectors ModelSelectorLists(const TLVEMO& K, const TModSelSettings& S) {
  TModSelectors r;
  for (TModCombo* c : {&r.SMod, &r.FMOD, &r.Name, &r.SID, &r.SMod2, &r.FMOD2, &r.Name2, &r.SID2})
    c->Items = {" "};
  r.NameX.Items = {"X"};
  r.NameX.Index = 0;
  for (int32_t i = 0; i < K.Count(); ++i) {
    const TVEMO& v = *K.Items(i);
    const std::string f = IntStr(v.FMOD);
    AddItem(r.SMod, v.sMOD, S.sMod);
    AddItem(r.SMod2, v.sMOD, S.sMod2);
    const bool m1 = S.sMod.empty() || S.sMod == v.sMOD;
    const bool m2 = S.sMod2.empty() || S.sMod2 == v.sMOD;
    if (m1) AddItem(r.FMOD, f, S.FMOD);
    if (m2) AddItem(r.FMOD2, f, S.FMOD2);
    const bool row1 = m1 && (S.FMOD.empty() || S.FMOD == f);
    const bool row2 = m2 && (S.FMOD2.empty() || S.FMOD2 == f);
    if (row1) {
      AddItem(r.Name, v.NAME, S.Name);
      if (v.KX == 1) AddItem(r.NameX, v.NAME, S.NameX);
      if (S.Name.empty() || S.Name == v.NAME) AddItem(r.SID, v.sIdV, S.SID);
    }
    if (row2) {
      AddItem(r.Name2, v.NAME, S.Name2);
      if (S.Name2.empty() || S.Name2 == v.NAME) AddItem(r.SID2, v.sIdV, S.SID2);
    }
  }
  // the depth-scale quantity is selected, added when missing
  if (!S.NameX.empty()) {
    AddItem(r.NameX, S.NameX, S.NameX);
  }
  return r;
}

TModView ModelViewScales(const TPhysParamList& L, const std::string& Name,
                         const std::string& NameX) {
  TModView v;
  if (const TPhysParamRec* p = L.GetByKey(Name); p && p->SCALE[1]) {
    v.YMin = p->SCALE[1]->MIN;
    v.YMax = p->SCALE[1]->MAX;
  }
  if (const TPhysParamRec* p = L.GetByKey(NameX.empty() ? std::string("X") : NameX);
      p && p->SCALE[1] && !NameX.empty()) {
    v.XL = p->SCALE[1]->MIN;
    v.XR = p->SCALE[1]->MAX;
  }
  return v;
}

void ModelMouseXY(const TModView& V, int32_t x, int32_t y, int32_t W, int32_t H, double& X,
                  double& Y) {
  const double fx = W > 1 ? static_cast<double>(x) / (W - 1) : 0;
  const double fy = H > 1 ? 1 - static_cast<double>(y) / (H - 1) : 0;
  X = V.XL + (V.XR - V.XL) * (fx - V.X0) / (V.X1 - V.X0);
  Y = V.YMin + (V.YMax - V.YMin) * (fy - V.Y0) / (V.Y1 - V.Y0);
}

std::vector<std::string> ModelDrawDescr(const TPhysParamList& L, const std::vector<TModDrawRow>& Rows,
                                        const std::string& XL, const std::string& XR,
                                        const std::string& NameX, std::string& Msg) {
  Msg.clear();
  std::vector<std::string> d = {"#MG_HEAD 1 300  0  7", "#MG_WVX " + XL + " " + XR,
                                "#MG_GRIX 0.1 5", "#MG_VW 1 1 100 100 2 2"};
  for (size_t i = 0; i < Rows.size(); ++i) {
    const TModDrawRow& r = Rows[i];
    if (TrimCtl(r.Model).empty() || TrimCtl(r.FMOD).empty()) continue;
    const std::string name = TrimCtl(r.Name);
    const std::string scale = L.GetScaleStr(name, 1);
    if (scale.empty()) {
      Msg = "Не задана шкала вывода графика "_cp + IntStr(static_cast<int32_t>(i) + 1) +
            " для вектора <"_cp + name + "> (модель "_cp + TrimCtl(r.Model) + ")";
      return {};
    }
    const std::string sid = TrimCtl(r.SID);
    // the mark step follows the grid step after a blank
    d.push_back("#MG #MOD " + TrimCtl(r.Model) + " " + TrimCtl(r.FMOD) + " #NAM " + name +
                " #NAMX " + TrimCtl(NameX) + " #SID " + (sid.empty() ? "#" : sid) + " #WVY " +
                scale + " 1 #GRA " + (r.Mark.empty() ? std::string(".") : r.Mark.substr(0, 1)) +
                " " + IntStr(r.Color) + " " + (i == 0 ? "0.8" : "0.4") + " #VW 1");
  }
  return d;
}

std::string ReplaceModWord(const std::string& Value, const std::string& Name) {
  const std::string w = WordCount(Value) >= 2 ? WordN(Value, 2) : WordN(Value, 1);
  if (w.empty()) return Value;
  std::string r;
  size_t p = 0;
  for (size_t q; (q = Value.find(w, p)) != std::string::npos; p = q + w.size())
    r += Value.substr(p, q - p) + Name;
  return r + Value.substr(p);
}
