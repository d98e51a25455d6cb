// Model files (".mel"): a text table with one column per quantity and one row per depth layer,
// read into the keeper as the model's source vectors on grid 0; table models read into a list
// of their own.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvCIL.h"
#include "foundation/cvTy.h"

class TVEMO;

// The model file: root "PROJ" = the project folder, any other (empty = "APP") the application
// root; folder empty = "MODS"; name + ".mel". A missing file warns and gives "*" + the name.
std::string ModelFName(const std::string& Root, const std::string& Folder,
                       const std::string& Name);
// Opens the file and reads the header up to the first data row; Reader is left there. Names
// gets the column keys in order; FirstLine is the number of the first data row's line.
void Load_Model(TCIL& Reader, std::vector<std::string>& Names, const std::string& File,
                int32_t& Rows, int32_t& Columns, int32_t& FirstLine);
// Column (1-based) of every row into a new 1-based array.
void ReadModelColumn(TCIL& Reader, TARe& Values, int32_t FirstLine, int32_t Column, int32_t Rows);
// A model file as a list of vectors outside the keeper (table models).
void LoadModelList(const std::string& Root, const std::string& Folder, const std::string& MOD,
                   std::vector<std::unique_ptr<TVEMO>>& List, const std::string& File);
