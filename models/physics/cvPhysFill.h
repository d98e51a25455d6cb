// The common fill of a depth vector from other vectors of the same model and grid: inputs found
// filled in the keeper, the target sized to the first input, a per-point formula, the probe layer
// carried over by tag (kinds C, M and *), the filled mark and the parents.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "models/vectors/cvVemo.h"

namespace physfill {

constexpr int32_t MaxIn = 8;
constexpr int32_t MaxOut = 10;

// A required filled input of Target's model and grid (fatal when missing).
TVEMO* Need(const TVEMO& Target, const std::string& NAME, const std::string& sIdV = "");
// An optional input: nullptr when absent or unfilled.
TVEMO* Optional(const TVEMO& Target, const std::string& NAME, const std::string& sIdV = "");

// Sizes each output to N points.
void Size(TVEMO& V, int32_t N);

// The probe layer of the inputs (asked in order with Tag); false when none has one.
// Only the first Ask inputs are asked.
bool Layer(const std::string& Tag, const std::vector<TVEMO*>& In, char& C, double& XL,
           double& XU, size_t Ask = 1000);

// Calls Calc(values, outputs), or Calc(values, outputs, x) when it takes the depth: x is the
// bound being evaluated, NaN on the grid points.
template <class TCalc>
inline void CallCalc(TCalc& Calc, const double* V, double* R, double X) {
  if constexpr (std::is_invocable_v<TCalc&, const double*, double*, double>)
    Calc(V, R, X);
  else
    Calc(V, R);
}

// Evaluates Calc(values of the inputs at x, outputs) with and without the layers at both bounds
// and sets each output's layer. A nullptr input reads 0.
template <class TCalc>
void SetLayers(const std::vector<TVEMO*>& In, const std::vector<TVEMO*>& Out, char C, double XL,
               double XU, TCalc Calc) {
  double v[MaxIn], r[4][MaxOut];
  const double xs[2] = {XL, XU};
  for (int b = 0; b < 2; ++b)
    for (int layered = 0; layered < 2; ++layered) {
      for (size_t j = 0; j < In.size(); ++j)
        v[j] = In[j] ? (layered ? In[j]->func(xs[b]) : In[j]->func0(xs[b])) : 0.0;
      CallCalc(Calc, v, r[b * 2 + layered], xs[b]);
    }
  for (size_t k = 0; k < Out.size(); ++k)
    if (Out[k]) Out[k]->SetHoleFrom(C, XL, XU, r[1][k], r[3][k], r[0][k], r[2][k]);
}

// The whole pattern for outputs that all take the same inputs: per point, Calc(values, outs);
// the layer by Tag; each output filled with the first input as parent and the others added.
template <class TCalc>
void Fill(const std::string& Tag, const std::vector<TVEMO*>& In, const std::vector<TVEMO*>& Out,
          TCalc Calc, const std::vector<TVEMO*>& Parents, size_t Ask = 1000) {
  const int32_t n = In[0]->N;
  for (TVEMO* o : Out) Size(*o, n);
  double v[MaxIn], r[MaxOut];
  for (int32_t i = 1; i <= n; ++i) {
    for (size_t j = 0; j < In.size(); ++j) v[j] = In[j] ? In[j]->A[static_cast<size_t>(i)] : 0.0;
    CallCalc(Calc, v, r, std::nan(""));
    for (size_t k = 0; k < Out.size(); ++k) Out[k]->A[static_cast<size_t>(i)] = r[k];
  }
  char c = 0;
  double xl = 0, xu = 0;
  if (Layer(Tag, In, c, xl, xu, Ask)) SetLayers(In, Out, c, xl, xu, Calc);
  for (TVEMO* o : Out) {
    o->SetFilled();
    bool first = true;
    for (TVEMO* p : Parents) {
      if (!p) continue;
      if (first) o->SetParents(p); else o->AddParents(p);
      first = false;
    }
  }
}

}  // namespace physfill
