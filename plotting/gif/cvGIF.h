// The GIF image: frames with their delays, positions, transparency, disposal and comments, the
// logical screen, looping, reading and writing GIF 87a/89a streams with their LZW data. Plain
// C++ over the in-memory bitmap TDib; a frame holds a bitmap, encoded data or both: a bitmap is
// decoded on first use, encoded data are made at the first write and kept (a later change of the
// bitmap is written only after ResetData). Encoded and image data are shared between images and
// frames assigned from one another.
//
// Failures raise EInvalidGraphicOperation with a message for the case; damaged data load with the
// frame marked Corrupted. Decoding and encoding report progress to OnProgress and, inside a job,
// to the job (Step); cancelling the job aborts with EGraphicAbort, an encoding then leaves the
// frame's encoded data as they were.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plotting/gif/cvDib.h"
#include "plotting/gif/cvGIFGradient.h"

class TCvGIF;

// Entry count (0: no table) and 256 entries red, green, blue.
struct TGIFColorTable {
  uint32_t Count = 0;
  std::array<std::array<uint8_t, 3>, 256> Entries{};
  TColor Color(uint32_t I) const {
    return Entries[I][0] | (Entries[I][1] << 8) | (uint32_t(Entries[I][2]) << 16);
  }
  // First entry of exactly that colour; -1 when none (clNone never matches).
  int32_t IndexOf(TColor C) const;
};

// The data of a whole image.
struct TGIFData {
  std::vector<std::string> Comment;
  uint8_t Aspect = 0;
  uint8_t GlobalBits = 0;       // 1..8 (0 before a table exists)
  uint8_t ColorResolution = 0;  // 1..8
  TGIFColorTable Global;
};

// The encoded data of one frame: the minimum code size, the data sub-blocks and the terminator
// exactly as in the file.
struct TGIFItem {
  std::vector<uint8_t> Encoded;
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t Packed = 0;
  uint8_t Bits = 0;  // 1..8
  TGIFColorTable Table;
};

enum TGIFExtensionKind : uint8_t { ekGraphicControl = 0, ekPlainText = 1, ekApplication = 2, ekComment = 3 };

// One extension block kept with a frame: the fixed bytes after the label (graphic control: block
// size, packed, delay low, delay high, transparent index, terminator) and one line per sub-block.
struct TExtension {
  TGIFExtensionKind Kind = ekComment;
  std::vector<uint8_t> Fixed;
  std::vector<std::string> Lines;
};

enum class TGIFProgressStage { Starting, Running, Ending };

class TGIFFrame {
 public:
  explicit TGIFFrame(TCvGIF* Owner);
  TGIFFrame(const TGIFFrame&) = delete;
  TGIFFrame& operator=(const TGIFFrame&) = delete;

  TCvGIF* Owner;
  std::unique_ptr<TDib> BitmapData;  // decoded picture, made on demand
  std::shared_ptr<TGIFItem> Item;
  std::vector<TExtension> Extensions;
  int32_t Left = 0;
  int32_t Top = 0;
  bool Interlaced = false;
  bool Corrupted = false;
  bool Grayscale = false;
  TColor TransparentColor = clNone;
  uint16_t Delay = 0;  // milliseconds
  uint8_t Disposal = 0;
  bool LocalTable = false;

  // A fresh item; flags, position, delay, disposal and transparency back to their defaults.
  void ResetData();
  // The bitmap replaced by an empty one.
  void ResetBitmap();
  // The bitmap, decoded from the encoded data when there is none yet.
  TDib& Bitmap();
  bool HasBitmap() const { return BitmapData && !BitmapData->Empty(); }
  bool HasEncoded() const { return Item && !Item->Encoded.empty(); }
  int32_t Width();
  int32_t Height();
  // The lines of the frame's (last) comment extension, made on first use.
  std::vector<std::string>& Comment();

  void Assign(const TGIFFrame& Source);
  void Assign(const TCvGIF& Source);
  // A picture: its transparent colour (when Transparent) becomes the frame's.
  void Assign(const TDib& Source);
  void AssignNone();
  // The frame's bitmap into a picture (transparent when the frame has a transparent colour).
  void AssignTo(TDib& Dest);

