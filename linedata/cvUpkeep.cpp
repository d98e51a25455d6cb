#include "linedata/cvUpkeep.h"

#include <cmath>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "linedata/cvLDServices.h"
#include "foundation/cvCIL.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvLdRead.h"
#include "linedata/cvMend.h"
#include "platform/FileErr.h"

namespace {

// A file below the application root, found without regard to case.
std::string RootFile(const std::string& Rel) {
  const std::string root = LineData().Root();
  return FindNoCase(root, Rel);
}

TMEND& Mend() {
  if (!MEND) CreateMEND();
  return *MEND;
}

void Reopen(TcvTable& T) {
  T.Close();
  T.Open();
}

}  // namespace

// ------------------------------------------------------------------------------------------
// The element table

void LoadTBMend() { LoadTBMendFrom(LineData().DirOf("GEDA", "TBMEND")); }

void LoadTBMendFrom(const std::string& FileName) {
  TMEND& m = Mend();
  m.CreateAtoms();
  TCIL r;
  LoadDataFile(r, FileName, "LoadTBMend");
  TLineErrors bad(r, "LoadTBMend");
  r.SkipLines(4);
  for (;;) {
    r.NextLine();
    if (r.Line.empty() || r.Line.find("----") != std::string::npos) break;
    const std::string f0 = r.TabFieldTrim(0);
    int32_t z = 0;
    if (!WordInt(f0, z)) {
      r.SetWordPos(r.Pos);
      bad.Add("номер элемента <"_cp + f0 + "> не целое число"_cp);
      continue;
    }
    const std::string sym = r.TabFieldTrim(1);
    const std::string fm = r.TabFieldTrim(2);
    double mass = 0;
    if (!WordReal(fm, mass)) {
      r.SetWordPos(r.Pos);
      bad.Add("атомная масса <"_cp + fm + "> не число"_cp);
      continue;
    }
    double e[4] = {0, 0, 0, 0};
    bool ok = true;
    for (int k = 0; k < 4 && ok; ++k) {
      const std::string fe = r.TabFieldTrim(3 + k);
      if (fe.empty()) continue;
      if (!WordReal(fe, e[k])) {
        r.SetWordPos(r.Pos);
        bad.Add("энергия ионизации "_cp + IntStr(k + 1) + " <" + fe + "> не число"_cp);
        ok = false;
      }
    }
    if (!ok) continue;
    // a symbol of another element: the line is passed over
    if (AtNumBySym(sym) != z || z < 1 || z > MendSize) continue;
    TATOM* a = m.GetAtom(z);
    a->Name = UpCaseStrCyr(sym);
    a->NElt = z;
    a->PAT = mass;
    for (int k = 0; k < 4; ++k) a->EIon[k] = e[k];
  }
  r.Unload();
  bad.Report();
}

namespace {

void MendToAtomsIn(TDM& D) {
  TMEND& m = Mend();
  TcvTable& t = D.ADOAtoms;
  Reopen(t);
  TcvDatabase::TBatch batch(t.Connection());
  for (int32_t n = 1; n <= MendSize && m.HasAtoms(); ++n) {
    TATOM* a = m.GetAtom(n);
    if (a->NElt != n) continue;
    if (t.Locate("Name", TextValue(a->Name))) {
      t.Edit();
    } else {
      t.Append();
      t.FieldByName("Name").SetAsString(a->Name);
      t.FieldByName("NElt").SetAsInteger(n);
    }
    t.FieldByName("PAT").SetAsFloat(a->PAT);
    static const char* const kEIon[4] = {"EIon", "EIon1", "EIon2", "EIon3"};
    for (int k = 0; k < 4; ++k)
      if (a->EIon[k] > 0) t.FieldByName(kEIon[k]).SetAsFloat(a->EIon[k]);
    t.FieldByName("ABUND").SetAsFloat(a->ABUND);
    t.Post();
  }
}

}  // namespace

void MendToAtoms() {
  if (DMReady()) MendToAtomsIn(*DM);
}

void LdMend() {
  LoadTBMend();
  MendToAtoms();
}

void LoadAbund(std::string& AbundString) { LoadAbundFrom(LineData().DirOf("GEDA", "ABUND"), AbundString); }

