#include "linedata/cvDM.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "linedata/cvSqlText.h"
#include "linedata/cvUpkeep.h"
#include "platform/FileErr.h"

TDM* DM = nullptr;

namespace {

const std::string kCRLF = "\r\n";

bool BeginsWithID(const std::string& Name) { return UpCaseStrCyr(Name).rfind("ID", 0) == 0; }

bool IsIntegerType(TFieldType T) {
  return T == TFieldType::ftInteger || T == TFieldType::ftAutoInc;
}

bool ParseKey(const std::string& S, int64_t& V) {
  const std::string t = TrimCtl(S);
  if (t.empty()) return false;
  auto r = std::from_chars(t.data(), t.data() + t.size(), V);
  return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

// A file of folder Dir named Name, found without regard to case; Dir/Name when there is none.
std::string FileInDir(const std::string& Dir, const std::string& Name) {
  return FindNoCase(DirSlash(Dir), Name);
}

// Lines of a text file with their line ends cut (CR LF, CR or LF); false when it cannot be read.
bool ReadLines(const std::string& FileName, std::vector<std::string>& Lines) {
  TStringList sl;
  if (!platform::IsRegularFile(FileName)) return false;
  sl.LoadFromFile(FileName);
  Lines = sl.Lines();
  return true;
}

// The column of each table field in the header (-1 = none), at most MaxFldRec fields.
int32_t MatchFields(TcvTable& T, const TStringList& Header, std::array<TFldRec, MaxFldRec>& F,
                    int32_t& NF) {
  NF = std::min<int32_t>(T.FieldCount(), MaxFldRec);
  int32_t matched = 0;
  for (int32_t i = 0; i < NF; ++i) {
    F[static_cast<size_t>(i)] = TFldRec{};
    F[static_cast<size_t>(i)].Name = T.Fields(i).FieldName();
    F[static_cast<size_t>(i)].Index = i;
    F[static_cast<size_t>(i)].Include = 1;
    F[static_cast<size_t>(i)].Width = -1;
    const std::string u = UpCaseStrCyr(T.Fields(i).FieldName());
    for (int c = 0; c < Header.Count(); ++c)
      if (UpCaseStrCyr(TrimCtl(TxtTabUnescape(TrimCtl(Header[c])))) == u) {
        F[static_cast<size_t>(i)].Width = c;
        ++matched;
        break;
      }
  }
  return matched;
}

std::string Cell(const TStringList& Cells, int32_t Col) {
  if (Col < 0 || Col >= Cells.Count()) return std::string();
  return TxtTabUnescape(TrimCtl(Cells[Col]));
}

void SetFromCell(TcvField& F, const std::string& Text) { F.SetAsString(Text); }

// Summary of the malformed lines of a file: one warning at the end with the first ones.
class TBadLines {
 public:
  TBadLines(std::string Routine, std::string File)
      : routine_(std::move(Routine)), file_(std::move(File)) {}
  void Add(int32_t LineNo, const std::string& What) {
    ++count_;
    if (lines_.size() < 20) lines_.push_back("  " + "строка "_cp + IntStr(LineNo) + ": " + What);
  }
  int32_t Count() const { return count_; }
  void Report() const {
    if (count_ == 0) return;
    std::string t =
        routine_ + ": в файле "_cp + file_ + " пропущено строк с ошибками: "_cp + IntStr(count_);
    for (const std::string& l : lines_) t += kCRLF + l;
    if (count_ > static_cast<int32_t>(lines_.size())) t += kCRLF + "  ...";
    WARNAbs(t);
  }

 private:
  std::string routine_, file_;
  std::vector<std::string> lines_;
  int32_t count_ = 0;
};

}  // namespace

// ------------------------------------------------------------------------------------------
// Schema

const std::vector<TTableDef>& LineDBSchema() {
  static const std::vector<TTableDef> schema = {
      {"SOURCES",
       "IdSource INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"SrcCode", "TEXT"},
        {"MagCode", "TEXT"},
        {"Volume", "TEXT"},
        {"Page", "TEXT"},
        {"Year_", "INTEGER"},
        {"Title", "TEXT"},
        {"Note", "TEXT"}},
       {"SrcCode"}},
      {"Authors",
       "IdAuthor INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"Name", "TEXT"}, {"Initials", "TEXT"}, {"Note", "TEXT"}},
       {"Name"}},
      {"Mags", "MagCode TEXT PRIMARY KEY", {{"MagName", "TEXT"}, {"Note", "TEXT"}}, {}},
      {"SrcAuth",
       "IdSrcAuth INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"IdSource", "INTEGER"}, {"IdAuthor", "INTEGER"}, {"NPos", "INTEGER"}},
       {"IdSource"}},
      {"Atoms",
       "",
       {{"Name", "TEXT"},
        {"NElt", "INTEGER"},
        {"PAT", "REAL"},
        {"EIon", "REAL"},
        {"EIon1", "REAL"},
        {"EIon2", "REAL"},
        {"EIon3", "REAL"},
        {"ABUND", "REAL"}},
       {"Name"}},
      {"Orbits",
       "idOrbit INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"iAtNi", "INTEGER"},
        {"k_inp", "INTEGER"},
        {"qL", "INTEGER"},
        {"qS2", "INTEGER"},
        {"sKur", "TEXT"},
        {"sK_Link", "TEXT"},
        {"sK_Conf", "TEXT"},
        {"sK_Term", "TEXT"}},
       {"iAtNi,sKur"}},
      {"Levels",
       "IdLevel INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"idOrbit", "INTEGER"},
        {"qJ2", "INTEGER"},
        {"qS2", "INTEGER"},
        {"qL", "INTEGER"},
        {"iAtNi", "INTEGER"},
        {"k_inp", "INTEGER"},
        {"g_num", "INTEGER"},
        {"g_denom", "INTEGER"},
        {"nKur", "INTEGER"},
        {"E_cm", "REAL"},
        {"g_Kur", "REAL"},
        {"g_", "REAL"},
        {"sKur", "TEXT"}},
       {"idOrbit,qJ2"}},
      {"Multi",
       "",
       {{"Atom", "TEXT"}, {"NIon", "INTEGER"}, {"Mult", "TEXT"}, {"LOW", "TEXT"}, {"HIGH", "TEXT"}},
       {"Atom,NIon,Mult"}},
      {"Lines_",
       "IdLine INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"LIN6", "TEXT"},     {"Atom", "TEXT"},   {"LAMB", "REAL"},   {"NIon", "INTEGER"},
        {"Mult", "TEXT"},     {"ELOW", "REAL"},   {"EUP", "REAL"},    {"LGGF", "REAL"},
        {"LGGFSrc", "TEXT"},  {"JL2", "INTEGER"}, {"JU2", "INTEGER"}, {"GL", "REAL"},
        {"GU", "REAL"},       {"GLT", "TEXT"},    {"GUT", "TEXT"},    {"Wcd", "REAL"},
        {"Dcd", "REAL"},      {"WHM", "REAL"},    {"DHM", "REAL"},    {"WCV", "REAL"},
        {"DCV", "REAL"},      {"Rad", "REAL"},    {"Stark", "REAL"},  {"Waals", "REAL"},
        {"NComp", "INTEGER"}, {"NPi", "INTEGER"}, {"GEff", "REAL"},   {"ZnRung", "TEXT"}},
       {"LIN6", "LAMB"}},
      {"Tabs",
       "IdTab INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"TabName", "TEXT"}, {"Description", "TEXT"}},
       {}},
      {"Mod_",
       "",
       {{"FileName", "TEXT"},
        {"LAMB0", "TEXT"},
        {"ModKind", "TEXT"},
        {"ModRef", "TEXT"},
        {"Description", "TEXT"},
        {"NCol", "INTEGER"},
        {"NLay", "INTEGER"},
        {"YEAR_", "DATETIME"},
        {"ModName", "TEXT"}},
       {}},
      {"Projects",
       "",
       {{"ProjName", "TEXT"}, {"Description", "TEXT"}, {"Path", "TEXT"}, {"IdUser", "INTEGER"}},
       {"ProjName"}},
      {"Quests",
       "",
       {{"ProjName", "TEXT"},
        {"QuestName", "TEXT"},
        {"Description", "TEXT"},
        {"IdUser", "INTEGER"},
        {"DateBeg", "DATETIME"},
        {"DateLast", "DATETIME"}},
       {"ProjName,QuestName"}},
      {"Users",
       "IdUser INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"UserName", "TEXT"}, {"FullName", "TEXT"}},
       {}},
      {"LGGF",
       "IdLGGF INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"LIN6", "TEXT"}, {"Src", "TEXT"}, {"Val", "REAL"}, {"Priority", "INTEGER"}},
       {"LIN6"}},
      {"LineObsVorn",
       "IdLOK INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"IdLine", "INTEGER"},
        {"IdLGGF", "INTEGER"},
        {"D_OB", "REAL"},
        {"W_OB", "REAL"},
        {"GFD", "REAL"},
        {"GFW", "REAL"},
        {"HD", "REAL"},
        {"HW", "REAL"}},
       {"IdLine"}},
      {"KurLines",
       "Id TEXT PRIMARY KEY",
       {{"LAMB", "REAL"},         {"ELO", "REAL"},         {"EHI", "REAL"},
        {"ELEM", "INTEGER"},      {"JLO2", "INTEGER"},     {"JHI2", "INTEGER"},
        {"LabelLO", "TEXT"},      {"LabelHI", "TEXT"},     {"lgGF", "REAL"},
        {"Rad", "REAL"},          {"Stark", "REAL"},       {"Waals", "REAL"},
        {"Ref", "TEXT"},          {"NonLTElo", "INTEGER"}, {"NonLTEhi", "INTEGER"},
        {"Isotope", "INTEGER"},   {"Isotope2", "INTEGER"}, {"frac", "REAL"},
        {"fracabund", "REAL"},    {"shiftLO", "INTEGER"},  {"shiftHI", "INTEGER"},
        {"shiftMA", "INTEGER"},   {"hfLO", "TEXT"},        {"hfHI", "TEXT"},
        {"hfNoteLO", "TEXT"},     {"hfNoteHI", "TEXT"},    {"linestrength", "TEXT"},
        {"autoionising", "TEXT"}, {"g_LO", "INTEGER"},     {"g_HI", "INTEGER"},
        {"wHM", "REAL"},          {"dHM", "REAL"},         {"wCV", "REAL"},
        {"dCV", "REAL"},          {"nAir", "REAL"},        {"nHFS", "INTEGER"},
        {"sHFS", "TEXT"}},
       // ELEM,ELO,lgGF: the hyperfine groups of the clean-up, one indexed lookup each
       {"LAMB", "ELEM", "ELEM,ELO,lgGF"}},
      {"KurLevels",
       "IdKurLevel INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"ELEM", "INTEGER"},
        {"E_cm", "REAL"},
        {"J2", "INTEGER"},
        {"Label", "TEXT"},
        {"g_", "INTEGER"},
        {"Ref", "TEXT"}},
       {"ELEM"}},
      {"NISTLevels",
       "IdNISTLevel INTEGER PRIMARY KEY AUTOINCREMENT",
       {{"ELEM", "INTEGER"},
        {"Config", "TEXT"},
        {"Term", "TEXT"},
        {"J2", "INTEGER"},
        {"E_cm", "REAL"},
        {"gL", "REAL"},
        {"Ref", "TEXT"}},
       {"ELEM"}},
      // Tables of models, vectors, frames, line sets and pictures that the backup restore knows:
      // a record number each until the code that fills them gives them fields (an existing file
      // gains those fields on open, as it gains these tables).
      {"ModPar", "IdModPar INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"VEMO", "IdVEMO INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"FrameItem", "IdFrameItem INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"FrameSet", "IdFrameSet INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"LineItem", "IdLineItem INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"LineSet", "IdLineSet INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"ACSet", "IdACSet INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"ACItem", "IdACItem INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"Graf", "IdGraf INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
      {"GRAD", "IdGRAD INTEGER PRIMARY KEY AUTOINCREMENT", {}, {}},
  };
  return schema;
}

