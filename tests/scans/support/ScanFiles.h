// Small level-1 files written by the tests: cards as given, big-endian words, padding as asked.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "scans/cvFitsCard.h"

namespace scantest {

struct TFile {
  std::vector<std::string> Cards;  // without END
  std::vector<uint16_t> Words;
  bool End = true;
  bool PadHeader = true;  // blanks to the next 2880 bytes after END
  bool PadData = true;
  int64_t CutAt = -1;     // the file cut to this many bytes
};

// The keys of a level-1 file with NY slit pixels (NAXIS3 = 4), SPBSHFT and CDELT1 as given.
inline std::vector<std::string> Level1Cards(int32_t NY, int32_t Spbshft = 0,
                                            double Cdelt = 0.021549) {
  return {FITCardStr("SIMPLE", "T", ""),         FITCardI("BITPIX", 16, ""),
          FITCardI("NAXIS", 3, ""),              FITCardI("NAXIS1", 112, ""),
          FITCardI("NAXIS2", NY, ""),            FITCardI("NAXIS3", 4, ""),
          FITCardQ("DATE_OBS", "2019-06-22T16:45:05.000", ""),
          FITCardI("DATA_LEV", 1, ""),           FITCardRF("EXPTIME", 6, "", 4.8),
          FITCardI("SPBSHFT", Spbshft, ""),      FITCardI("NSLITPOS", 3, ""),
          FITCardI("SLITINDX", 0, ""),           FITCardI("SLITPOS", 0, ""),
          FITCardRF("XCEN", 8, "", -350),        FITCardRF("XSCALE", 8, "", 0.2972),
          FITCardRF("FOVX", 8, "", 0.9),         FITCardRF("YCEN", 8, "", 120.5),
          FITCardRF("YSCALE", 8, "", 0.32),      FITCardRF("FOVY", 8, "", 10),
          FITCardRF("CRVAL1", 8, "", 6302.08),   FITCardRF("CDELT1", 8, "", Cdelt),
          FITCardRF("CRPIX1", 8, "", 56.5),      FITCardRF("CRVAL2", 8, "", 120.5),
          FITCardRF("CDELT2", 8, "", 0.32),      FITCardRF("CRPIX2", 8, "", 1),
          FITCardQ("CTYPE1", "WAVELENGTH", ""),  FITCardQ("CTYPE2", "SLIT", ""),
          FITCardQ("CTYPE3", "STOKES", ""),      FITCardQ("CUNIT1", "Angstrom", ""),
          FITCardQ("CUNIT2", "arcsec", ""),      FITCardQ("CUNIT3", "", ""),
          FITCardRF("DOPVUSED", 6, "", 0.35),    FITCardRF("DOP_RCV", 6, "", -0.3),
          FITCardRF("T_SPCCD", 6, "", -40),      FITCardRF("T_FGCCD", 6, "", -35),
          FITCardRF("T_CTCCD", 6, "", -30),      FITCardRF("T_SPCEB", 6, "", -25),
          FITCardRF("T_FGCEB", 6, "", -20),      FITCardRF("T_CTCEB", 6, "", -15)};
}

// Replaces the card of Key (or appends it).
inline void SetCard(std::vector<std::string>& Cards, const std::string& Key,
                    const std::string& Card) {
  for (auto& c : Cards)
    if (CardLookupKey(c) == Key) {
      c = Card;
      return;
    }
  Cards.push_back(Card);
}

inline void DropCard(std::vector<std::string>& Cards, const std::string& Key) {
  for (size_t i = 0; i < Cards.size(); ++i)
    if (CardLookupKey(Cards[i]) == Key) {
      Cards.erase(Cards.begin() + static_cast<long>(i));
      return;
    }
}

inline std::string Bytes(const TFile& F) {
  std::string b;
  for (const std::string& c : F.Cards) b += (c + std::string(80, ' ')).substr(0, 80);
  if (F.End) b += FITEndCard();
  if (F.PadHeader) b.append((2880 - b.size() % 2880) % 2880, ' ');
  const size_t h = b.size();
  for (uint16_t w : F.Words) {
    b.push_back(static_cast<char>(w >> 8));
    b.push_back(static_cast<char>(w & 0xFF));
  }
  if (F.PadData && b.size() > h) b.append((2880 - b.size() % 2880) % 2880, '\0');
  if (F.CutAt >= 0 && static_cast<size_t>(F.CutAt) < b.size())
    b.resize(static_cast<size_t>(F.CutAt));
  return b;
}

inline void Write(const std::string& Path, const TFile& F) {
  std::ofstream o(Path, std::ios::binary);
  const std::string b = Bytes(F);
  o.write(b.data(), static_cast<std::streamsize>(b.size()));
}

// Words of a cube of NY slit pixels whose every word is 0x1234 + its Stokes parameter (no 40
// words of blanks after the header).
inline std::vector<uint16_t> PlainWords(int32_t NY) {
  std::vector<uint16_t> w(static_cast<size_t>(112) * NY * 4);
  for (size_t j = 0; j < w.size(); ++j)
    w[j] = static_cast<uint16_t>(0x1234 + j / (static_cast<size_t>(112) * NY));
  return w;
}

// Debian's python with astropy; empty when it is missing.
inline bool HaveAstropy() {
  return std::system("/usr/bin/python3 -c 'import astropy.io.fits' >/dev/null 2>&1") == 0;
}

}  // namespace scantest
