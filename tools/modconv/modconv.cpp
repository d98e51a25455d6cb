// Writes the bundled model files (".mel") from published model tables of 11 columns per depth
// (lg tau 5000, T, Pe, microturbulence in cm/s, B, line-of-sight velocity, inclination,
// azimuth, height z in km, Pg, density), deepest point first, after a first line of three
// numbers (macroturbulence, filling factor, stray light).
//
//   corvesta-modconv hsra  SOURCE OUT.mel   TAU, T, PE, PG, VMI, h, RO
//   corvesta-modconv holmu SOURCE OUT.mel   X, T, LGPE, LGPG, VMI, h, RO
//   corvesta-modconv cv    SOURCE OUT.mel   the HSRA table as the reference model CV
//
// The field, velocity and angle columns are left out: the calculation sets them from its
// parameters. Microturbulence is written in km/s. Number text never depends on the locale.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TRow {
  double lgtau, T, Pe, vmi, B, vlos, incl, azi, z, Pg, rho;
};

bool ReadSource(const std::string& Name, std::vector<TRow>& Rows) {
  std::ifstream f(Name);
  if (!f) return false;
  std::string line;
  std::getline(f, line);  // macroturbulence, filling factor, stray light
  while (std::getline(f, line)) {
    std::istringstream s(line);
    s.imbue(std::locale::classic());
    TRow r{};
    if (!(s >> r.lgtau >> r.T >> r.Pe >> r.vmi >> r.B >> r.vlos >> r.incl >> r.azi >> r.z >>
          r.Pg >> r.rho)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      std::cerr << "corvesta-modconv: " << Name << ": a row of 11 numbers expected: " << line
                << "\n";
      return false;
    }
    Rows.push_back(r);
  }
  return !Rows.empty();
}

std::string Fmt(const char* F, double V) {
  char buf[64];
  std::snprintf(buf, sizeof buf, F, V);
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc == 4 ? argv[1] : "";
  if (kind != "hsra" && kind != "holmu" && kind != "cv") {
    std::cerr << "usage: corvesta-modconv hsra|holmu|cv SOURCE OUT.mel\n";
    return 2;
  }
  const bool hsra = kind != "holmu";
  std::vector<TRow> rows;
  if (!ReadSource(argv[2], rows)) {
    std::cerr << "corvesta-modconv: cannot read " << argv[2] << "\n";
    return 1;
  }
  std::ostringstream o;
  if (kind == "cv") {
    o << "! CV - the second reference model of the line depth and width runs (quests d0HMCV\n"
         "! and W_HMCV), made from HSRA, the Harvard-Smithsonian Reference Atmosphere:\n"
         "! Gingerich, Noyes, Kalkofen & Cuny 1971, Solar Physics 18, 347.\n"
         "! Depth column TAU (optical depth at 5000 A, 10 significant digits): the program\n"
         "! makes X = lg TAU by its conversion rules.\n";
  } else if (hsra) {
    o << "! HSRA - the Harvard-Smithsonian Reference Atmosphere\n"
         "! Gingerich, Noyes, Kalkofen & Cuny 1971, Solar Physics 18, 347.\n"
         "! Depth column TAU (optical depth at 5000 A, 10 significant digits): the program\n"
         "! makes X = lg TAU by its conversion rules.\n";
  } else {
    o << "! HOLMU - the Holweger & Mueller quiet-Sun model\n"
         "! Holweger & Mueller 1974, Solar Physics 39, 19.\n"
         "! Depth column X = lg tau at 5000 A; pressures as decimal logarithms.\n";
  }
  o << "! Written by corvesta-modconv from the published table, " << rows.size()
    << " depths, deepest first:\n"
       "! microturbulence converted from cm/s to km/s, h = the table's height z (km); the\n"
       "! field, velocity and angle columns are left out.\n"
       "COLUMNS 7\n"
       "LAYERS " << rows.size() << "\n";
  if (hsra)
    o << "TAU   optical depth at 5000 A\nT     temperature, K\nPE    electron pressure, dyn/cm2\n"
         "PG    gas pressure, dyn/cm2\n";
  else
    o << "X     lg tau at 5000 A\nT     temperature, K\nLGPE  lg electron pressure, dyn/cm2\n"
         "LGPG  lg gas pressure, dyn/cm2\n";
  o << "VMI   microturbulence, km/s\nh     height, km\nRO    density, g/cm3\n";
  if (hsra)
    o << "      TAU              T          PE            PG        VMI         h           RO\n";
  else
    o << "     X          T        LGPE       LGPG     VMI         h           RO\n";
  o << "----------------------------------------------------------------------------------\n";
  for (const TRow& r : rows) {
    if (hsra)
      o << Fmt("%17.9E", std::pow(10.0, r.lgtau)) << Fmt("%9.1f", r.T) << Fmt("%14.5E", r.Pe)
        << Fmt("%14.5E", r.Pg);
    else
      o << Fmt("%8.4f", r.lgtau) << Fmt("%9.1f", r.T) << Fmt("%11.6f", std::log10(r.Pe))
        << Fmt("%11.6f", std::log10(r.Pg));
    o << Fmt("%8.3f", r.vmi / 1e5) << Fmt("%11.4f", r.z) << Fmt("%13.4E", r.rho) << "\n";
  }
  std::ofstream out(argv[3], std::ios::binary);
  out << o.str();
  if (!out) {
    std::cerr << "corvesta-modconv: cannot write " << argv[3] << "\n";
    return 1;
  }
  return 0;
}