  // ---- stream side ----
  // The frame as a Windows bitmap file in memory.
  std::vector<uint8_t> DecodeToDIB();
  // Decodes the encoded data into Out (a new picture of the frame's size).
  void DecodeInto(TDib& Out);
  // Makes the encoded data from the bitmap (reduced to 8 bits when it is not 1, 4 or 8 bits).
  void Encode();
  // The graphic-control extension brought in line with delay, transparency and disposal.
  void SyncControlExtension();
};

class TCvGIF {
 public:
  TCvGIF();
  TCvGIF(const TCvGIF&) = delete;
  TCvGIF& operator=(const TCvGIF&) = delete;
  ~TCvGIF();

  std::shared_ptr<TGIFData> Data;
  uint8_t Version = 0;  // 0 none, 1 "87a", 2 "89a"
  std::vector<std::unique_ptr<TGIFFrame>> Frames;
  int32_t CurrentFrame = -1;
  uint16_t ScreenWidth = 0;
  uint16_t ScreenHeight = 0;
  TColor BackgroundColor = clNone;
  bool Looping = false;
  uint16_t RepeatCount = 1;
  // The framework's Transparent property (true for a new image).
  bool Transparent = true;

  // Called on every change of the image.
  std::function<void()> OnChange;
  // Progress of decoding and encoding: stage, percent, message (the error's on failure).
  std::function<void(TGIFProgressStage, int32_t, const std::string&)> OnProgress;

  void Clear();
  int32_t FrameCount() const { return int32_t(Frames.size()); }
  TGIFFrame& FrameAt(int32_t I) { return *Frames.at(size_t(I)); }
  // A new frame taking the picture, made current; result: its index.
  int32_t AddFrame(const TDib& Picture);
  void SetLooping(bool On);
  void SetRepeatCount(uint16_t Count);  // at most 30000
  void SetFrameDelay(TGIFFrame& Frame, uint16_t Milliseconds);

  // The GIF stream from the data's start to its end (the first frame decoded).
  void LoadFromStream(const std::vector<uint8_t>& Stream);
  std::vector<uint8_t> SaveToStream();
  // The same with a 4-byte little-endian size ahead (property streaming, clipboard).
  void ReadData(const std::vector<uint8_t>& Stream);
  std::vector<uint8_t> WriteData();
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  bool GetTransparent() const;
  bool GetEmpty() const;
  // The palette of the current frame's bitmap (Bitmap()); none (empty) when there are no frames
  // or the bitmap has no palette.
  std::vector<TRGBQuad> GetPalette();
  int32_t GetWidth();
  int32_t GetHeight();
  // The current frame's bitmap (frame 0 when the index is outside); without frames an empty
  // frame is made.
  TDib& Bitmap();
  // Always fail: the size of a GIF image cannot be changed.
  [[noreturn]] void SetWidth(int32_t);
  [[noreturn]] void SetHeight(int32_t);
  bool Equals(const TCvGIF& Other) const { return Data == Other.Data; }

  void Assign(const TCvGIF& Source);
  void Assign(const TGIFFrame& Source);
  void Assign(const TDib& Source);
  void AssignNone();
  void AssignTo(TDib& Dest);

  // The clipboard: the "GIF Image" data (size prefix and stream; empty when a frame was never
  // encoded) and frame 0's bitmap.
  struct TClipboardData {
    std::vector<uint8_t> GifImage;
    TDib Bitmap;
  };
  TClipboardData SaveToClipboardFormat();
  // From "GIF Image" data (with size prefix, not decoded) and the clipboard's bitmap, when any:
  // frame 0 gets the bitmap. Without GIF data the bitmap is assigned.
  void LoadFromClipboardFormat(const std::vector<uint8_t>* GifImage, const TDib* Bitmap);

  // The screen size covers every frame (0 without frames).
  void UpdateScreenSize();

  // ---- stream side ----
  void ReadGIFStream(const uint8_t* Data, size_t Size, bool DecodeFirst);
  std::vector<uint8_t> WriteGIFStream(bool WithSize);

  // Progress to OnProgress and the calling thread's job; false when the job is cancelled.
  bool Progress(TGIFProgressStage Stage, int32_t Percent, const std::string& Message);
  void Changed();

  // Default reduction method of frames that must be reduced.
  static inline TReductionMethod DefaultReduction = rmHistogram;
};

// The clipboard format's name.
inline const char* const kGifClipboardFormat = "GIF Image";