void EnsureSchema(TcvDatabase& Db) {
  TcvDatabase::TBatch batch(&Db);
  for (const TTableDef& t : LineDBSchema()) {
    const std::string name = sqltext::QuoteIdent(t.Name);
    if (Db.FindTable(t.Name).empty()) {
      std::string sql = "CREATE TABLE " + name + " (";
      bool first = true;
      if (*t.KeyDef) {
        std::string kd = t.KeyDef;
        const size_t b = kd.find(' ');
        sql += sqltext::QuoteIdent(kd.substr(0, b)) + kd.substr(b);
        first = false;
      }
      for (const TColumnDef& c : t.Columns) {
        sql += (first ? "" : ", ") + sqltext::QuoteIdent(c.Name) + " " + c.Type;
        first = false;
      }
      Db.Exec(sql + ")");
    } else {
      const std::vector<TFieldDef> have = Db.FieldDefs(t.Name);
      for (const TColumnDef& c : t.Columns)
        if (sqltext::FindColumn(have, c.Name) < 0)
          Db.Exec("ALTER TABLE " + name + " ADD COLUMN " + sqltext::QuoteIdent(c.Name) + " " +
                  c.Type);
    }
    for (const std::string& ix : t.Indexes) {
      std::string cols, tag;
      size_t a = 0;
      for (;;) {
        const size_t b = ix.find(',', a);
        const std::string c = ix.substr(a, b == std::string::npos ? std::string::npos : b - a);
        cols += (cols.empty() ? "" : ", ") + sqltext::QuoteIdent(c);
        tag += "_" + c;
        if (b == std::string::npos) break;
        a = b + 1;
      }
      Db.Exec("CREATE INDEX IF NOT EXISTS " +
              sqltext::QuoteIdent(std::string("ix_") + t.Name + tag) + " ON " + name + " (" + cols +
              ")");
    }
  }
}

