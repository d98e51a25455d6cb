// The Models tab's headless side: the model files of "MODS\" registered in the table of models
// (read by the model-file reader's rules), the selector lists of the two drawing rows, the view
// window and the mouse mapping of the picture, the "#MG" description of a drawing, and the model
// word of "#MOD".
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TcvTable;
class TJob;
class TLVEMO;
class TPhysParamList;

// What the registration reads of a model file.
struct TModFileInfo {
  std::string FileName;  // without folder and extension
  std::string ModName;   // the word after "МОДЕЛЬ", else the file name
  bool HasYear = false;
  double Year = 0;  // the first of January of the year the name ends in (day number)
  std::string Description, ModRef;
  int32_t NCol = 0, NLay = 0;
};
// Reads the head of a model file: a first line holding "МОДЕЛЬ" (in 1251, UTF-8 or DOS 866 text)
// names the model, its next two lines are description and reference; otherwise the comment
// lines ("!") give them. The counts follow "COLUMNS"/"КОЛОНОК" and the next line's label
// ("LAYERS", "СТРОК"). False with Err when the file cannot be read or a count is no integer.
bool ReadModelFileInfo(const std::string& Path, TModFileInfo& Info, std::string& Err);

// The registration: every "*.mel" file of Folder whose file name is not yet among the records of
// kind "S" of Table gets a record (one transaction on Table's connection; a cancel or failure
// rolls it back). Files gets the folder's file names (sorted); Msgs the conditional messages.
// Returns the number of records added or updated.
int32_t RegisterSourceModels(TJob& Job, TcvTable& Table, const std::string& Folder,
                             std::vector<std::string>& Files, std::vector<std::string>& Msgs);

// The settings of the two rows and the depth-scale quantity.
struct TModSelSettings {
  std::string sMod, FMOD, Name, SID;
  std::string sMod2, FMOD2, Name2, SID2;
  std::string NameX;
};
// One selector's items (the first " ") and the item to select (-1: none).
struct TModCombo {
  std::vector<std::string> Items;
  int32_t Index = 0;
};
struct TModSelectors {
  TModCombo SMod, FMOD, Name, SID, SMod2, FMOD2, Name2, SID2, NameX;
};
TModSelectors ModelSelectorLists(const TLVEMO& K, const TModSelSettings& S);

// The view window of the picture.
struct TModView {
  double XL = 1.5, XR = -8.6, YMin = 0, YMax = 1;
  double X0 = 0, X1 = 1, Y0 = 0, Y1 = 1;
};
// The view from the quantities' first display scales ("VEMONAME", "VEMONAMEX").
TModView ModelViewScales(const TPhysParamList& L, const std::string& Name,
                         const std::string& NameX);
// The plot's X and Y at pixel (x, y) of a W x H image.
void ModelMouseXY(const TModView& V, int32_t x, int32_t y, int32_t W, int32_t H, double& X,
                  double& Y);

// One drawing row of the Models tab.
struct TModDrawRow {
  std::string Model, FMOD, Name, SID, Mark;
  int32_t Color = 15;
};
// The "#MG" description of the rows that draw (model and FMOD not empty); empty with Msg when a
// drawing row's quantity has no first display scale.
std::vector<std::string> ModelDrawDescr(const TPhysParamList& L, const std::vector<TModDrawRow>& Rows,
                                        const std::string& XL, const std::string& XR,
                                        const std::string& NameX, std::string& Msg);

// "#MOD"'s value with its model word (the second word, the only one when it has one) replaced
// everywhere by Name.
std::string ReplaceModWord(const std::string& Value, const std::string& Name);