void LoadAbundFrom(const std::string& FileName, std::string& AbundString) {
  AbundString.clear();
  TCIL r;
  LoadDataFile(r, FileName, "LoadAbund");
  TLineErrors bad(r, "LoadAbund");
  r.SkipLines(3);
  for (;;) {
    r.NextLine();
    if (r.Line.empty()) break;
    const std::string sym = r.GetWord();
    if (AtNumBySym(sym) == 0) continue;
    const std::string val = r.GetWord();
    double v = 0;
    if (!WordReal(val, v)) {
      bad.Add("обилие элемента "_cp + sym + " <" + val + "> не число"_cp);
      continue;
    }
    AbundString += sym + " " + val + " ";
  }
  r.Unload();
  bad.Report();
}

void AbundToMend() {
  std::string s;
  LoadAbund(s);
  Mend().SetStdAbund(s);
}

namespace {

void AbundToAtomsIn(TDM& D) {
  TMEND& m = Mend();
  TcvTable& t = D.ADOAtoms;
  Reopen(t);
  {
    TcvDatabase::TBatch batch(t.Connection());
    for (int32_t n = 1; n <= MendSize && m.HasAtoms(); ++n) {
      TATOM* a = m.GetAtom(n);
      if (a->NElt != n) continue;
      const std::string sym = TrimCtl(a->Name);
      if (t.Locate("Name", TextValue(sym))) {
        t.Edit();
      } else {
        t.Append();
        t.FieldByName("Name").SetAsString(sym);
        t.FieldByName("NElt").SetAsInteger(n);
      }
      t.FieldByName("ABUND").SetAsFloat(a->ABUND);
      t.Post();
    }
  }
  Reopen(t);
}

}  // namespace

void AbundToAtoms() {
  if (DMReady()) AbundToAtomsIn(*DM);
}

void LoadAbundAndPost() {
  AbundToMend();
  AbundToAtoms();
}

// ------------------------------------------------------------------------------------------
// Text tables

namespace {

// The bibliography's tables of D and their files.
std::vector<std::pair<TcvTable*, std::pair<std::string, bool>>> ReferTables(TDM& D) {
  return {{&D.ADOAuthors, {"BIBL/Authors.txt", false}},
          {&D.ADOMags, {"BIBL/Mags.txt", true}},
          {&D.ADOSources, {"BIBL/Sources.txt", false}}};
}

}  // namespace

void LoadRefers() {
  if (!DMReady()) return;
  for (auto& [t, f] : ReferTables(*DM)) TableFromTxt(*t, RootFile(f.first), f.second);
}

void LoadTabs() {
  if (!DMReady()) return;
  TableFromTxt(DM->ADOTabs, RootFile("SYS/Tabs.txt"), false);
}

// ------------------------------------------------------------------------------------------
// Multiplets

