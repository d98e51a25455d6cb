// The VEMO table of the harness: model files loaded into a fresh keeper, their working vectors
// made on grid 1, the table's rows through the tab's selectors, and the report of the marked
// vectors in their "Order".
#include <iostream>
#include <map>
#include <set>

#include "app/services/cvServices.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/cvModelsTab.h"
#include "models/cvPMod.h"
#include "models/cvVemoTab.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVemo.h"
#include "tools/batch/Batch.h"

namespace {

std::vector<std::string> List(const std::string& S) {
  std::vector<std::string> r;
  for (int32_t i = 0; i < FieldCount(S, ','); ++i)
    if (!TrimCtl(FieldN(S, ',', i)).empty()) r.push_back(TrimCtl(FieldN(S, ',', i)));
  return r;
}

void Print(const TStringList& L) {
  for (int i = 0; i < L.Count(); ++i) std::cout << batch::U8(L[i]) << "\n";
}

// vemo-table [--fmod 0,1] [--model M] [--sid S] [--p1] [--mark NAME,... [--order K,...]]
//            MODELFILE...
int VemoTable(const std::vector<std::string>& Args) {
  std::vector<std::string> files, marks, orders;
  std::string fmod = "0", model, sid;
  bool p1 = false, haveSid = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--fmod" && i + 1 < Args.size()) fmod = Args[++i];
    else if (a == "--model" && i + 1 < Args.size()) model = batch::Cp(Args[++i]);
    else if (a == "--sid" && i + 1 < Args.size()) {
      sid = batch::Cp(Args[++i]);
      haveSid = true;
    } else if (a == "--mark" && i + 1 < Args.size()) marks = List(batch::Cp(Args[++i]));
    else if (a == "--order" && i + 1 < Args.size()) orders = List(Args[++i]);
    else if (a == "--p1") p1 = true;
    else if (a.rfind("--", 0) != 0) files.push_back(SlashPath(a));
    else return batch::Usage();
  }
  if (files.empty()) return batch::Usage();
  batch::UseProgramRoot();
  InstallModelServices();
  // a model file is read from its own folder: the project folder is the folder's parent
  std::string projDir;
  Models().ProjectDir.Install([&projDir] { return projDir; });
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  std::map<std::string, bool> flags;
  TVemoFlags F;
  F.Get = [&](const std::string& K) { return flags.count(K) && flags[K]; };
  F.Set = [&](const std::string& K, bool On) { flags[K] = On; };
  for (const std::string& f : List(fmod)) flags["VEMO|FMOD" + f] = true;
  TJob job("vemo-table");
  std::vector<TModFileInfo> infos;
  const int rc = batch::RunAsJob(job, [&](TJob& J) {
    LoadVectorLists(ctx);
    for (size_t i = 0; i < files.size(); ++i) {
      J.Step(static_cast<int64_t>(i), static_cast<int64_t>(files.size()), files[i]);
      TModFileInfo info;
      std::string err;
      if (!ReadModelFileInfo(files[i], info, err)) ErrAbs(err);
      infos.push_back(info);
      std::string folder = files[i].substr(0, files[i].find_last_of('/') + 1);
      if (folder.empty()) folder = "./";
      const std::string trimmed = folder.substr(0, folder.size() - 1);
      const size_t cut = trimmed.find_last_of('/');
      projDir = cut == std::string::npos ? std::string("./") : trimmed.substr(0, cut + 1);
      const std::string sub = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
      ctx.LVEMO->LoadModel("PROJ", sub, "", info.FileName);
      if (p1) FillModVeMo(info.FileName);
    }
  });
  if (rc != 0) return rc;
  for (const TModFileInfo& i : infos)
    std::cout << "file " << batch::U8(i.FileName) << " model " << batch::U8(i.ModName)
              << " columns " << i.NCol << " layers " << i.NLay << "\n";
  TLVEMO& K = *ctx.LVEMO;
  TVemoSelect S;
  S.FMOD = FMODRowsFromFlags(F);
  S.KDER = KDERRowsFromFlags(F);
  std::vector<TVemoSelRow> mods, sids;
  VemoSelectorLists(K, S.FMOD, F, &mods, &sids);
  for (const TVemoSelRow& m : mods)
    if (!model.empty() && m.Name != model) S.ModOff.insert(m.Name);
  for (const TVemoSelRow& s : sids)
    if (haveSid && s.Name != sid) S.SidOff.insert(s.Name);
  std::cout << "models";
  for (const TVemoSelRow& m : mods) std::cout << " " << batch::U8(m.Name) << (S.ModOff.count(m.Name) ? "(off)" : "");
  std::cout << "\nsIdV";
  for (const TVemoSelRow& s : sids)
    std::cout << " <" << batch::U8(s.Name) << ">" << (S.SidOff.count(s.Name) ? "(off)" : "");
  std::cout << "\n";
  std::vector<TVemoRow> rows;
  VemoTableRows(K, S, F, 0.2, false, false, rows);
  Print(*VemoRowsText(rows));
  if (marks.empty()) return 0;
  std::vector<TVemoMarked> marked;
  for (const TVemoRow& r : rows)
    for (size_t m = 0; m < marks.size(); ++m)
      if (r.Name == marks[m]) {
        int32_t k = r.KOut;
        if (m < orders.size()) k = ValIntOr0(orders[m]);
        marked.push_back({K.Items(r.Idx), k});
      }
  std::cout << "\nVEMO_Report\n";
  Print(*VemoMarkedReport(K, marked));
  return 0;
}

const TBatchCommand kVemoTable{
    "vemo-table",
    "vemo-table [--fmod 0,1] [--model M] [--sid S] [--p1] [--mark NAME,... [--order K,...]] "
    "MODELFILE...",
    VemoTable};

}  // namespace
