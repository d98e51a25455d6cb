// The Graf tab's caption rich edits: a change renames the plotter's current graph or its axes.
#include "mainwindow/TabGraf.h"

#include <optional>

#include "plotting/cvGraph.h"
#include "plotting/cvPLOT.h"
#include "plotting/cvPicTool.h"
#include "plotting/qt/cvFPicTool.h"
#include "plotting/qt/cvPictWindows.h"
#include "platform/qt/RichEdit.h"

void TTabGraf::CaptionChange(TSender E, char Which) {
  TPicTool* T = FPicTool ? &FPicTool->Model : nullptr;
  if (Updating || (T && T->Updating) || !PLOTTER || !PLOTTER->ChkCurPic()) return;
  auto* R = dynamic_cast<platform::TRichEdit*>(E.Sender);
  TOneGraph* G = PLOTTER->CurPict();
  if (!R || !G) return;
  // the tool's own writes into these edits do not come back while the graph changes
  std::optional<TUpdatingLock> Lock;
  if (T) Lock.emplace(*T);
  TUpdatingLock Own(*this);
  const std::string Text = R->Text();
  if (Which == 'T') G->Name = Text;
  else if (Which == 'X') G->OXName = Text;
  else G->OYName = Text;
}

void TTabGraf::RTFPicTitleChange(TSender E) { CaptionChange(E, 'T'); }
void TTabGraf::RTFsXTitChange(TSender E) { CaptionChange(E, 'X'); }
void TTabGraf::RTFsYTitChange(TSender E) { CaptionChange(E, 'Y'); }