namespace {

void LoadMultiIn(TDM& D, const std::string& FileName, const std::string& Atom, int32_t NIon) {
  TcvTable& t = D.ADOMulti;
  Reopen(t);
  TCIL r;
  LoadDataFile(r, FileName, "LoadMulti");
  TLineErrors bad(r, "LoadMulti");
  r.SkipLines(3);
  {
    TcvDatabase::TBatch batch(t.Connection());
    for (;;) {
      r.NextLine();
      if (r.Line.empty()) break;
      if (r.Line.find("-----") != std::string::npos) continue;
      std::vector<std::string> w;
      for (std::string x = r.GetWord(); !x.empty(); x = r.GetWord()) w.push_back(x);
      // multiplet, lower term and upper term; a parity word "o" joins the term before it; a
      // missing term stays empty, a word beyond the upper term is an error
      std::string f[3];
      size_t i = 0;
      int k = 0;
      while (i < w.size() && k < 3) {
        f[k] = w[i++];
        if (k > 0 && i < w.size() && w[i] == "o") f[k] += " " + w[i++];
        ++k;
      }
      if (i < w.size()) {
        bad.Add("Не удается разделить строку "_cp + r.Line + " на 3 поля!"_cp);
        continue;
      }
      const std::vector<TcvValue> key = {TextValue(Atom), IntValue(NIon), TextValue(f[0])};
      if (t.Locate("Atom;NIon;Mult", key)) {
        t.Edit();
      } else {
        t.Append();
        t.FieldByName("Atom").SetAsString(Atom);
        t.FieldByName("NIon").SetAsInteger(NIon);
        t.FieldByName("Mult").SetAsString(f[0]);
      }
      t.FieldByName("LOW").SetAsString(f[1]);
      t.FieldByName("HIGH").SetAsString(f[2]);
      t.Post();
    }
  }
  r.Unload();
  t.SetFiltered(false);
  Reopen(t);
  bad.Report();
}

struct TMulFile {
  const char* File;
  const char* Atom;
  int32_t NIon;
};
const TMulFile kMulFiles[] = {{"LIN/mul_na1.txt", "NA", 1}, {"LIN/mul_si1.txt", "SI", 1},
                              {"LIN/mul_ti1.txt", "TI", 1}, {"LIN/mul_fe1.txt", "FE", 1},
                              {"LIN/mul_fe2.txt", "FE", 2}, {"LIN/mul_vv1.txt", "V ", 1}};

// The multiplet files into D; false when Job (when given) is cancelled between files.
bool LoadMultiFilesIn(TDM& D, TJob* Job) {
  const int32_t n = static_cast<int32_t>(std::size(kMulFiles));
  for (int32_t i = 0; i < n; ++i) {
    const TMulFile& m = kMulFiles[i];
    if (Job && !Job->Step(i, n, m.File)) return false;
    const std::string file = RootFile(m.File);
    if (!platform::IsRegularFile(file)) {
      // a missing file does not stop the others
      WARNAbs("LoadMultiFiles: файл <"_cp + file + "> не найден!"_cp);
      continue;
    }
    LoadMultiIn(D, file, m.Atom, m.NIon);
    WARN(file);
  }
  return true;
}

// Work in one transaction of D: kept only when it ends without a cancel.
bool InTransaction(TJob& Job, TDM& D, const std::function<bool()>& Work) {
  TcvDatabase::TTransaction tr(&D.ADOConnection);
  if (!Work() || Job.Cancelled()) return false;
  tr.Commit();
  D.ADOConnection.RequeryOpenTables();
  return true;
}

}  // namespace

void LoadMulti(const std::string& FileName, const std::string& Atom, int32_t NIon) {
  if (DMReady()) LoadMultiIn(*DM, FileName, Atom, NIon);
}

void LoadMultiFiles() {
  if (DMReady()) LoadMultiFilesIn(*DM, nullptr);
}

bool MendToAtoms(TJob& Job, TDM& D) {
  return InTransaction(Job, D, [&] {
    MendToAtomsIn(D);
    return true;
  });
}

bool AbundToAtoms(TJob& Job, TDM& D) {
  return InTransaction(Job, D, [&] {
    AbundToAtomsIn(D);
    return true;
  });
}

bool LoadRefers(TJob& Job, TDM& D) {
  return InTransaction(Job, D, [&] {
    const auto tables = ReferTables(D);
    for (size_t i = 0; i < tables.size(); ++i) {
      if (!Job.Step(static_cast<int32_t>(i), 3, tables[i].second.first)) return false;
      TableFromTxt(*tables[i].first, RootFile(tables[i].second.first), tables[i].second.second);
    }
    return true;
  });
}

bool LoadTabs(TJob& Job, TDM& D) {
  return InTransaction(Job, D, [&] {
    TableFromTxt(D.ADOTabs, RootFile("SYS/Tabs.txt"), false);
    return true;
  });
}

bool LoadMultiFiles(TJob& Job, TDM& D) {
  return InTransaction(Job, D, [&] { return LoadMultiFilesIn(D, &Job); });
}

// ------------------------------------------------------------------------------------------
// Random numbers

void TestRandomGauss(int32_t N, int32_t Mode, double Sigma, double A) {
  RandomizePhys();
  TStringList sl;
  for (int32_t i = 1; i <= N; ++i) {
    double x = RandGaussRej(Sigma, A);
    const double sg = x < 0 ? -1.0 : (x > 0 ? 1.0 : 0.0);
    if (Mode == 1)
      x = sg * std::sqrt(std::fabs(x));
    else if (Mode == 2)
      x = sg * x * x;
    sl.Add(IntStr(i) + " " + ShortSt(12, x));
  }
  ldlinks::ShowList("TestRandomGauss", sl);
}

// ------------------------------------------------------------------------------------------
// Start and end

void LineDataUnitStart() {
  CreateMEND();
  CreateDM();
}

void LineDataUnitEnd() {
  FreeDM();
  FreeMEND();
}

void LineDataInitStep() {
  if (!MEND) CreateMEND();
  if (!DM) CreateDM();
  MEND->LoadAll();
  DM->Connect();
}
