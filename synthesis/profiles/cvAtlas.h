// Solar-atlas windows as observed profiles: the atlas group's field texts and their presets per
// atlas kind, the checks that turn them into a window and a file, the readers of the atlas text
// files (one intensity column; the centre-to-limb file's ten cosines) and the text dump.
//
// The group's work is split so that a cancelled load changes nothing: the fields are checked
// first (AtlasCheckFields), the file is read (a job may do it), and only then the working
// variator gets the atlas keys and the profiles are made (AtlasApplyVariator, AtlasSetUN).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TJob;
class TStringList;
class TUNNO;

// The texts of the atlas group's controls (as typed), with their start values.
struct TAtlasForm {
  std::string Kind = "CLV";
  std::string Line;
  std::string Lams = "5575.5 5576.5";
  std::vector<std::string> LamsItems;
  std::string FNamTpl = "clv-ss3-v1.txt";
  std::string ColLam = "1", ColRI = "2", ColCorrect = "0";
  std::string DLam = "400";
  std::string CTeta = "1";
  std::vector<std::string> CTetaItems = {"1",   "0.9", "0.8", "0.7", "0.6", "0.5",
                                         "0.4", "0.3", "0.2", "0.1", "0.1-1"};
  std::string Path = "ATLAS\\2017_Dorvell";
  std::string Quest = "Atlas";
  std::string NSkip = "3";
  std::string WmDLam = "300", WpDLam = "300";
  std::string ObsCase = "cold";
  bool ObsCaseVisible = true;
  std::string ObsCaseName = "ColdUmbra";
  std::string NjuStep = "50";
  std::string LambdaNju = "LAMBDA";
  int32_t KLamNjuIndex = 0;  // item of AtlasKLamNjuItems
  std::string KLamNju = "1.0002766";
  bool UsenAir = false;
  // The field a failed check names (the control to focus): "edAtlasNSkip", "cbCTeta", ...
  std::string Focus;
};

// The items of the wavelength-correction list (the first word of each is its factor).
const std::vector<std::string>& AtlasKLamNjuItems();

// Presets of a new atlas kind ("CLV", "Spot", "Vorn69"; other texts change nothing).
void AtlasKindChange(TAtlasForm& F);
// The CLV file's correction column for the chosen cosine (kind CLV only).
void AtlasCTetaChange(TAtlasForm& F);
// The Spot columns and correction by wavelength (kind Spot only).
void AtlasSetSpotCaseByLam(TAtlasForm& F, double Lam);
// "hot" / "cold" chosen: its name, correction item and columns.
void AtlasObsCaseChange(TAtlasForm& F);
// A narrow range typed (kind Spot): the Spot case of its middle.
void AtlasLamsChange(TAtlasForm& F);

// The window, the file and the keys a load puts into the working variator.
struct TAtlasPlan {
  std::string Line;     // the line text of the profiles (an id, or "l1_l2")
  bool HasLine = false; // a line id was given (its LoadLins ran)
  bool AllCos = false;  // "0.1-1": the ten cosines of the CLV file
  std::string CosText;  // the cosine as typed ("1" in all-cosines mode); empty: none
  double Cos = -1;      // -1: none
  bool Spot = false;
  std::string ObsName;  // Spot: the observation point's name
  double Centre = 0, L1 = 0, L2 = 0;
  double K = 1;             // wavelength factor (air index times correction)
  double WmDL = 0, WpDL = 0;  // width limits from the centre, A
  bool Nju = false;         // the X column holds wavenumbers
  double Lower = 0, Upper = 0;
  int32_t NSkip = 0, ColLam = 1, ColRI = 2, ColCorrect = 0;
  std::string File;
};
// The checks of the fields in order (each failing one warns, names its field in F.Focus and
// gives false). LoadLine loads a line id into the calculation state and gives its wavelength
// (false when it is not found). Root is the application root.
using TAtlasLineLoader = bool (*)(const std::string& Id, double& Lam);
bool AtlasCheckFields(TAtlasForm& F, const std::string& Root, TAtlasLineLoader LoadLine,
                      TAtlasPlan& P);

// What was read: the wavelengths (ascending) and one intensity array (ten for the CLV file,
// cosine 1 first).
struct TAtlasData {
  std::vector<double> Lam;
  std::vector<std::vector<double>> I;
};
// The readers (Job may be null; a cancel ends the reading with false). A missing word or a bad
// number warns with the file and line and gives false.
bool ReadAtlasColumns(TJob* Job, const TAtlasPlan& P, TAtlasData& D);
bool ReadCLVAtlas(TJob* Job, const TAtlasPlan& P, TAtlasData& D);
// The text dump: "файл=<...> строки от N до M" and the lines of the window as they stand.
bool AtlasDump(TJob* Job, const TAtlasPlan& P, std::vector<std::string>& Lines);

// The working variator fitted to the atlas quest and step (a new one when it is another).
void EnsureAtlasVariator(const std::string& Quest, int32_t Step);
// The atlas keys of a load put into the working variator and its combination chosen.
void AtlasApplyVariator(const TAtlasPlan& P, int32_t Step, const std::string& Quest);
// One loaded profile made as the atlas loader makes it (not yet in the list). Lam0 is the
// calculation state's wavelength (0: the middle point's).
std::unique_ptr<TUNNO> AtlasSetUN(const std::string& Quest, const std::string& LineText,
                                  const std::vector<double>& I, const std::vector<double>& L,
                                  double WpDL, double WmDL, double Mju, double Lam0);

// The line loader of the checks: LoadLins of the id into the calculation state, its wavelength.
bool AtlasLoadLine(const std::string& Id, double& Lam);
// "Load" before its reading: the state's wavelength reset, the fields checked (the state's
// cosine set); false after the check's warning.
bool AtlasPrepare(TAtlasForm& F, const std::string& Root, TAtlasPlan& P);
// The reading of a load: the ten cosines of the CLV file or one column. A window of fewer than
// 2 points warns and gives false.
bool AtlasRead(TJob* Job, const TAtlasPlan& P, TAtlasData& D);
// After a successful reading: the atlas keys into the working variator (step Step of the
// quest) and the profiles made, cosine 1 first in all-cosines mode.
std::vector<std::unique_ptr<TUNNO>> AtlasMake(const TAtlasPlan& P, const TAtlasData& D,
                                              int32_t Step, const std::string& Quest);
