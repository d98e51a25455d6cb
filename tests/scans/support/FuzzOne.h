// One input of the reader's fuzz target: the bytes as a level-1 file of a one-file scan, read as
// the program reads it (header, cube, scale, profiles). Must never crash, hang or leak.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/cvJob.h"
#include "scans/cvFITS.h"
#include "scans/cvLFITS.h"

namespace scantest {

inline void ReadOneInput(const std::string& Folder, const uint8_t* Data, size_t Size) {
  std::filesystem::create_directories(Folder);
  {
    std::ofstream o(Folder + "/SP3D_fuzz.fits", std::ios::binary | std::ios::trunc);
    o.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
  }
  TLFITS s;
  s.Link(Folder);
  TJob j;
  RunJob(j, [&](TJob& job) {
    if (!s.LoadHeaders(job)) return;
    s.SetOptions(350, 350, 1.05, 60);
    for (auto& f : s.Files) {
      if (!f->LoadData()) continue;
      TARe lam;
      f->GetALam(lam);
      TAIn p;
      for (int s4 = 1; s4 <= 4; ++s4) f->GetCol3(1, s4, p);
      f->GetContAll();
    }
  });
}

}  // namespace scantest
