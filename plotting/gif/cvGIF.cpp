#include "plotting/gif/cvGIF.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "foundation/cvJob.h"
#include "plotting/gif/cvGIFErr.h"

int32_t TGIFColorTable::IndexOf(TColor C) const {
  if (C == clNone) return -1;
  for (uint32_t i = 0; i < Count && i < 256; ++i)
    if (Color(i) == (C & 0xFFFFFF)) return int32_t(i);
  return -1;
}

// ---- frame ----

TGIFFrame::TGIFFrame(TCvGIF* O) : Owner(O) { ResetData(); }

void TGIFFrame::ResetData() {
  Item = std::make_shared<TGIFItem>();
  Grayscale = Corrupted = false;
  TransparentColor = clNone;
  Left = Top = 0;
  Interlaced = false;
  LocalTable = false;
  Delay = 0;
  Disposal = 0;
}

void TGIFFrame::ResetBitmap() { BitmapData = std::make_unique<TDib>(); }

TDib& TGIFFrame::Bitmap() {
  if (HasBitmap()) return *BitmapData;
  BitmapData = std::make_unique<TDib>();
  if (HasEncoded()) {
    TDib D;
    DecodeInto(D);
    *BitmapData = std::move(D);
  }
  return *BitmapData;
}

int32_t TGIFFrame::Width() {
  if (!HasBitmap() && !HasEncoded()) return 0;
  return Bitmap().Width;
}

int32_t TGIFFrame::Height() {
  if (!HasBitmap() && !HasEncoded()) return 0;
  return Bitmap().Height;
}

std::vector<std::string>& TGIFFrame::Comment() {
  for (auto it = Extensions.rbegin(); it != Extensions.rend(); ++it)
    if (it->Kind == ekComment) return it->Lines;
  Extensions.push_back(TExtension{ekComment, {}, {}});
  return Extensions.back().Lines;
}

void TGIFFrame::AssignNone() {
  ResetData();
  BitmapData.reset();
  if (Owner) Owner->UpdateScreenSize();
}

void TGIFFrame::Assign(const TGIFFrame& S) {
  if (&S == this) return;
  Item = S.Item;
  LocalTable = (S.Owner == Owner) ? S.LocalTable : true;
  Left = S.Left;
  Top = S.Top;
  Interlaced = S.Interlaced;
  if (S.BitmapData)
    BitmapData = std::make_unique<TDib>(*S.BitmapData);
  else
    BitmapData.reset();
  TransparentColor = S.TransparentColor;
  Delay = S.Delay;
  Disposal = S.Disposal;
  Grayscale = S.Grayscale;
  Corrupted = S.Corrupted;
  for (auto it = S.Extensions.rbegin(); it != S.Extensions.rend(); ++it)
    if (it->Kind == ekComment) {
      if (!it->Lines.empty()) Comment() = it->Lines;
      break;
    }
  if (Owner) Owner->UpdateScreenSize();
}

void TGIFFrame::Assign(const TCvGIF& S) {
  if (S.Frames.empty()) {
    AssignNone();
    return;
  }
  const int32_t I = S.CurrentFrame < 0 ? 0 : S.CurrentFrame;
  Assign(*S.Frames.at(size_t(I)));
}

void TGIFFrame::Assign(const TDib& S) {
  if (S.Empty()) {
    AssignNone();
    return;
  }
  ResetData();
  BitmapData = std::make_unique<TDib>(S);
  if (S.Transparent) TransparentColor = S.ResolvedTransparentColor();
  if (Owner) Owner->UpdateScreenSize();
}

void TGIFFrame::AssignTo(TDib& D) {
  D = Bitmap();
  if (TransparentColor != clNone) {
    D.TransparentColor = TransparentColor;
    D.Transparent = true;
  }
}

// ---- image ----

TCvGIF::TCvGIF() { Clear(); }
TCvGIF::~TCvGIF() { OnChange = nullptr; }

void TCvGIF::Clear() {
  Data = std::make_shared<TGIFData>();
  Frames.clear();
  CurrentFrame = -1;
  BackgroundColor = clNone;
  RepeatCount = 1;
  Looping = false;
  Version = 0;
  ScreenWidth = ScreenHeight = 0;
}

void TCvGIF::Changed() {
  if (OnChange) OnChange();
}

