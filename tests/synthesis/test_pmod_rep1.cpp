// The report of the model prepared for one line, through the harness's quest run on a copy of the
// demo project: HSRA's own grid with the line's vectors, an unknown line, a non-tabulated model.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

struct TRep1Project {
  testsupport::TempDir tmp;
  std::string dir = tmp.file("Demo");
  TRep1Project() {
    std::filesystem::copy(testsupport::SourceRoot() + "/data/Projects/Demo", dir,
                          std::filesystem::copy_options::recursive);
  }
  testsupport::TBatchRun Run(const std::string& Mod, const std::string& Lin,
                                const std::string& Runs) {
    testsupport::WriteFile(dir + "/ONE/rep1.DAT",
                           "#MOD " + Mod + "=#\n#MOD_ROOT APP #\n#MOD_DIR MODS #\n#LIN " + Lin +
                               " #\n#OPACITY LANDI #\n#KZWAAN 0 #\n" + Runs);
    return testsupport::RunBatch("run-quest --warn --project '" + dir + "' rep1");
  }
};

TEST(PmodRep1, LineVectorsOnTheModelsOwnGrid) {
  TRep1Project p;
  const auto r = p.Run("T HSRA", "FE6302", "#RUN PMOD1 #\n#RUN PMOD1_REP1 #\n");
  ASSERT_EQ(r.status, 0) << r.out;
  const size_t at = r.out.find("для модели HSRA для сетки №0 для числа слоев 55");
  ASSERT_NE(at, std::string::npos) << r.out;
  const std::string head = r.out.substr(at, r.out.find('\n', r.out.find('\n', at) + 1) - at);
  for (const char* c : {"DLD,mA_FE6302", "Kap5", "KapL_L6302", "U0_FE", "Part_FE6", "Eta0_FE6302",
                        "NH "})
    EXPECT_NE(head.find(c), std::string::npos) << c << "\n" << head;
  // the deepest layer: lg tau 1.4, T 9560 K; a Doppler width of some 38 mA at 6302 A
  EXPECT_NE(r.out.find(" 2.5119+01 9560.0"), std::string::npos);
  EXPECT_NE(r.out.find("         37.65 "), std::string::npos) << r.out;
}

TEST(PmodRep1, UnknownLineAndOtherModelTypes) {
  TRep1Project p;
  auto r = p.Run("T HSRA", "FE9999", "#RUN PMOD1 #\n#RUN PMOD1_REP1 #\n");
  EXPECT_NE(r.out.find("5 LI=NIL!"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("сетки №0"), std::string::npos) << r.out;
  // a premodel type does nothing: no report, no warning, no error
  r = p.Run("Q HSRA 0", "FE6302", "#RUN PMOD1_REP1 #\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("Отчет хранителя"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("выполнено, предупреждений: 0"), std::string::npos) << r.out;
}

}  // namespace
