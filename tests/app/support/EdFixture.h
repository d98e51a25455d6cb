// An editor bound to an in-memory memo and in-memory controls, in a temporary folder that is the
// process's current folder for the test (restored afterwards).
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/cvEd.h"
#include "app/cvKeyb.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "foundation/cvSys.h"
#include "foundation/cvTunes.h"
#include "platform/Clipboard.h"
#include "platform/Controls.h"
#include "platform/Memo.h"
#include "platform/MsgBox.h"
#include "support/TestSupport.h"

class EdFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSayerForTests();
    Sayer->SetHook([this](const std::string& t, const std::string&) { said.push_back(t); });
    Sayer->WarnOn();
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    filer.Folder = dir.file("nohistory") + "/";
    tunes = std::make_unique<TTunes>("Common", dir.file("cvtunes.ini"));
    platform::SetClipboardService(&clipboard);
    memo.SetFocused(true);
    ed.Init(nullptr, &memo, &edFile, &edReply, &edJS, &edIP, &edColCur, &lbKind, &lbWordN,
            &lbCurTT, &filer, &keyb, tunes.get(), nullptr, nullptr, nullptr, nullptr,
            [this] { ed.OpenLinked(); }, [this](const TEdStatus& s) { status.push_back(s); });
  }
  void TearDown() override {
    std::filesystem::current_path(oldCwd);
    platform::SetClipboardService(nullptr);
    ResetSayerForTests();
  }

  // Number of sink lines containing Text.
  int Said(const std::string& Text) const {
    int n = 0;
    for (const auto& s : said)
      if (s.find(Text) != std::string::npos) ++n;
    return n;
  }
  std::string Path(const std::string& Name) const { return dir.file(Name); }
  std::vector<std::string> Lines() const { return memo.Lines(); }
  // Caret to a 1-based line and column and the status brought up to date.
  void Caret(int Line, int Col) {
    memo.SetCaret(Line - 1, Col - 1);
    ed.UpdateStatus();
  }
  // The memo's caret, 1-based.
  std::pair<int, int> CaretAt() const {
    int l = 0, c = 0;
    memo.CaretPos(l, c);
    return {l + 1, c + 1};
  }

  platform::ScriptedMsgBoxes boxes;
  testsupport::TempDir dir;
  std::filesystem::path oldCwd;
  std::vector<std::string> said;
  std::vector<TEdStatus> status;
  platform::MemoryClipboard clipboard;
  platform::MemoryMemo memo;
  platform::TMemControl edFile{"TEdit", "edFile"}, edReply{"TEdit", "edReply"},
      edJS{"TEdit", "edJS"}, edIP{"TEdit", "edIP"}, edColCur{"TEdit", "edColCur"},
      lbKind{"TLabel", "lbKind"}, lbWordN{"TLabel", "lbWordN"}, lbCurTT{"TLabel", "lbCurTT"};
  TFiler filer;
  TcvKeyb keyb;
  std::unique_ptr<TTunes> tunes;
  TcvEd ed;
};
