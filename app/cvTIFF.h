// The header and first directory of a TIFF file: picture size, bit depth and data location.
// No pixels are read.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TTiffTag {
  uint16_t Tag = 0;
  uint16_t Type = 0;
  uint32_t Count = 0;
  uint32_t Value = 0;
};

class TTiffFile {
 public:
  std::string FileName;  // name without folder
  std::string Folder;
  std::string Report;    // the problems found, each after a CR LF
  uint16_t ByteOrder = 0;
  uint16_t Version = 0;
  uint32_t IFDOffset = 0;
  int32_t TagCount = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint32_t BitsPerSample = 0;
  uint32_t DataLength = 0;
  uint32_t DataOffset = 0;
  std::vector<TTiffTag> Tags;

  // Expands the name, splits it into folder and name, then Init.
  void InitFile(const std::string& FullName);
  // Reads the header and the directory; a read error raises EInOutError.
  void Init(const std::string& Folder, const std::string& Name);
};
