// Fuzz driver of the GIF reader and decoder: mutations of a seed corpus (the GIF files of the
// folders given, else seeds made here) are loaded, every frame decoded, the image written and read
// again. A failure must be the graphic-operation error, and never on reading what was written;
// anything else, a crash or a sanitizer report ends the run.
//   gif_fuzz [--seconds N] [--runs N] [--seed N] [DIR ...]
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "plotting/gif/cvGIF.h"
#include "plotting/gif/cvGIFErr.h"

namespace {

using TBytes = std::vector<uint8_t>;

TDib Picture(int32_t W, int32_t H, int32_t Bits, uint32_t Seed) {
  TDib D(W, H, Bits);
  std::mt19937 R(Seed);
  for (auto& Q : D.Palette) Q = TRGBQuad{uint8_t(R()), uint8_t(R()), uint8_t(R()), 0};
  const uint32_t N = 1u << Bits;
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) D.SetIndex(x, y, (x / 3 + y * (R() % 2)) % N);
  return D;
}

std::vector<TBytes> MadeSeeds() {
  std::vector<TBytes> S;
  TCvGIF G;
  G.AddFrame(Picture(23, 9, 8, 1));
  G.AddFrame(Picture(7, 13, 4, 2));
  G.AddFrame(Picture(5, 5, 1, 3));
  G.SetFrameDelay(G.FrameAt(1), 250);
  G.SetLooping(true);
  G.Data->Comment = {"seed"};
  G.FrameAt(2).Comment() = {"frame comment"};
  S.push_back(G.SaveToStream());
  G.FrameAt(0).Interlaced = true;  // data in file order, marked interlaced
  S.push_back(G.SaveToStream());
  TCvGIF One;
  One.AddFrame(Picture(64, 48, 8, 4));
  S.push_back(One.SaveToStream());
  return S;
}

bool IsGif(const std::filesystem::path& P) {
  std::string E = P.extension().string();
  for (char& c : E) c = char(std::tolower(static_cast<unsigned char>(c)));
  return E == ".gif";
}

}  // namespace

// One input: loaded, every frame decoded. True when it ended as the codec promises.
bool FuzzOne(const TBytes& In) {
  try {
    TCvGIF G;
    G.LoadFromStream(In);
    for (int32_t i = 0; i < G.FrameCount(); ++i) {
      try {
        G.FrameAt(i).Bitmap();
      } catch (const EInvalidGraphicOperation&) {
      }
    }
    if (G.FrameCount() > 0) {
      // What the reader accepted is written and must read again.
      const TBytes Out = G.SaveToStream();
      try {
        TCvGIF Again;
        Again.LoadFromStream(Out);
      } catch (const EInvalidGraphicOperation& X) {
        std::cerr << "gif_fuzz: the file written back is refused: " << X.what() << "\n";
        return false;
      }
    }
  } catch (const EInvalidGraphicOperation&) {
  } catch (const std::exception& X) {
    std::cerr << "gif_fuzz: unexpected failure: " << X.what() << "\n";
    return false;
  }
  return true;
}

int main(int argc, char** argv) {
  double Seconds = 10;
  long Runs = -1;
  uint32_t Seed = 1;
  std::vector<TBytes> Corpus;
  for (int i = 1; i < argc; ++i) {
    const std::string A = argv[i];
    if (A == "--seconds" && i + 1 < argc)
      Seconds = std::atof(argv[++i]);
    else if (A == "--runs" && i + 1 < argc)
      Runs = std::atol(argv[++i]);
    else if (A == "--seed" && i + 1 < argc)
      Seed = uint32_t(std::atol(argv[++i]));
    else
      for (const auto& E : std::filesystem::recursive_directory_iterator(A))
        if (E.is_regular_file() && IsGif(E.path())) {
          std::ifstream F(E.path(), std::ios::binary);
          Corpus.emplace_back(std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>());
        }
  }
  for (TBytes& S : MadeSeeds()) Corpus.push_back(std::move(S));
  std::mt19937 R(Seed);
  const auto Start = std::chrono::steady_clock::now();
  long N = 0;
  for (;; ++N) {
    if (Runs >= 0 && N >= Runs) break;
    if (Runs < 0 && std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count() > Seconds)
      break;
    TBytes In = Corpus[R() % Corpus.size()];
    const int Edits = 1 + int(R() % 8);
    for (int e = 0; e < Edits && !In.empty(); ++e) {
      const size_t At = R() % In.size();
      switch (R() % 6) {
        case 0: In[At] = uint8_t(R()); break;                       // a random byte
        case 1: In[At] ^= uint8_t(1u << (R() % 8)); break;          // a flipped bit
        case 2: In.resize(At); break;                               // cut short
        case 3: In.insert(In.begin() + long(At), uint8_t(R())); break;
        case 4: In.erase(In.begin() + long(At)); break;
        default: In[At] = std::array<uint8_t, 6>{0, 0xFF, 0x21, 0x2C, 0x3B, 0xF9}[R() % 6]; break;
      }
    }
    if (!FuzzOne(In)) {
      std::ofstream("gif_fuzz_failure.gif", std::ios::binary)
          .write(reinterpret_cast<const char*>(In.data()), std::streamsize(In.size()));
      std::cerr << "gif_fuzz: input kept in gif_fuzz_failure.gif after " << N << " runs\n";
      return 1;
    }
  }
  std::cout << "gif_fuzz: " << N << " inputs, no failure\n";
  return 0;
}