int32_t TCvGIF::AddFrame(const TDib& Picture) {
  Frames.push_back(std::make_unique<TGIFFrame>(this));
  CurrentFrame = FrameCount() - 1;
  Frames.back()->Assign(Picture);
  if (Version == 0) Version = 1;
  if (FrameCount() > 1) Version = 2;
  return CurrentFrame;
}

void TCvGIF::SetLooping(bool On) {
  if (Looping == On) return;
  Looping = On;
  Changed();
}

void TCvGIF::SetRepeatCount(uint16_t Count) {
  const uint16_t V = std::min<uint16_t>(Count, 30000);
  if (RepeatCount == V) return;
  RepeatCount = V;
  Changed();
}

void TCvGIF::SetFrameDelay(TGIFFrame& F, uint16_t Ms) {
  if (F.Delay == Ms) return;
  F.Delay = Ms;
  if (Ms != 0 && F.Owner) F.Owner->Version = 2;
  if (F.Owner) F.Owner->Changed();
}

void TCvGIF::UpdateScreenSize() {
  int64_t W = 0, H = 0;
  for (auto& F : Frames) {
    const int32_t FW = F->HasBitmap() ? F->BitmapData->Width : F->Item->Width;
    const int32_t FH = F->HasBitmap() ? F->BitmapData->Height : F->Item->Height;
    W = std::max<int64_t>(W, FW + F->Left);
    H = std::max<int64_t>(H, FH + F->Top);
  }
  ScreenWidth = uint16_t(std::min<int64_t>(W, 65535));
  ScreenHeight = uint16_t(std::min<int64_t>(H, 65535));
}

void TCvGIF::LoadFromStream(const std::vector<uint8_t>& S) { ReadGIFStream(S.data(), S.size(), true); }

std::vector<uint8_t> TCvGIF::SaveToStream() { return WriteGIFStream(false); }

void TCvGIF::ReadData(const std::vector<uint8_t>& S) {
  if (S.size() < 4) throw EInvalidGraphicOperation("GIF data are missing their size");
  const uint32_t N = S[0] | (S[1] << 8) | (S[2] << 16) | (uint32_t(S[3]) << 24);
  ReadGIFStream(S.data() + 4, std::min<size_t>(N, S.size() - 4), true);
}

std::vector<uint8_t> TCvGIF::WriteData() { return WriteGIFStream(true); }

