// The panel's glyph strips, drawn in code at their fixed sizes: switch buttons with an off and
// an on frame, and one-frame command buttons of the editor's table and column commands.
#include <cstring>
#include <functional>
#include <map>

#include "app/cvInf.h"

namespace {

using platform::TBitmap;

constexpr uint32_t Face = 0xE0E0E0;     // button face
constexpr uint32_t FaceOn = 0x9CE0A0;   // face of a switch that is on (light green)
constexpr uint32_t Light = 0xFFFFFF;
constexpr uint32_t Shadow = 0x808080;
constexpr uint32_t Ink = 0x000000;
constexpr uint32_t InkBlue = 0x800000;  // 0x00BBGGRR: navy
constexpr uint32_t InkRed = 0x0000C0;
constexpr uint32_t InkGreen = 0x008000;

// A 3 x 5 pixel font for the few letters the buttons carry.
const std::map<char, const char*>& TinyFont() {
  static const std::map<char, const char*> F = {
      {'0', "111101101101111"}, {'5', "111100111001111"}, {'6', "111100111101111"},
      {'A', "010101111101101"}, {'C', "011100100100011"}, {'D', "110101101101110"},
      {'E', "111100110100111"}, {'I', "111010010010111"}, {'L', "100100100100111"},
      {'N', "101111111111101"}, {'O', "010101101101010"}, {'P', "110101110100100"},
      {'R', "110101110101101"}, {'S', "011100010001110"}, {'T', "111010010010010"},
      {'V', "101101101101010"}, {'W', "101101111111101"}, {'X', "101101010101101"},
      {'#', "101111101111101"}, {'1', "010110010010111"}};
  return F;
}

struct TPainter {
  TBitmap& B;
  int32_t OX = 0;  // left edge of the frame being drawn
  void Px(int32_t X, int32_t Y, uint32_t C) { B.SetPixel(OX + X, Y, C); }
  void Fill(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t C) {
    for (int32_t y = Y1; y < Y2; ++y)
      for (int32_t x = X1; x < X2; ++x) Px(x, y, C);
  }
  void HLine(int32_t X1, int32_t X2, int32_t Y, uint32_t C) { Fill(X1, Y, X2 + 1, Y + 1, C); }
  void VLine(int32_t X, int32_t Y1, int32_t Y2, uint32_t C) { Fill(X, Y1, X + 1, Y2 + 1, C); }
  // A raised button over the frame W x H.
  void Button(int32_t W, int32_t H, uint32_t Bg) {
    Fill(0, 0, W, H, Bg);
    HLine(0, W - 1, 0, Light);
    VLine(0, 0, H - 1, Light);
    HLine(0, W - 1, H - 1, Shadow);
    VLine(W - 1, 0, H - 1, Shadow);
  }
  void Text(int32_t X, int32_t Y, const std::string& S, uint32_t C) {
    for (char Ch : S) {
      auto It = TinyFont().find(Ch);
      if (It != TinyFont().end())
        for (int32_t i = 0; i < 15; ++i)
          if (It->second[i] == '1') Px(X + i % 3, Y + i / 3, C);
      X += 4;
    }
  }
  // Text centred in a frame W x H.
  void CText(int32_t W, int32_t H, const std::string& S, uint32_t C) {
    const int32_t TW = static_cast<int32_t>(S.size()) * 4 - 1;
    Text((W - TW) / 2, (H - 5) / 2, S, C);
  }
  void ArrowLeft(int32_t X, int32_t Y, int32_t Len, uint32_t C) {
    HLine(X, X + Len, Y, C);
    for (int32_t i = 1; i <= 2; ++i) VLine(X + i, Y - i, Y + i, C);
  }
  void ArrowRight(int32_t X, int32_t Y, int32_t Len, uint32_t C) {
    HLine(X, X + Len, Y, C);
    for (int32_t i = 1; i <= 2; ++i) VLine(X + Len - i, Y - i, Y + i, C);
  }
  void TriUp(int32_t CX, int32_t Y, int32_t N, uint32_t C) {
    for (int32_t i = 0; i < N; ++i) HLine(CX - i, CX + i, Y + i, C);
  }
  void TriDown(int32_t CX, int32_t Y, int32_t N, uint32_t C) {
    for (int32_t i = 0; i < N; ++i) HLine(CX - (N - 1 - i), CX + (N - 1 - i), Y + i, C);
  }
  // A text column: a frame with rows of dashes.
  void Column(int32_t X, int32_t Y, int32_t W, int32_t H, uint32_t C) {
    HLine(X, X + W - 1, Y, C);
    HLine(X, X + W - 1, Y + H - 1, C);
    VLine(X, Y, Y + H - 1, C);
    VLine(X + W - 1, Y, Y + H - 1, C);
    for (int32_t y = Y + 2; y < Y + H - 2; y += 2) HLine(X + 2, X + W - 3, y, C);
  }
};

struct TGlyphDef {
  int32_t Width, Height, Frames;
  std::function<void(TPainter&, int32_t Frame, int32_t W, int32_t H)> Draw;
};

// A two-frame switch: frame 0 off, frame 1 on, each with its own label.
TGlyphDef Switch(int32_t W, int32_t H, const std::string& Off, const std::string& On) {
  return {W, H, 2, [Off, On](TPainter& P, int32_t F, int32_t FW, int32_t FH) {
            P.Button(FW, FH, F ? FaceOn : Face);
            P.CText(FW, FH, F ? On : Off, F ? InkGreen : Ink);
          }};
}

TGlyphDef One(int32_t W, int32_t H,
              std::function<void(TPainter&, int32_t, int32_t)> Body) {
  return {W, H, 1, [Body](TPainter& P, int32_t, int32_t FW, int32_t FH) {
            P.Button(FW, FH, Face);
            Body(P, FW, FH);
          }};
}

const std::map<std::string, TGlyphDef>& Glyphs() {
  static const std::map<std::string, TGlyphDef> G = {
      {"BMP06", Switch(32, 16, "06", "06")},
      {"BMPTEST", Switch(32, 16, "T", "T")},
      {"CURWD", Switch(62, 16, "WD", "WD")},
      {"EDIT", Switch(52, 16, "RO", "RW")},
      {"INSREP", Switch(44, 16, "OVR", "INS")},
      {"WINDOS", Switch(46, 16, "WIN", "DOS")},
      {"EDCANCEL",
       {36, 18, 2,
        [](TPainter& P, int32_t F, int32_t W, int32_t H) {
          P.Button(W, H, F ? FaceOn : Face);
          if (F) {  // no unsaved edits: a tick
            for (int32_t i = 0; i < 4; ++i) P.Fill(4 + i, 8 + i, 6 + i, 9 + i, InkGreen);
            for (int32_t i = 0; i < 7; ++i) P.Fill(8 + i, 11 - i, 10 + i, 12 - i, InkGreen);
          } else {  // edits: a cross (reload drops them)
            for (int32_t i = 0; i < 9; ++i) {
              P.Fill(4 + i, 4 + i, 6 + i, 5 + i, InkRed);
              P.Fill(12 - i, 4 + i, 14 - i, 5 + i, InkRed);
            }
          }
        }}},
      {"COLALIGN", One(14, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         for (int32_t y = 4; y <= 13; y += 3) P.HLine(3, 10, y, InkBlue);
                         P.VLine(3, 3, 14, Ink);
                       })},
      {"COLCOPY", One(10, 18,
                      [](TPainter& P, int32_t, int32_t) {
                        P.Column(1, 2, 6, 10, Ink);
                        P.Column(3, 6, 6, 10, InkBlue);
                      })},
      {"COLCOPYTR", One(10, 18,
                        [](TPainter& P, int32_t, int32_t) {
                          P.Column(1, 2, 6, 9, Ink);
                          P.Text(4, 12, "T", InkBlue);
                        })},
      {"COLCUT", One(13, 18,
                     [](TPainter& P, int32_t, int32_t) {
                       P.Column(4, 2, 5, 9, Ink);
                       for (int32_t i = 0; i < 5; ++i) {
                         P.Px(3 + i, 12 + i / 2, InkRed);
                         P.Px(9 - i, 12 + i / 2, InkRed);
                       }
                     })},
      {"COLLEFT", One(12, 18,
                      [](TPainter& P, int32_t, int32_t) {
                        P.Column(6, 3, 4, 12, Ink);
                        P.ArrowLeft(1, 9, 5, InkBlue);
                      })},
      {"COLNUM", One(14, 18, [](TPainter& P, int32_t W, int32_t H) { P.CText(W, H, "1#", InkBlue); })},
      {"COLPASTE", One(18, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.Fill(4, 4, 14, 15, 0x4080C0);
                         P.Fill(7, 2, 11, 5, Shadow);
                         P.Column(8, 7, 6, 9, Ink);
                       })},
      {"COLRIGHT", One(12, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.Column(2, 3, 4, 12, Ink);
                         P.ArrowRight(5, 9, 5, InkBlue);
                       })},
      {"COLSLICE", One(12, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.Column(2, 3, 8, 12, Ink);
                         P.VLine(6, 2, 15, InkRed);
                       })},
      {"COLSWAP", One(13, 18,
                      [](TPainter& P, int32_t, int32_t) {
                        P.ArrowRight(2, 6, 8, InkBlue);
                        P.ArrowLeft(2, 11, 8, InkBlue);
                      })},
      {"GRAPH", One(12, 18,
                    [](TPainter& P, int32_t, int32_t) {
                      P.VLine(2, 3, 14, Ink);
                      P.HLine(2, 10, 14, Ink);
                      const int32_t Ys[] = {12, 10, 7, 5, 6, 9, 11};
                      for (int32_t i = 0; i < 7; ++i) P.Px(3 + i, Ys[i], InkRed);
                    })},
      {"JMPXY", One(9, 18,
                    [](TPainter& P, int32_t, int32_t) {
                      P.VLine(4, 3, 13, InkBlue);
                      P.TriDown(4, 11, 3, InkBlue);
                    })},
      {"PULDNCOL", One(12, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.Column(2, 2, 8, 8, Ink);
                         P.TriDown(6, 12, 3, InkBlue);
                       })},
      {"PULDNGRP", One(12, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.Fill(2, 3, 10, 9, Shadow);
                         P.TriDown(6, 12, 3, InkBlue);
                       })},
      {"PULDNROW", One(12, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.HLine(2, 9, 4, Ink);
                         P.HLine(2, 9, 7, Ink);
                         P.TriDown(6, 12, 3, InkBlue);
                       })},
      {"SETX", One(12, 18, [](TPainter& P, int32_t W, int32_t H) { P.CText(W, H, "X", InkRed); })},
      {"SORTDN", One(11, 18,
                     [](TPainter& P, int32_t, int32_t) {
                       P.VLine(5, 3, 9, InkBlue);
                       P.TriDown(5, 10, 4, InkBlue);
                     })},
      {"SORTUP", One(11, 18,
                     [](TPainter& P, int32_t, int32_t) {
                       P.TriUp(5, 4, 4, InkBlue);
                       P.VLine(5, 8, 14, InkBlue);
                     })},
      {"TABBEGEND", One(13, 18,
                        [](TPainter& P, int32_t, int32_t) {
                          P.HLine(3, 9, 3, Ink);
                          P.HLine(3, 9, 14, Ink);
                          P.VLine(3, 3, 14, Ink);
                          P.VLine(9, 3, 14, Ink);
                          P.HLine(5, 7, 8, InkBlue);
                        })},
      {"TOOLGRA", One(12, 18,
                      [](TPainter& P, int32_t, int32_t) {
                        P.Fill(3, 3, 9, 9, InkBlue);
                        P.VLine(6, 9, 14, Ink);
                      })},
      {"XLEXPORT", One(14, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.Text(2, 3, "XL", InkGreen);
                         P.ArrowRight(2, 12, 9, InkBlue);
                       })},
      {"XLIMPORT", One(14, 18,
                       [](TPainter& P, int32_t, int32_t) {
                         P.Text(2, 3, "XL", InkGreen);
                         P.ArrowLeft(2, 12, 9, InkBlue);
                       })},
  };
  return G;
}

}  // namespace

std::unique_ptr<platform::TBitmap> InfGlyphBitmap(const std::string& Name) {
  // Resource names are matched without regard to letter case.
  std::string Key = Name;
  for (char& C : Key)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
  auto It = Glyphs().find(Key);
  if (It == Glyphs().end()) return nullptr;
  const TGlyphDef& D = It->second;
  auto B = std::make_unique<platform::TBitmap>(D.Width, D.Height);
  const int32_t FW = D.Width / D.Frames;
  for (int32_t f = 0; f < D.Frames; ++f) {
    TPainter P{*B, f * FW};
    D.Draw(P, f, FW, D.Height);
  }
  return B;
}
