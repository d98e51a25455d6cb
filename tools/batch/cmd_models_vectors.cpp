// Model-vector commands of the harness: a model file loaded into a fresh keeper, reported on
// its own grid and on a standard grid, with a modified clone of its temperature.
#include <iostream>

#include "app/cvApp.h"
#include "app/services/cvServices.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"
#include "tools/batch/Batch.h"

namespace {

void Print(const TStringList* L) {
  if (!L) return;
  for (int i = 0; i < L->Count(); ++i) std::cout << batch::U8((*L)[i]) << "\n";
}

// vemo [--grid N] [--fill NAME,...] [--modif TEXT] [--at X,...] [--ion] [--warn] MODEL: the model
// file MODS\<MODEL>.mel loaded and reported on its own grid; the quantities (T, LGPE, LGPG, VMI
// by default) filled on standard grid N (1 by default) from the model and reported there; with
// a modifier, the temperature cloned and modified by it and its value at each depth of --at.
int Vemo(const std::vector<std::string>& Args) {
  std::string model, modif;
  std::vector<std::string> fill{"T", "LGPE", "LGPG", "VMI"};
  std::vector<double> at;
  int32_t grid = 1;
  bool warn = false, ion = false;
  auto list = [](const std::string& S) {
    std::vector<std::string> r;
    for (int32_t i = 0; i < FieldCount(S, ','); ++i)
      if (!TrimCtl(FieldN(S, ',', i)).empty()) r.push_back(TrimCtl(FieldN(S, ',', i)));
    return r;
  };
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--grid" && i + 1 < Args.size()) {
      int32_t code = 0;
      grid = ValIntCode(Args[++i], code);
      if (code != 0 || grid < 1) return batch::Usage();
    } else if (a == "--fill" && i + 1 < Args.size()) {
      fill = list(batch::Cp(Args[++i]));
    } else if (a == "--modif" && i + 1 < Args.size()) {
      modif = batch::Cp(Args[++i]);
    } else if (a == "--at" && i + 1 < Args.size()) {
      for (const std::string& w : list(Args[++i])) {
        int32_t code = 0;
        const double x = ValRealCode(w, code);
        if (code != 0) return batch::Usage();
        at.push_back(x);
      }
    } else if (a == "--warn") {
      warn = true;
    } else if (a == "--ion") {
      ion = true;
    } else if (model.empty() && a.rfind("--", 0) != 0) {
      model = batch::Cp(a);
    } else {
      return batch::Usage();
    }
  }
  if (model.empty()) return batch::Usage();
  if (warn) Sayer->WarnOn();
  batch::UseProgramRoot();
  InstallModelServices();
  TOwnCalcContext ctx;
  TCalcScope scope(ctx);
  TJob job("LVEMO.LoadModel " + model);
  return batch::RunAsJob(job, [&](TJob& J) {
    LoadVectorLists(ctx);
    ctx.CONT->ION = ion;
    TLVEMO& K = *ctx.LVEMO;
    K.LoadModel("", "", "", model);
    if (!K.HasMod(model)) ErrAbs("LVEMO.LoadModel: модель <"_cp + model + "> не загружена"_cp);
    Print(K.ReportMod(model, 0).get());
    std::cout << "\n";
    K.InitVEMO(model, "X", "", grid);
    for (size_t i = 0; i < fill.size() && !J.Cancelled(); ++i) {
      J.Step(static_cast<int64_t>(i), static_cast<int64_t>(fill.size()), "SrcFill " + fill[i]);
      K.InitVEMO(model, fill[i], "", grid)->SrcFill();
    }
    Print(K.ReportMod(model, grid).get());
    if (modif.empty()) return;
    TVEMO* t = K.FindVeMo("T", model, "", grid);
    if (!t) ErrAbs("VEMO <T> модели <"_cp + model + "> на сетке "_cp + IntStr(grid) + " не заполнен"_cp);
    auto clone = std::make_unique<TVEMO>();
    clone->CopyModif(t, modif);
    TVEMO* c = K.AddClone(std::move(clone));
    if (!c) return;
    std::cout << "\n"
              << batch::U8("CopyModif T <"_cp + modif + "> sED=<" + c->sED + "> KEd=" +
                           IntStr(c->KEd) + " Ch=" + (c->Ch ? std::string(1, c->Ch) : "#0"))
              << "\n";
    for (double x : at)
      std::cout << "func(" << ShortSt(6, x) << ")=" << ShortSt(8, c->func(x)) << "\n";
  });
}

const TBatchCommand kVemo{
    "vemo", "vemo [--grid N] [--fill NAME,...] [--modif TEXT] [--at X,...] [--ion] [--warn] MODEL",
    Vemo};

}  // namespace