void TCvGIF::LoadFromFile(const std::string& FileName) {
  std::ifstream F(FileName, std::ios::binary);
  if (!F) throw EInvalidGraphicOperation("Cannot open the file " + FileName);
  std::vector<uint8_t> S((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  LoadFromStream(S);
}

void TCvGIF::SaveToFile(const std::string& FileName) {
  const std::vector<uint8_t> S = SaveToStream();
  const std::string Tmp = FileName + ".tmp";
  {
    std::ofstream F(Tmp, std::ios::binary | std::ios::trunc);
    F.write(reinterpret_cast<const char*>(S.data()), std::streamsize(S.size()));
    if (!F) {
      std::remove(Tmp.c_str());
      throw EInvalidGraphicOperation("Cannot write the file " + FileName);
    }
  }
  if (std::rename(Tmp.c_str(), FileName.c_str()) != 0) {
    std::remove(Tmp.c_str());
    throw EInvalidGraphicOperation("Cannot write the file " + FileName);
  }
}

bool TCvGIF::GetTransparent() const {
  if (!Transparent) return false;
  for (auto& F : Frames)
    if (F->TransparentColor != clNone) return true;
  return false;
}

std::vector<TRGBQuad> TCvGIF::GetPalette() {
  if (Frames.empty()) return {};
  return Bitmap().Palette;
}

bool TCvGIF::GetEmpty() const {
  if (Frames.empty()) return true;
  const TGIFFrame& F = *Frames[size_t(std::clamp(CurrentFrame, 0, FrameCount() - 1))];
  if (F.HasBitmap()) return false;
  return !F.HasEncoded();
}

int32_t TCvGIF::GetWidth() {
  if (GetEmpty() || CurrentFrame < 0 || CurrentFrame >= FrameCount()) return 0;
  return Frames[size_t(CurrentFrame)]->Bitmap().Width;
}

int32_t TCvGIF::GetHeight() {
  if (GetEmpty() || CurrentFrame < 0 || CurrentFrame >= FrameCount()) return 0;
  return Frames[size_t(CurrentFrame)]->Bitmap().Height;
}

TDib& TCvGIF::Bitmap() {
  if (!Frames.empty()) {
    const int32_t I = (CurrentFrame < 0 || CurrentFrame >= FrameCount()) ? 0 : CurrentFrame;
    return Frames[size_t(I)]->Bitmap();
  }
  CurrentFrame = 0;
  Frames.push_back(std::make_unique<TGIFFrame>(this));
  Frames.back()->ResetBitmap();
  return *Frames.back()->BitmapData;
}

void TCvGIF::SetWidth(int32_t) {
  throw EInvalidGraphicOperation("The size of a GIF image cannot be changed");
}
void TCvGIF::SetHeight(int32_t) {
  throw EInvalidGraphicOperation("The size of a GIF image cannot be changed");
}

void TCvGIF::AssignNone() {
  Clear();
  Changed();
}

void TCvGIF::Assign(const TCvGIF& S) {
  if (&S == this) return;
  Data = S.Data;
  Version = S.Version;
  BackgroundColor = S.BackgroundColor;
  RepeatCount = S.RepeatCount;
  Looping = S.Looping;
  Frames.clear();
  for (auto& SF : S.Frames) {
    Frames.push_back(std::make_unique<TGIFFrame>(this));
    Frames.back()->Assign(*SF);
    Frames.back()->LocalTable = SF->LocalTable;
  }
  ScreenWidth = S.ScreenWidth;
  ScreenHeight = S.ScreenHeight;
  CurrentFrame = S.CurrentFrame;
  Changed();
}

void TCvGIF::Assign(const TGIFFrame& S) {
  // The source may belong to this image: keep it alive through the clear.
  const std::shared_ptr<TGIFData> SourceData = S.Owner ? S.Owner->Data : nullptr;
  TGIFFrame Copy(S.Owner);
  Copy.Assign(S);
  Clear();
  if (SourceData) {
    Data->Aspect = SourceData->Aspect;
    Data->GlobalBits = SourceData->GlobalBits;
    Data->ColorResolution = SourceData->ColorResolution;
    Data->Global = SourceData->Global;
  }
  Frames.push_back(std::make_unique<TGIFFrame>(this));
  Frames.back()->Assign(Copy);
  Frames.back()->LocalTable = true;
  CurrentFrame = 0;
  if (Version == 0) Version = 1;
  Changed();
}

void TCvGIF::Assign(const TDib& S) {
  Clear();
  AddFrame(S);
  Changed();
}

void TCvGIF::AssignTo(TDib& D) {
  if (GetEmpty()) {
    D = TDib();
    return;
  }
  if (CurrentFrame == -1)
    D = Bitmap();
  else
    Frames[size_t(std::min(CurrentFrame, FrameCount() - 1))]->AssignTo(D);
}

TCvGIF::TClipboardData TCvGIF::SaveToClipboardFormat() {
  TClipboardData R;
  if (Frames.empty()) return R;
  R.Bitmap = Frames[0]->Bitmap();
  for (auto& F : Frames)
    if (!F->HasEncoded()) return R;
  R.GifImage = WriteGIFStream(true);
  return R;
}

void TCvGIF::LoadFromClipboardFormat(const std::vector<uint8_t>* Gif, const TDib* Bmp) {
  if (Gif) {
    if (Gif->size() < 4) throw EInvalidGraphicOperation("GIF data are missing their size");
    const uint32_t N = (*Gif)[0] | ((*Gif)[1] << 8) | ((*Gif)[2] << 16) | (uint32_t((*Gif)[3]) << 24);
    ReadGIFStream(Gif->data() + 4, std::min<size_t>(N, Gif->size() - 4), false);
    if (!Frames.empty()) {
      CurrentFrame = 0;
      if (Bmp) Frames[0]->BitmapData = std::make_unique<TDib>(*Bmp);
    }
    return;
  }
  if (Bmp) Assign(*Bmp);
}

bool TCvGIF::Progress(TGIFProgressStage Stage, int32_t Percent, const std::string& Message) {
  if (OnProgress) OnProgress(Stage, Percent, Message);
  if (TJob* J = CurrentJob()) return J->Step(Percent, 100, Message) || Stage == TGIFProgressStage::Ending;
  return true;
}
