// A fresh model layer with a calculation context of its own: the parameter list and the
// conversion rules read from the bundled files (data/SYS), the output grids from data/GEDA, the
// model files from a temporary root (or the bundled data/ root), reading errors recorded.
#pragma once
#include <map>
#include <string>

#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvCont.h"
#include "models/vectors/cvConv.h"
#include "models/vectors/cvLVemo.h"
#include "models/vectors/cvVePa.h"
#include "models/vectors/cvVemo.h"
#include "models/support/ModelsEnv.h"

namespace testsupport {

class VectorsEnv : public ModelsEnv {
 public:
  enum TRoot { kTempRoot, kBundledRoot };

  explicit VectorsEnv(TRoot Root = kTempRoot) : cscope(cctx) {
    const std::string data = SourceRoot() + "/data/";
    files = {{"VEMO", data + "SYS/vemo.txt"},
             {"SCALES", data + "SYS/scales.txt"},
             {"REPORT", data + "SYS/report.txt"},
             {"CONVERT", data + "SYS/convert.txt"},
             {"ROUT", data + "GEDA/ROUT.txt"}};
    Models().DirOf.Install(
        [this](const std::string&, const std::string& F) { return files[F]; });
    Models().OpenAt.Install(
        [this](const std::string&, const std::string& File, int32_t Line, int32_t Pos) {
          errFile = File;
          errLine = Line;
          errPos = Pos;
        });
    if (Root == kBundledRoot) Models().Root.Install([data] { return data; });
    LoadVectorLists(cctx);
  }

  TLVEMO& K() { return *cctx.LVEMO; }
  // A vector on grid 1, the grid's depth vector X made first.
  TVEMO* Init1(const std::string& MOD, const std::string& NAME, const std::string& sIdV = "") {
    K().InitVEMO(MOD, "X", "", 1);
    return K().InitVEMO(MOD, NAME, sIdV, 1);
  }
  // Writes MODS/<Name>.mel below the temporary root.
  void Model(const std::string& Name, const std::string& Text) { Write("MODS/" + Name + ".mel", Text); }

  std::map<std::string, std::string> files;
  std::string errFile;
  int32_t errLine = 0, errPos = 0;
  TOwnCalcContext cctx;
  TCalcScope cscope;
};

}  // namespace testsupport
