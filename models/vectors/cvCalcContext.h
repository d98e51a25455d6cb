// The calculation context of the model vectors: the keeper LVEMO, the parameter list LVEPA, the
// conversion rules ConvList and their named functions VeConvFuncs, the calculation state CONT
// and the switch VeMoKeepEdited. A thread's calculations use the context a TCalcScope made
// current; without one, the program's context. A run on a worker, or a test, makes its own
// (TOwnCalcContext) so that two runs at once do not meet. The context also holds the opacity
// calculator and its tables.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class TLVEMO;
class TMEND;
class TPhysParamList;
class TConvList;
class TVeConvertFuncList;
struct TCONT;
struct TKappaState;
// The line-fit tables and the pages they fill (synthesis/fit/cvFitState.h); made on first use.
struct TFitState;

struct TCalcContext {
  TLVEMO* LVEMO = nullptr;
  TPhysParamList* LVEPA = nullptr;
  TConvList* ConvList = nullptr;
  TVeConvertFuncList* VeConvFuncs = nullptr;
  TCONT* CONT = nullptr;
  // The opacity calculator KappaCalc and the tables KappaHM and KZwaan (models/physics/cvKappa.h).
  TKappaState* Kappa = nullptr;
  // The element table whose abundances the calculation sets (nullptr: the program's MEND).
  TMEND* Elements = nullptr;
  // Set by the main window's curve calculation: a vector changed after its variator value was
  // stamped is not refilled from it.
  bool VeMoKeepEdited = false;
  // The current Voigt method of the synthesis (TVoigtMethod, synthesis/transfer/cvVoigt.h) and its
  // name as the user gave it.
  int32_t VoigtMethod = 0;
  std::string VoigtMethodName = "Humlicek";
  // The line-fit tables Di with the Di and Dialog pages they fill (synthesis/fit): made on first
  // use by the synthesis layer; a worker's context has none of its own.
  std::shared_ptr<TFitState> Fit;
};

// A context with its own empty keeper, lists and calculation state. Its keeper re-resolves the
// vectors its CONT names whenever it deletes vectors.
class TOwnCalcContext : public TCalcContext {
 public:
  TOwnCalcContext();
  // A worker's context beside Parent: its own keeper, calculation state, opacity state, copy of
  // the conversion rules (their search marks change) and copy of the element table (Parent's or
  // the program's MEND); the parameter list and the function names shared with Parent (read
  // only); the Voigt method and VeMoKeepEdited as Parent has them.
  explicit TOwnCalcContext(const TCalcContext& Parent);
  ~TOwnCalcContext();
  TOwnCalcContext(const TOwnCalcContext&) = delete;
  TOwnCalcContext& operator=(const TOwnCalcContext&) = delete;

 private:
  std::unique_ptr<TLVEMO> keeper_;
  std::unique_ptr<TPhysParamList> params_;
  std::unique_ptr<TConvList> rules_;
  std::unique_ptr<TVeConvertFuncList> funcs_;
  std::unique_ptr<TCONT> cont_;
  std::unique_ptr<TKappaState> kappa_;
  std::unique_ptr<TMEND> elements_;
};

// The calling thread's context (the program's when no scope is open).
TCalcContext& CalcCtx();

// Makes a context the calling thread's until destroyed.
class TCalcScope {
 public:
  explicit TCalcScope(TCalcContext& Ctx);
  ~TCalcScope();
  TCalcScope(const TCalcScope&) = delete;
  TCalcScope& operator=(const TCalcScope&) = delete;

 private:
  TCalcContext* previous_;
};

// The start-up's reading of the lists: the parameter list from the files of ("GEDA", "VEMO"),
// ("GEDA", "SCALES") and ("GEDA", "REPORT"), the conversion rules from ("GEDA", "CONVERT"), each
// read again only when its file changed. The program's keeper is emptied first when Fresh.
void LoadVectorLists(TCalcContext& Ctx, bool Fresh = false);

// Short forms for the current context.
TLVEMO& Keeper();
TPhysParamList& ParamList();
TCONT& Cont();
// The element table of the current context (its own, else the program's MEND; may be nullptr).
TMEND* Elements();
