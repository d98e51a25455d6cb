// The calculation dispatcher: exact words, the line report in any case, the words that run
// nothing, and the refusal of any other word with the list of accepted ones.
#include <gtest/gtest.h>

#include <string>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "support/SynEnv.h"
#include "synthesis/drivers/cvRunAlg.h"
#include "synthesis/profiles/cvLUnno.h"

namespace {

// The fatal text of a word, or empty when it ran.
std::string RunWord(const std::string& Word) {
  TJob job("RunAlg");
  TStringList result;
  TLUNNO list;
  try {
    RunAlg(job, Word, result, list);
  } catch (const std::exception& e) {
    return e.what();
  }
  return std::string();
}

TEST(RunAlg, WordsAndRefusals) {
  testsupport::SynEnv env;
  EXPECT_EQ(RunWord("VARI"), "");
  EXPECT_EQ(RunWord("AJUST_LGGF"), "");
  EXPECT_EQ(env.sink.texts.size(), 0u);
  // the line report in any case (without a working variator it says so)
  EXPECT_EQ(RunWord("rep_lines"), "");
  EXPECT_EQ(RunWord("LineReport"), "");
  EXPECT_EQ(env.Count("Рабочий вариатор VARI неопределен!"_cp), 2);
  // calculations not built yet say so and stop nothing
  EXPECT_EQ(RunWord("VOIG"), "");
  // the line fitting needs the working variator
  for (const std::string w : {"ADJUST", "DIA", "DI", "READ_SUN69"})
    EXPECT_NE(RunWord(w).find("рабочий вариатор VARI неопределен!"_cp), std::string::npos) << w;
  // the drivers built here need the working variator
  for (const std::string w : {"RECONT", "KURUCZ", "HEIGHTS", "ION"})
    EXPECT_NE(RunWord(w).find("нет текущего вариатора VARI"_cp), std::string::npos) << w;
  // the Milne-Eddington run reaches the working variator (none here)
  EXPECT_NE(RunWord("RACH").find("TRACH.Run"), std::string::npos);
  // words compare exactly: "cont" and an empty word are refused with the accepted words
  for (const std::string w : {"cont", ""}) {
    const std::string e = RunWord(w);
    EXPECT_NE(e.find("алгоритм расчета <"_cp + w + ">"), std::string::npos) << e;
    EXPECT_NE(e.find("RACH\r\nPMOD1\r\nPMOD1_REP1\r\nPMOD3\r\nION\r\nCONT\r\n"), std::string::npos);
    EXPECT_NE(e.find("VARI\r\nREP_LINES\r\nLINEREPORT"), std::string::npos) << e;
  }
}

}  // namespace
