#include "models/vectors/cvCalcContext.h"

#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "linedata/cvMend.h"
#include "models/physics/cvKappa.h"
#include "models/vectors/cvConv.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"

namespace {
thread_local TCalcContext* t_current = nullptr;

// The calculation state names vectors of the keeper: after a deletion each one that is gone is
// looked up again by its key (the vector of that key left in the keeper, or none).
void WireKeeper(TCalcContext& Ctx) {
  TLVEMO* keeper = Ctx.LVEMO;
  TCONT* cont = Ctx.CONT;
  keeper->OnDeleted = [keeper, cont](const std::unordered_map<const TVEMO*, std::string>& Gone) {
    cont->ForEachVector([&](TVEMO*& V) {
      const auto g = Gone.find(V);
      if (g != Gone.end()) V = keeper->FindSIdVeMo(g->second);
    });
  };
}

struct TProgramContext : TOwnCalcContext {};

TProgramContext& Program() {
  static TProgramContext ctx;
  return ctx;
}
}  // namespace

TOwnCalcContext::TOwnCalcContext()
    : keeper_(std::make_unique<TLVEMO>()),
      params_(std::make_unique<TPhysParamList>()),
      rules_(std::make_unique<TConvList>()),
      funcs_(std::make_unique<TVeConvertFuncList>()),
      cont_(std::make_unique<TCONT>()),
      kappa_(std::make_unique<TKappaState>()) {
  LVEMO = keeper_.get();
  LVEPA = params_.get();
  ConvList = rules_.get();
  VeConvFuncs = funcs_.get();
  CONT = cont_.get();
  Kappa = kappa_.get();
  WireKeeper(*this);
}

TOwnCalcContext::TOwnCalcContext(const TCalcContext& Parent) : TOwnCalcContext() {
  if (Parent.LVEPA) LVEPA = Parent.LVEPA;
  if (Parent.VeConvFuncs) VeConvFuncs = Parent.VeConvFuncs;
  if (Parent.ConvList) ConvList->CopyFrom(*Parent.ConvList);
  const TMEND* m = Parent.Elements ? Parent.Elements : MEND;
  if (m) {
    elements_ = m->Clone();
    Elements = elements_.get();
  }
  VeMoKeepEdited = Parent.VeMoKeepEdited;
  VoigtMethod = Parent.VoigtMethod;
  VoigtMethodName = Parent.VoigtMethodName;
}

TOwnCalcContext::~TOwnCalcContext() {
  // the calculation state lets go of the keeper's vectors before they are freed
  if (keeper_) keeper_->OnDeleted = nullptr;
}

TCalcContext& CalcCtx() { return t_current ? *t_current : Program(); }

TCalcScope::TCalcScope(TCalcContext& Ctx) : previous_(t_current) { t_current = &Ctx; }

TCalcScope::~TCalcScope() { t_current = previous_; }

void LoadVectorLists(TCalcContext& Ctx, bool Fresh) {
  if (Fresh && Ctx.LVEMO) Ctx.LVEMO->DelWhere([](const TVEMO&) { return true; });
  TCalcScope scope(Ctx);
  Ctx.LVEPA->ReadVEMO();
  Ctx.ConvList->Load();
}

TLVEMO& Keeper() { return *CalcCtx().LVEMO; }

TPhysParamList& ParamList() {
  TPhysParamList* p = CalcCtx().LVEPA;
  if (!p) ErrAbs("LVEPA.GetByKey() LVEPA Not Assigned!");
  return *p;
}

TCONT& Cont() { return *CalcCtx().CONT; }

TMEND* Elements() {
  TCalcContext& c = CalcCtx();
  return c.Elements ? c.Elements : MEND;
}
