#include "linedata/support/LineDataEnv.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/AppLinks.h"
#include "app/cvApp.h"
#include "app/cvDirs.h"
#include "app/services/cvServices.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStrList.h"
#include "linedata/cvDM.h"
#include "linedata/cvLDServices.h"
#include "linedata/cvMend.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

std::string SourceRoot() { return testsupport::SourceRoot(); }

std::string SqliteDump(const std::string& File) {
  return testsupport::RunShell("sqlite3 '" + File + "' .dump");
}

void LineDataEnv::SetUp() {
  ResetSayerForTests();
  Sayer->WarnOn();
  Sayer->SetHook([this](const std::string& t, const std::string&) {
    warnings.push_back(platform::Cp1251ToUtf8(t));
  });
  applinks::ResetAll();
  // fresh services from the application object, with recording window links
  ResetLineDataServices();
  InstallLineDataServices();
  TLineDataServices& S = LineData();
  S.Progress.Install([this](const std::string& t) { progress.push_back(t); });
  S.ShowList.Install([this](const std::string& title, const TStringList& l) {
    shown.push_back({title, l.Lines()});
  });
  S.OpenAt.Install([this](const std::string&, const std::string& f, int32_t ln, int32_t pos) {
    opened.push_back({f, ln, pos});
  });
  Put("SYS/dirs.txt",
      "! MODULE FUNCTION BASE SUBDIR KIND NAME EXT\n"
      "GEDA ABUND  APP GEDA S abund  dat\n"
      "GEDA GEDA   APP GEDA E\n"
      "GEDA IRWIN  APP GEDA S irwin  dat\n"
      "GEDA TBMEND APP GEDA S tbmend txt\n"
      "! end of table\n");
  fs::create_directories(dir.path() / "GEDA");
  ResetAppForTests();
  App->sRoot = dir.str() + "/";
  App->sSaveDir = App->sRoot + "autosave/";
  cvDirsLoad();
  CreateMEND();
  CreateDM();
}

void LineDataEnv::TearDown() {
  FreeDM();
  FreeMEND();
  delete cvDirs;
  cvDirs = nullptr;
  ResetLineDataServices();
  applinks::ResetAll();
  ResetSayerForTests();
}

std::string LineDataEnv::Root(const std::string& Rel) const { return (dir.path() / Rel).string(); }

void LineDataEnv::Put(const std::string& Rel, const std::string& Text) const {
  const fs::path p = dir.path() / Rel;
  fs::create_directories(p.parent_path());
  testsupport::WriteFile(p.string(), Text);
}

void LineDataEnv::CopyBundled(const std::string& Rel) const {
  const fs::path to = dir.path() / Rel;
  fs::create_directories(to.parent_path());
  fs::copy_file(fs::path(SourceRoot()) / "data" / Rel, to, fs::copy_options::overwrite_existing);
}

std::vector<std::string> LineDataEnv::TakeWarnings() {
  std::vector<std::string> w;
  w.swap(warnings);
  return w;
}

bool LineDataEnv::WarnedWith(const std::string& Text) const {
  for (const std::string& w : warnings)
    if (w.find(Text) != std::string::npos) return true;
  return false;
}