// ------------------------------------------------------------------------------------------
// TDM

namespace {
// A new database starts with the demo rows of the installation: the text tables of "GEDA/demo/"
// below the root ("Lines_.txt", "LGGF.txt"...), each loaded into the table of its name.
void LoadDemoTables(TcvDatabase& Db) {
  const std::string root = LineData().Root();
  if (root.empty()) return;
  const std::string dir = root + "GEDA/demo/";
  if (!platform::IsDirectory(dir)) return;
  for (const std::string& name : Db.TableNames()) {
    const std::string file = dir + name + ".txt";
    if (!platform::IsRegularFile(file)) continue;
    TcvTable t(&Db, name);
    TableFromTxt(t, file, false);
    t.Close();
  }
}
}  // namespace

TDM::TDM() = default;
TDM::~TDM() { Disconnect(); }

std::string TDM::DefaultFileName() { return LineData().DirOf("GEDA", "GEDA") + DBFileName; }

bool TDM::Connect(const std::string& FileName) {
  Disconnect();
  created_ = false;
  std::string err;
  if (!platform::PathExists(FileName)) {
    // A new database is filled under a name of its own and then linked in place in one step:
    // programs starting together see no file or a complete one, and one of them makes it.
    ForceFileDir(FileName);
    const std::string fresh = FileName + ".new" + std::to_string(::getpid());
    const std::string sysFresh = platform::SysPath(fresh);
    ::unlink(sysFresh.c_str());
    if (!ADOConnection.Create(fresh, err)) {
      WARNAbs(err);
      return false;
    }
    try {
      EnsureSchema(ADOConnection);
      // a new database starts with the element table when it is loaded
      if (MEND && MEND->Loaded()) MendToAtoms();
      LoadDemoTables(ADOConnection);
    } catch (const std::exception& e) {
      WARNAbs(e.what());
      Disconnect();
      ::unlink(sysFresh.c_str());
      return false;
    }
    Disconnect();
    const std::string sysFile = platform::SysPath(FileName);
    bool linked = ::link(sysFresh.c_str(), sysFile.c_str()) == 0;
    int linkErr = errno;
    // a file system without hard links: renamed instead
    if (!linked && linkErr != EEXIST && !platform::PathExists(FileName)) {
      linked = ::rename(sysFresh.c_str(), sysFile.c_str()) == 0;
      linkErr = errno;
    }
    ::unlink(sysFresh.c_str());
    if (!linked && linkErr != EEXIST) {
      WARNAbs("Не удалось создать базу данных <"_cp + FileName + ">: " + std::strerror(linkErr));
      return false;
    }
    created_ = linked;
  }
  if (!ADOConnection.Open(FileName, err)) {
    WARNAbs(err);
    return false;
  }
  try {
    EnsureSchema(ADOConnection);
    if (created_) WARN("Создана новая база данных <"_cp + FileName + ">");
  } catch (const std::exception& e) {
    WARNAbs(e.what());
    Disconnect();
    return false;
  }
  return true;
}

bool TDM::ConnectShared(const std::string& FileName) {
  Disconnect();
  created_ = false;
  std::string err;
  if (!ADOConnection.Open(FileName, err)) {
    WARNAbs(err);
    return false;
  }
  return true;
}

void TDM::Disconnect() { ADOConnection.Close(); }

std::vector<TDM::TNamedDataSet> TDM::DataSets() {
  return {{"ADOSources", &ADOSources},
          {"ADOAuthors", &ADOAuthors},
          {"ADOMags", &ADOMags},
          {"ADOSrcAuth", &ADOSrcAuth},
          {"ADOAtoms", &ADOAtoms},
          {"ADOOrbits", &ADOOrbits},
          {"ADOLevels", &ADOLevels},
          {"ADOMulti", &ADOMulti},
          {"ADOLines_", &ADOLines_},
          {"ADOQuery", &ADOQuery},
          {"ADOTabs", &ADOTabs},
          {"ADOMod_", &ADOMod_},
          {"ADOProjects", &ADOProjects},
          {"ADOQuests", &ADOQuests},
          {"ADOUsers", &ADOUsers},
          {"ADOLGGF", &ADOLGGF},
          {"ADOLineObsVorn", &ADOLineObsVorn},
          {"ADOKurLines", &ADOKurLines},
          {"ADOKurLevels", &ADOKurLevels},
          {"ADONISTLevels", &ADONISTLevels}};
}

