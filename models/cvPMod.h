// Model loading and line preparation for the current combination of the working variator:
// PMOD1 puts the working model (or the premodel to build from) into the keeper; PMOD3 prepares
// everything the transfer integration needs at the working wavelength in the calculation state
// (the model's depth vectors, continuous opacity, source function and continuum, field,
// velocity and microturbulence with their probe layers, and each line's Doppler width,
// populations, line-to-continuum ratio and damping). Both run under their option files
// (PMOD1.OTL, PMOD3.OTL) as trace masks, restored on every exit.
#pragma once
#include <cstdint>
#include <string>

class TStringList;

// The model description: "#PREMOD" with "#ION" 1, else "#MOD".
std::string ModelDescr();
std::string ModTypeWord();
char ModTypeChar();
// Word 2 of the description; word 2 of "#MOD".
std::string SrcModName();
std::string VariModName();

// Loads the working model of the current combination. False (with a warning) for a model
// type that is not allowed; the keeper is then unchanged.
bool PMOD1();
// PMOD1 for every combination, the keeper's reports shown in the editor.
void PMOD1_REP();
// The same reports added to Out, shown by nobody (a run inside a job hands them back with its
// text results: the editor belongs to the window's thread).
void PMOD1_REPTo(TStringList& Out);
// The model of the current combination prepared on its own grid (0) for the line of "#LIN":
// Doppler width, continuous opacity at 5000 A and at the line, partition functions, population
// and line-to-continuum ratio; the keeper's report of the model's grid 0 added to Out (the
// window shows it under "PMOD1_REP1"). Only for a tabulated model description (type T): any
// other type does nothing. False when nothing was reported (another type, or no such line).
bool PMOD1_REP1To(TStringList& Out);
// X, T, LGPG, LGPE, VMI (and h when the model has one) of a model on grid 1 from its source.
void FillModVeMo(const std::string& Name);

// Prepares the current combination. False when the preparation ended early (a multi-line
// "#LGGF" or "#ELOW"): the caller must not compute the combination.
bool PMOD3(int32_t Mode);
