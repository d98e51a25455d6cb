#include "app/cvTIFF.h"

#include <cstdio>

#include "foundation/cvFile.h"
#include "foundation/cvSayer.h"
#include "platform/FileErr.h"

namespace {

std::string Hex4(uint32_t V) {
  char B[8];
  std::snprintf(B, sizeof B, "%04X", V & 0xFFFF);
  return B;
}

// Reads 16-bit units, low byte first; running past the end is the input/output error.
class TUnitReader {
 public:
  explicit TUnitReader(std::FILE* F) : F_(F) {}
  uint16_t Word() {
    uint8_t B[2];
    if (std::fread(B, 1, 2, F_) != 2) throw EInOutError("Read beyond end of file");
    return static_cast<uint16_t>(B[0] | (B[1] << 8));
  }
  uint32_t DWord() {
    const uint32_t Lo = Word();
    return Lo | (static_cast<uint32_t>(Word()) << 16);
  }

 private:
  std::FILE* F_;
};

}  // namespace

void TTiffFile::InitFile(const std::string& FullName) {
  const std::string Full = ExpandFileName(FullName);
  std::string Dir, Bare, Ext;
  SplitPath(Full, Dir, Bare, Ext);
  Init(Dir, Bare + Ext);
}

void TTiffFile::Init(const std::string& FolderName, const std::string& Name) {
  ByteOrder = Version = 0;
  IFDOffset = 0;
  TagCount = 0;
  Width = Height = BitsPerSample = DataLength = DataOffset = 0;
  Tags.clear();
  FileName = Name;
  Folder = FolderName;
  Report.clear();
  if (!Folder.empty() && !platform::IsDirectory(Folder)) {
    Report = "TiffDef.Init directory <" + Folder + "> Not Exist!";
    WARNAbs(Report);
    return;
  }
  const std::string Path = Folder.empty() ? FileName : PathJoin(Folder, FileName);
  if (!platform::IsRegularFile(Path)) {
    Report = "TiffDef.Init file <" + Path + "> Not Found!";
    WARNAbs(Report);
    return;
  }
  std::FILE* F = std::fopen(platform::SysPath(Path).c_str(), "rb");
  if (!F) throw EInOutError("File access denied");
  try {
    TUnitReader R(F);
    ByteOrder = R.Word();
    Version = R.Word();
    IFDOffset = R.DWord();
    TagCount = R.Word();
    for (int32_t i = 0; i < TagCount; ++i) {
      TTiffTag T;
      T.Tag = R.Word();
      T.Type = R.Word();
      T.Count = R.DWord();
      T.Value = R.DWord();
      Tags.push_back(T);
    }
  } catch (...) {
    std::fclose(F);
    throw;
  }
  std::fclose(F);
  for (const TTiffTag& T : Tags) {
    switch (T.Tag) {
      case 256: Width = T.Value; break;
      case 257: Height = T.Value; break;
      case 258: BitsPerSample = T.Value; break;
      case 273: DataOffset = T.Value; break;
      case 279: DataLength = T.Value; break;
      default: break;
    }
  }
  const std::string CRLF = "\r\n";
  if (ByteOrder != 0x4949) Report += CRLF + "byteOrder = $" + Hex4(ByteOrder) + " <> usual $4949!";
  if (Version != 42) Report += CRLF + "TIFF Version = $" + Hex4(Version) + " <> usual $002A (=42)!";
  if (IFDOffset != 8)
    Report += CRLF + "Offset of the first IFD structure = " + std::to_string(IFDOffset) +
              " <> usual value=8!";
  if (TagCount < 15)
    Report += CRLF + "Number of Tags = " + std::to_string(TagCount) +
              " may be unusualy small (<19)!";
  if (!Width) Report += CRLF + "Tag $0100 (image width) Not defined!";
  if (!Height) Report += CRLF + "Tag $0101 (image height) Not defined!";
  if (!BitsPerSample) Report += CRLF + "Tag $0102 (bits per pixel) Not defined!";
  if (!DataOffset) Report += CRLF + "Tag $0111 (initial Data Offset) Not defined!";
  if (!DataLength) Report += CRLF + "Tag $0117 (Data Length) Not defined!";
}