void CreateDM() {
  delete DM;
  DM = new TDM();
}

void FreeDM() {
  delete DM;
  DM = nullptr;
}

bool DMReady() {
  if (!DM) {
    WARNAbs("Модуль данных DM не создан!"_cp);
    return false;
  }
  if (DM->Connected()) return true;
  return DM->Connect();
}

// ------------------------------------------------------------------------------------------
// Cells

namespace {
bool NeedsEscape(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '\\' || c == '|' || c == '!';
}
const char kHex[] = "0123456789ABCDEF";
int HexVal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string TxtTabEscape(const std::string& Value) {
  size_t lead = 0, tail = Value.size();
  while (lead < Value.size() && Value[lead] == ' ') ++lead;
  while (tail > lead && Value[tail - 1] == ' ') --tail;
  std::string r;
  r.reserve(Value.size() + 8);
  for (size_t i = 0; i < Value.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(Value[i]);
    if (NeedsEscape(c) || (c == ' ' && (i < lead || i >= tail))) {
      r += '\\';
      r += kHex[c >> 4];
      r += kHex[c & 15];
    } else {
      r += static_cast<char>(c);
    }
  }
  return r;
}

std::string TxtTabUnescape(const std::string& Cell) {
  std::string r;
  r.reserve(Cell.size());
  for (size_t i = 0; i < Cell.size(); ++i) {
    if (Cell[i] == '\\' && i + 2 < Cell.size()) {
      const int h = HexVal(Cell[i + 1]);
      const int l = HexVal(Cell[i + 2]);
      if (h >= 0 && l >= 0) {
        const unsigned char c = static_cast<unsigned char>(h * 16 + l);
        if (NeedsEscape(c) || c == ' ') {
          r += static_cast<char>(c);
          i += 2;
          continue;
        }
      }
    }
    r += Cell[i];
  }
  return r;
}

void SplitCells(const std::string& Line, char Separator, TStringList& List) {
  List.Clear();
  size_t a = 0;
  for (;;) {
    const size_t b = Line.find(Separator, a);
    List.Add(Line.substr(a, b == std::string::npos ? std::string::npos : b - a));
    if (b == std::string::npos) break;
    a = b + 1;
  }
}

bool ReadSplitLine(TTextFile& File, char Separator, TStringList& List, int32_t& LineNo) {
  while (!File.Eof()) {
    std::string s = File.ReadLn();
    ++LineNo;
    const size_t p = s.find('!');
    if (p != std::string::npos) s.erase(p);
    if (TrimCtl(s).empty()) continue;
    SplitCells(s, Separator, List);
    return true;
  }
  return false;
}

bool ReadSplitLine(TTextFile& File, char Separator, TStringList& List) {
  int32_t n = 0;
  return ReadSplitLine(File, Separator, List, n);
}

// ------------------------------------------------------------------------------------------
// TADOExport

TADOExport::TADOExport(TcvTable* ATable, char ASeparator) : Table(ATable), Separator(ASeparator) {}

void TADOExport::InitFields() {
  NFlds = std::min<int32_t>(Table->FieldCount(), MaxFldRec);
  for (int32_t i = 0; i < NFlds; ++i) {
    TFldRec& f = Flds[static_cast<size_t>(i)];
    f.Name = Table->Fields(i).FieldName();
    f.Width = static_cast<int32_t>(f.Name.size());
    f.Include = 1;
    f.Index = i;
    f.RightAlign = 0;
  }
}

void TADOExport::WidenCurrent() {
  if (Table->IsEmpty()) return;
  for (int32_t i = 0; i < NFlds; ++i) {
    TFldRec& f = Flds[static_cast<size_t>(i)];
    if (f.Include != 1) continue;
    const int32_t w = static_cast<int32_t>(TxtTabEscape(Table->Fields(f.Index).AsString()).size());
    if (w > f.Width) f.Width = w;
  }
}

void TADOExport::MeasureWidths() {
  WidenCurrent();
  for (Table->First(); !Table->Eof(); Table->Next()) WidenCurrent();
}

int32_t TADOExport::CalcLineWidth() {
  LineWidth = 0;
  for (int32_t i = 0; i < NFlds; ++i)
    if (Flds[static_cast<size_t>(i)].Include == 1)
      LineWidth += Flds[static_cast<size_t>(i)].Width + 1;
  if (LineWidth > 0) --LineWidth;
  return LineWidth;
}

void TADOExport::HeaderLine(std::string& S) {
  S.clear();
  bool first = true;
  for (int32_t i = 0; i < NFlds; ++i) {
    const TFldRec& f = Flds[static_cast<size_t>(i)];
    if (f.Include != 1) continue;
    if (!first) S += Separator;
    first = false;
    S += f.RightAlign == 1 ? PadLeft(f.Name, f.Width) : PadRight(f.Name, f.Width);
  }
}

void TADOExport::RecordLine(std::string& S) {
  S.clear();
  bool first = true;
  for (int32_t i = 0; i < NFlds; ++i) {
    const TFldRec& f = Flds[static_cast<size_t>(i)];
    if (f.Include != 1) continue;
    if (!first) S += Separator;
    first = false;
    const std::string v = TxtTabEscape(Table->Fields(f.Index).AsString());
    S += f.RightAlign == 1 ? PadLeft(v, f.Width) : PadRight(v, f.Width);
  }
}

std::unique_ptr<TStringList> TADOExport::GetLines() {
  auto sl = std::make_unique<TStringList>();
  std::string s;
  HeaderLine(s);
  sl->Add(s);
  for (Table->First(); !Table->Eof(); Table->Next()) {
    RecordLine(s);
    sl->Add(s);
  }
  return sl;
}

// ------------------------------------------------------------------------------------------
// Backup

bool TableToTxt(const std::string& Dir, const std::string& TableName, const std::string& Filter) {
  if (!DMReady()) return false;
  const std::string file = PathJoin(DirSlash(Dir), TableName + ".txt");
  try {
    TcvTable t(&DM->ADOConnection, TableName);
    t.Open();
    if (t.FieldCount() > 0 && BeginsWithID(t.Fields(0).FieldName()))
      t.SetSort(t.Fields(0).FieldName() + " ASC");
    TADOExport ex(&t, '|');
    if (!TrimCtl(Filter).empty()) {
      t.SetFilter(Filter);
      t.SetFiltered(true);
    } else {
      t.SetFiltered(false);
    }
    ex.InitFields();
    ex.MeasureWidths();
    ex.CalcLineWidth();
    std::unique_ptr<TStringList> lines = ex.GetLines();
    lines->SaveToFile(file);
    t.Close();
  } catch (const EDatabaseError& e) {
    WARNAbs("TableToTxt(" + file + "): " + e.what());
    return false;
  }
  return true;
}

bool BackupIncomplete(const std::string& Dir) {
  return platform::IsRegularFile(PathJoin(Dir, AutoSaveIncomplete));
}

namespace {

// One table into File through a text file written line by line: widths over every record, then
// the header and the records. False when the job was cancelled.
bool WriteTableFile(TJob& Job, TcvDatabase& Db, const std::string& File, const std::string& Name,
                    int64_t No, int64_t Count) {
  TcvTable t(&Db, Name);
  t.Open();
  if (t.FieldCount() > 0 && BeginsWithID(t.Fields(0).FieldName()))
    t.SetSort(t.Fields(0).FieldName() + " ASC");
  t.SetFiltered(false);
  TADOExport ex(&t, '|');
  ex.InitFields();
  const int64_t n = t.RecordCount();
  auto step = [&](int64_t i, const char* What) {
    return i % 10000 != 0 || Job.Step(No, Count, Name + What + I64Str(i) + "/" + I64Str(n));
  };
  int64_t i = 0;
  ex.WidenCurrent();
  for (t.First(); !t.Eof(); t.Next()) {
    ex.WidenCurrent();
    if (!step(++i, " ")) return false;
  }
  ex.CalcLineWidth();
  TTextFile F;
  TxtOpen(F, 1, File);
  std::string line;
  ex.HeaderLine(line);
  F.WriteLn(line);
  i = 0;
  for (t.First(); !t.Eof(); t.Next()) {
    ex.RecordLine(line);
    F.WriteLn(line);
    if (!step(++i, " > ")) {
      F.Close();
      return false;
    }
  }
  F.Close();  // a write error raises
  t.Close();
  return true;
}

}  // namespace

bool DBBackup(TJob& Job, TDM& D, const std::string& DirIn) {
  std::string dir = DirIn;
  while (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  if (!D.Connected()) {
    WARNAbs("DBAutoSave: база данных не подключена!"_cp);
    return false;
  }
  if (!platform::IsDirectory(dir)) ForceFileDir(PathJoin(dir, "x"));
  if (!platform::IsDirectory(dir)) {
    WARN("Не удалось создать папку ["_cp + dir + "] для автосохранения"_cp);
    return false;
  }
  // the folder is marked unfinished before the first table file and until the last is closed
  const std::string marker = PathJoin(dir, AutoSaveIncomplete);
  std::vector<std::string> written{marker};
  auto removeWritten = [&] {
    std::error_code ec;
    for (const std::string& f : written) std::filesystem::remove(platform::SysPath(f), ec);
    std::filesystem::remove(platform::SysPath(dir), ec);  // only when nothing else is in it
  };
  bool ok = true;
  try {
    {
      TTextFile M;
      TxtOpen(M, 1, marker);
      M.WriteLn("Сохранение базы данных ещё не завершено: эта папка не для восстановления"_cp);
      M.Close();
    }
    const std::vector<std::string> names = D.ADOConnection.TableNames();
    const int64_t count = static_cast<int64_t>(names.size());
    for (int64_t k = 0; k < count && ok; ++k) {
      const std::string& name = names[static_cast<size_t>(k)];
      if (!Job.Step(k, count, "AutoSave " + name)) {
        ok = false;
        break;
      }
      const std::string file = PathJoin(dir, name + ".txt");
      written.push_back(file);
      try {
        ok = WriteTableFile(Job, D.ADOConnection, file, name, k, count);
      } catch (const EDatabaseError& e) {
        // a table that cannot be read is named; the others are still saved
        WARNAbs("TableToTxt(" + file + "): " + e.what());
      }
    }
  } catch (...) {
    removeWritten();
    throw;
  }
  if (!ok) {
    removeWritten();
    WARN("Сохранение базы данных в папку "_cp + dir + " прервано, папка удалена"_cp);
    return false;
  }
  std::error_code ec;
  if (!std::filesystem::remove(platform::SysPath(marker), ec)) {
    WARNAbs("Не удалось завершить сохранение в папку "_cp + dir + ": " + ec.message());
    return false;
  }
  Job.Step(static_cast<int64_t>(written.size()) - 1, static_cast<int64_t>(written.size()) - 1,
           "AutoSave OK");
  WARN("Данные сохранены в каталоге <"_cp + dir + ">");
  return true;
}

void DBAutoSave() {
  if (!LineData().NewSaveDir.Provided()) {
    WARNAbs("DBAutoSave: App не создан!"_cp);
    return;
  }
  if (!DMReady()) return;
  // run in place: warnings go to the sink as they come, progress to the panel
  TJob job("DBAutoSave");
  job.OnProgress = [](const TJobProgress& P) { ldlinks::Progress(P.Text); };
  DBBackup(job, *DM, LineData().NewSaveDir());
}

namespace {

// One table of DBAutoLoad. False when the whole load has to end (a key that cannot be made, or
// the job cancelled).
bool RestoreOne(TJob& Job, TcvTable& T, const std::string& TableName, const std::string& File,
                int32_t FileNo, int32_t FileCount, bool& Loaded) {
  Loaded = false;
  std::vector<std::string> lines;
  if (!ReadLines(File, lines)) return true;
  // a file that holds only its header is skipped
  size_t first = 0;
  while (first < lines.size() && TrimCtl(lines[first]).empty()) ++first;
  bool anyData = false;
  for (size_t i = first + 1; i < lines.size(); ++i)
    if (!TrimCtl(lines[i]).empty()) anyData = true;
  if (first >= lines.size() || !anyData) return true;

  if (!Job.Step(FileNo, FileCount, "    " + TableName + " ")) return false;
  TStringList header;
  SplitCells(lines[first], '|', header);
  T.Close();
  T.SetTableName(TableName);
  T.Close();
  T.Open();
  std::array<TFldRec, MaxFldRec> F;
  int32_t NF = 0;
  MatchFields(T, header, F, NF);
  // columns of the file that no field of the table takes would be lost without a word
  for (int c = 0; c < header.Count(); ++c) {
    bool taken = false;
    for (int32_t i = 0; i < NF; ++i)
      if (F[static_cast<size_t>(i)].Width == c) taken = true;
    if (!taken)
      WARN("В файле "_cp + File + " столбец <"_cp + TrimCtl(header[c]) +
           "> не найден в таблице "_cp + TableName + ", его значения не загружены"_cp);
  }
  // the key: the first field when its name begins with "ID" or it is the table's primary key
  const bool hasKey = NF > 0 && (BeginsWithID(F[0].Name) || T.FieldDef(0).PrimaryKey);
  const bool intKey = hasKey && IsIntegerType(T.FieldDef(0).DataType);
  if (hasKey) T.SetSort(F[0].Name + " ASC");
  const bool keyColumn = hasKey && F[0].Width >= 0;

  TcvDatabase::TBatch batch(T.Connection());
  TStringList cells;
  bool ok = true;
  for (size_t li = first + 1; li < lines.size(); ++li) {
    const int32_t n = static_cast<int32_t>(li) + 1;
    if (n % 100 == 0 && !Job.Step(FileNo, FileCount, TableName + " " + IntStr(n))) {
      ok = false;
      break;
    }
    const std::string& line = lines[li];
    if (TrimCtl(line).empty()) continue;
    SplitCells(line, '|', cells);
    if (cells.Count() != header.Count()) {
      WARN("Ошибка при импотрте в файле "_cp + File + " в строке "_cp + IntStr(n) + kCRLF + line);
      continue;
    }
    auto setOthers = [&](bool TrueFalse) {
      for (int32_t i = keyColumn ? 1 : 0; i < NF; ++i) {
        const TFldRec& f = F[static_cast<size_t>(i)];
        TcvField& fld = T.Fields(f.Index);
        if (f.Width >= 0) {
          std::string v = Cell(cells, f.Width);
          if (TrueFalse) {
            if (UpCaseStrCyr(v) == "TRUE") v = "1";
            if (UpCaseStrCyr(v) == "FALSE") v = "0";
          }
          SetFromCell(fld, v);
        } else if (fld.IsNumeric() && fld.DataType() != TFieldType::ftAutoInc) {
          fld.SetAsString("0");
        }
      }
    };
    try {
      if (!keyColumn) {
        T.Append();
        setOthers(false);
        T.Post();
        Loaded = true;
        continue;
      }
      const std::string keyText = Cell(cells, F[0].Width);
      if (!intKey) {
        if (T.Locate(F[0].Name, TextValue(keyText))) continue;
        T.Append();
        T.Fields(0).SetAsString(keyText);
        setOthers(true);
        T.Post();
        Loaded = true;
        continue;
      }
      int64_t key = 0;
      if (!ParseKey(keyText, key)) {
        // a line with a broken key is reported and passed over; the other lines still load
        WARN("ошибка при преобразовании ID <"_cp + keyText + "> в число "_cp + "в строке "_cp +
             IntStr(n) + " файла "_cp + File);
        continue;
      }
      int64_t lastNew = INT64_MIN;
      for (;;) {
        if (T.Locate(F[0].Name, IntValue(key))) break;
        T.Append();
        T.Fields(0).SetAsInteger(key);
        setOthers(true);
        T.Post();
        Loaded = true;
        const int64_t got = T.Fields(0).AsInteger();
        if (got == key) break;
        if (got > key || got <= lastNew) {
          WARN("Не удалось найти / создать элемент c ID "_cp + I64Str(key) +
               " проверьте таблицу "_cp + TableName + " \"" + "вручную"_cp + "\"");
          ok = false;
          break;
        }
        lastNew = got;
        T.Delete();
      }
    } catch (const EDatabaseError& e) {
      // a value the table cannot take: the line is reported, the other lines still load
      T.Cancel();
      WARN("Ошибка при импотрте в файле "_cp + File + " в строке "_cp + IntStr(n) + kCRLF + line +
           kCRLF + e.what());
    }
    if (!ok) break;
  }
  T.Close();
  T.Open();
  return ok;
}

}  // namespace

namespace {

// The header of a text table and whether a record line follows it (the file read only that far).
bool PeekTextTable(const std::string& File, std::vector<std::string>& Header) {
  std::ifstream in(platform::SysPath(File), std::ios::binary);
  std::string line;
  bool header = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!header && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (TrimCtl(line).empty()) continue;
    if (header) return true;
    header = true;
    TStringList cells;
    SplitCells(line, '|', cells);
    for (int c = 0; c < cells.Count(); ++c) Header.push_back(UpCaseStrCyr(TrimCtl(cells[c])));
  }
  return false;
}

// Tables that the folder's files fill and that hold records already, with their counts; a table
// whose file has no key column gets its lines appended. The question, or "" when every table
// is empty; Appends tells whether some records would be doubled.
std::string RestoreQuestion(TDM& D, const std::string& Dir,
                            const std::vector<std::pair<std::string, std::string>>& Files,
                            bool& Appends) {
  Appends = false;
  std::string list;
  for (const auto& [name, file] : Files) {
    const std::string table = D.ADOConnection.FindTable(name);
    if (table.empty()) continue;
    std::vector<std::string> header;
    if (!PeekTextTable(file, header)) continue;
    TcvTable t(&D.ADOConnection, table);
    t.Open();
    const int n = t.RecordCount();
    const bool hasKey = t.FieldCount() > 0 &&
                        (BeginsWithID(t.FieldDef(0).Name) || t.FieldDef(0).PrimaryKey);
    const bool keyColumn =
        hasKey && std::find(header.begin(), header.end(), UpCaseStrCyr(t.FieldDef(0).Name)) !=
                      header.end();
    t.Close();
    if (n == 0) continue;
    list += kCRLF + "  " + table + ": " + IntStr(n) +
            (keyColumn ? " (записи с теми же ключами останутся как есть)"_cp
                       : " (без ключа: строки файла будут добавлены к ним ещё раз)"_cp);
    if (!keyColumn) Appends = true;
  }
  if (list.empty()) return list;
  return "В базе данных уже есть записи в таблицах, которые заполнит папка "_cp + Dir + ":" +
         list + kCRLF + "Загрузить папку в эту базу данных?"_cp;
}

}  // namespace

bool DBRestore(TJob& Job, TDM& D, const std::string& Dir) {
  if (!platform::IsDirectory(Dir)) {
    WARN("Папка автосохранения "_cp + Dir + " не найдена!"_cp);
    return false;
  }
  if (BackupIncomplete(Dir)) {
    WARN("Папка автосохранения "_cp + Dir +
         " записана не до конца (сохранение было прервано), она не загружена"_cp);
    return false;
  }
  if (!D.Connected()) {
    WARNAbs("DBAutoLoad: база данных не подключена!"_cp);
    return false;
  }
  static const char* const kOrder[] = {
      "Mod_",   "ModPar", "VEMO",   "Users",       "Projects",  "Quests",   "Atoms",    "Orbits",
      "Levels", "Multi",  "Lines_", "LineObsVorn", "FrameItem", "FrameSet", "LineItem", "LineSet",
      "ACSet",  "ACItem", "Graf",   "GRAD",        "Tabs",      "LGGF",     "KurLines"};
  std::vector<std::string> order(std::begin(kOrder), std::end(kOrder));
  // then every other table of the database (bibliography, levels ...), in the database's order
  for (const std::string& t : D.ADOConnection.TableNames()) {
    bool listed = false;
    for (const std::string& o : order)
      if (UpCaseStrCyr(o) == UpCaseStrCyr(t)) listed = true;
    if (!listed) order.push_back(t);
  }
  std::vector<std::pair<std::string, std::string>> files;  // table name, file
  for (const std::string& name : order) {
    const std::string file = FileInDir(Dir, name + ".txt");
    if (platform::IsRegularFile(file)) files.emplace_back(name, file);
  }
  if (files.empty()) {
    WARN("В папке автосохранения "_cp + Dir + " не найдено ни одного файла таблиц!"_cp);
    return false;
  }
  // tables that hold records already: asked once, with their counts
  bool appends = false;
  const std::string question = RestoreQuestion(D, Dir, files, appends);
  if (!question.empty() && !Job.Ask(question, !appends)) {
    WARN("Восстановление из папки "_cp + Dir + " отменено, база данных оставлена без изменений"_cp);
    return false;
  }
  TcvTable& T = D.RestoreTable;
  // every table in one transaction: a cancelled or failed restore leaves the database as before
  TcvDatabase::TTransaction all(&D.ADOConnection);
  bool ok = true;
  try {
    const int32_t count = static_cast<int32_t>(files.size());
    for (int32_t k = 0; k < count && ok; ++k) {
      const auto& [name, file] = files[static_cast<size_t>(k)];
      const std::string table = D.ADOConnection.FindTable(name);
      if (table.empty()) {
        WARN("Таблицы "_cp + name + " нет в базе данных, файл "_cp + file + " не загружен"_cp);
        continue;
      }
      bool loaded = false;
      ok = RestoreOne(Job, T, table, file, k + 1, count, loaded);
    }
  } catch (...) {
    T.Close();
    all.Rollback();
    throw;
  }
  T.Close();
  if (!ok) {
    all.Rollback();
    WARN("Восстановление из папки "_cp + Dir +
         (Job.Cancelled() ? " прервано"_cp : " не завершено"_cp) +
         ", база данных оставлена без изменений"_cp);
    return false;
  }
  all.Commit();
  Job.Step(static_cast<int64_t>(files.size()), static_cast<int64_t>(files.size()),
           "AutoLoad OK");
  return true;
}

void DBAutoLoad(const std::string& Dir) {
  if (!platform::IsDirectory(Dir)) {
    WARN("Папка автосохранения "_cp + Dir + " не найдена!"_cp);
    return;
  }
  if (!DMReady()) return;
  // run in place: warnings go to the sink as they come, progress to the panel
  TJob job("DBAutoLoad");
  job.OnProgress = [](const TJobProgress& P) { ldlinks::Progress(P.Text); };
  job.OnAsk = [](const std::string& Text, bool) { return AskYesNo(Text); };
  DBRestore(job, *DM, Dir);
}

void DBAutoLoadLast() {
  if (!LineData().LastSaveDir.Provided()) return;
  const std::string dir = LineData().LastSaveDir();
  if (dir.empty()) {
    WARN("Директория автосохранения не найдена!"_cp);
    return;
  }
  DBAutoLoad(dir);
}

int32_t TableFromTxt(TcvTable& Table, const std::string& FileName, bool KeyFirst) {
  const bool wasReadOnly = Table.ReadOnly;
  if (wasReadOnly) {
    Table.Close();
    Table.ReadOnly = false;
  }
  Table.Open();
  int32_t loaded = 0;
  auto finish = [&]() {
    Table.Close();
    Table.ReadOnly = wasReadOnly;
    Table.Open();
  };
  if (!platform::IsRegularFile(FileName)) {
    WARNAbs("TableFromTxt: файл <"_cp + FileName + "> не найден!"_cp);
    finish();
    return 0;
  }
  TTextFile f;
  TxtOpen(f, 0, FileName);
  TStringList header, cells;
  int32_t lineNo = 0;
  if (!ReadSplitLine(f, '|', header, lineNo)) {
    f.Close();
    WARN("В файле "_cp + FileName + " не удалось прочитать строку с именами полей"_cp);
    finish();
    return 0;
  }
  std::array<TFldRec, MaxFldRec> F;
  int32_t NF = 0;
  if (MatchFields(Table, header, F, NF) == 0) {
    f.Close();
    WARN("В файле "_cp + FileName +
         " не найдено полей, имена к-рых совпадают с именами таблицы "_cp + Table.TableName());
    finish();
    return 0;
  }
  const bool hasKey = NF > 0 && (BeginsWithID(F[0].Name) || KeyFirst);
  const bool intKey =
      hasKey && BeginsWithID(F[0].Name) && IsIntegerType(Table.FieldDef(0).DataType);
  if (hasKey) Table.SetSort(F[0].Name + " ASC");
  const bool keyColumn = hasKey && F[0].Width >= 0;
  TBadLines bad("TableFromTxt", FileName);
  try {
    TcvDatabase::TBatch batch(Table.Connection());
    while (ReadSplitLine(f, '|', cells, lineNo)) {
      if (cells.Count() != header.Count()) {
        bad.Add(lineNo, "число колонок "_cp + IntStr(cells.Count()) + " вместо "_cp +
                            IntStr(header.Count()));
        continue;
      }
      bool blank = true;
      for (int c = 0; c < cells.Count(); ++c)
        if (!TrimCtl(cells[c]).empty()) blank = false;
      if (blank) continue;
      auto setNonEmpty = [&](int32_t From) {
        for (int32_t i = From; i < NF; ++i) {
          const TFldRec& fr = F[static_cast<size_t>(i)];
          if (fr.Width < 0) continue;
          const std::string v = Cell(cells, fr.Width);
          if (!v.empty()) SetFromCell(Table.Fields(fr.Index), v);
        }
      };
      try {
        if (!keyColumn) {
          Table.Append();
          setNonEmpty(0);
          Table.Post();
          ++loaded;
          continue;
        }
        const std::string keyText = Cell(cells, F[0].Width);
        if (!intKey) {
          if (Table.Locate(F[0].Name, TextValue(keyText)))
            Table.Edit();
          else {
            Table.Append();
            Table.Fields(0).SetAsString(keyText);
          }
          setNonEmpty(1);
          Table.Post();
          ++loaded;
          continue;
        }
        int64_t key = 0;
        if (!ParseKey(keyText, key)) {
          bad.Add(lineNo, "ошибка при преобразовании ID <"_cp + keyText + "> в число"_cp);
          continue;
        }
        if (Table.Locate(F[0].Name, IntValue(key))) {
          Table.Edit();
          setNonEmpty(1);
          Table.Post();
          ++loaded;
          continue;
        }
        bool stop = false;
        int64_t lastNew = INT64_MIN;
        for (;;) {
          Table.Append();
          Table.Fields(0).SetAsInteger(key);
          setNonEmpty(1);
          Table.Post();
          const int64_t got = Table.Fields(0).AsInteger();
          if (got == key) break;
          if (got > key || got <= lastNew) {
            WARN("Не удалось найти / создать элемент c ID "_cp + I64Str(key) +
                 " проверьте таблицу "_cp + Table.TableName() + " \"" + "вручную"_cp + "\"");
            stop = true;
            break;
          }
          lastNew = got;
          Table.Delete();
        }
        if (stop) break;
        ++loaded;
      } catch (const EDatabaseError& e) {
        // a value the table cannot take: the line is reported, the others still load
        Table.Cancel();
        bad.Add(lineNo, e.what());
      }
    }
  } catch (...) {
    f.Close();
    finish();
    bad.Report();
    throw;
  }
  f.Close();
  finish();
  bad.Report();
  return loaded;
}

// ------------------------------------------------------------------------------------------
// Keys and the wavelength range

std::string CalcLIN6(int32_t K, const std::string& Atom, double LAMB) {
  if (LAMB == 0) WARNAbs("CalcLIN6-Err K=" + IntStr(K) + " At=" + Atom + " LAMB=0 !!!");
  std::string sym = UpCaseStrCyr(TrimCtl(Atom));
  if (sym.size() == 1) sym += sym;
  const long double x = static_cast<long double>(LAMB) * 1000.0L;
  const int64_t t = static_cast<int64_t>(std::trunc(x));
  std::string digits = I64Str(t);
  if (K - 2 < static_cast<int32_t>(digits.size()))
    digits = digits.substr(0, static_cast<size_t>(std::max(0, K - 2)));
  return sym + digits;
}

namespace {
bool PlainReal(const std::string& S, double& V) {
  int32_t code = 0;
  V = ValRealPlainCode(TrimCtl(S), code);
  return code == 0 && std::isfinite(V);
}
}  // namespace

bool GetLambFromTo(double& From, double& To) {
  TLambFields& f = LineData().LambFields;
  if (!f.FromText || !f.ToText) {
    cvlink::NotAvailable("GetLambFromTo");
    return false;
  }
  std::string a = f.FromText(), b = f.ToText();
  if (TrimCtl(a).empty()) a = "2000";
  if (TrimCtl(b).empty()) b = "13000";
  if (!PlainReal(a, From)) {
    WARNAbs("Ошибка в поле \"LAMB от\""_cp);
    if (f.FocusFrom) f.FocusFrom();
    return false;
  }
  if (!PlainReal(b, To)) {
    if (f.FocusTo) f.FocusTo();
    WARNAbs("Ошибка в поле \"LAMB до\""_cp);
    return false;
  }
  return true;
}
