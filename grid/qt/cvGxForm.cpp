// The form grid: settings and columns from the form texts, and its events for the dispatcher.
#include "grid/qt/cvGxForm.h"

#include <QKeyEvent>
#include <sstream>
#include <stdexcept>

#include "grid/cvGxNum.h"
#include "platform/qt/FormRegistry.h"
#include "platform/qt/QtMemo.h"

namespace {

template <size_t N>
uint32_t Words(const std::string& Text, const char* const (&Names)[N], const char* What) {
  uint32_t bits = 0;
  std::istringstream in(Text);
  std::string w;
  while (in >> w) {
    size_t i = 0;
    while (i < N && w != Names[i]) ++i;
    if (i == N) throw std::logic_error(std::string("unknown ") + What + " \"" + w + "\"");
    bits |= 1u << i;
  }
  return bits;
}

template <size_t N>
int Word(const std::string& W, const char* const (&Names)[N], const char* What) {
  for (size_t i = 0; i < N; ++i)
    if (W == Names[i]) return static_cast<int>(i);
  throw std::logic_error(std::string("unknown ") + What + " \"" + W + "\"");
}

// Names in the order of the enumerations' values.
const char* const kGridOptions[] = {
    "goCanHideColumn", "goDisableColumnMoving", "goEscClearEdit", "goFooter",
    "goGrid", "goHeader", "goIndicator", "goInput", "goLockFixedCols", "goMultiSelect",
    "goRowResizing", "goRowMoving", "goSecondClickEdit", "goSelectFullRow",
    "goUseDefaultValues"};
const char* const kAppearance[] = {
    "ao3DGridLines", "aoAlphaBlendedSelection", "aoBoldTextSelection", "aoDontFillCells",
    "aoHideFocus", "aoHideSelection", "aoHighlightSlideCells", "aoHintMarks",
    "aoIndicateSelectedCell", "aoIndicateSortedColumn"};
const char* const kColumnOptions[] = {
    "coAutoSize", "coCanClick", "coCanInput", "coCanSort", "coDisableMoving",
    "coDontHighlight", "coEditing", "coEditorAutoSelect", "coFixedSize", "coImageForIcon",
    "coTextForCaption", "coPublicUsing", "coSearchColumn", "coShowTextFitHint"};
const char* const kEditOptions[] = {"eoAllowAll", "eoAllowFloat", "eoAllowSigns",
                                    "eoDisablePaste", "eoDisableTyping"};
const char* const kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const kStyles[] = {"cbsDropDown", "cbsDropDownList"};
const char* const kSortTypes[] = {"stAlphabetic", "stBoolean", "stCaseInsensitive", "stCustom",
                                  "stNumeric",    "stDate",    "stIP"};
const char* const kKinds[] = {"text", "number", "checkbox", "list", "combobox"};

int Int(const std::string& V, const std::string& Key) {
  int32_t i = 0;
  if (!gx::TryParseInt(V, i)) throw std::logic_error("column " + Key + " needs an integer");
  return i;
}

double Float(const std::string& V, const std::string& Key) {
  double d = 0;
  if (!gx::TryParseFloat(V, d)) throw std::logic_error("column " + Key + " needs a number");
  return d;
}

bool Bool(const std::string& V) { return V == "1" || V == "true" || V == "True"; }

// The grid's events for the form dispatcher.
bool BindGridEvent(QObject* O, const std::string& Ev,
                   const std::function<void(platform::TFormEventArgs)>& Fire, QObject*) {
  auto* g = dynamic_cast<TFormCvGrid*>(O);
  if (!g) return false;
  using Args = platform::TFormEventArgs;
  auto cell = [Fire](int C, int R) {
    Args a;
    a.Col = C;
    a.Row = R;
    Fire(a);
  };
  auto mods = [](Args& A, int Shift) {
    A.Shift = Shift & Qt::ShiftModifier;
    A.Ctrl = Shift & Qt::ControlModifier;
    A.Alt = Shift & Qt::AltModifier;
  };
  if (Ev == "OnSelectCell") {
    g->OnSelectCell = [cell](QObject*, int C, int R) { cell(C, R); };
  } else if (Ev == "OnCellClick") {
    g->OnCellClick = [cell](QObject*, int C, int R) { cell(C, R); };
  } else if (Ev == "OnCellDblClick") {
    g->OnCellDblClick = [cell](QObject*, int C, int R) { cell(C, R); };
  } else if (Ev == "OnHeaderClick") {
    g->OnHeaderClick = [cell](QObject*, int C) { cell(C, -1); };
  } else if (Ev == "OnFooterClick") {
    g->OnFooterClick = [cell](QObject*, int C) { cell(C, -1); };
  } else if (Ev == "OnAfterEdit") {
    g->OnAfterEdit = [Fire](QObject*, int C, int R, const WideString& V) {
      Args a;
      a.Col = C;
      a.Row = R;
      a.Value = gx::A(V);
      Fire(a);
    };
  } else if (Ev == "OnAfterRowMove") {
    g->OnAfterRowMove = [Fire](QObject*, int From, int To) {
      Args a;
      a.Row = From;
      a.Position = To;
      Fire(a);
    };
  } else if (Ev == "OnVerticalScroll") {
    g->OnVerticalScroll = [Fire](QObject*, int P) {
      Args a;
      a.Position = P;
      Fire(a);
    };
  } else if (Ev == "OnDrawCellBackground") {
    g->OnDrawCellBackground = [Fire](QObject*, int C, int R, const QRect& Rc, TCellState,
                                     bool& Default) {
      Args a;
      a.Col = C;
      a.Row = R;
      a.Left = Rc.left();
      a.Top = Rc.top();
      a.Right = Rc.right() + 1;
      a.Bottom = Rc.bottom() + 1;
      a.DefaultDrawing = &Default;
      Fire(a);
    };
  } else if (Ev == "OnKeyDown" || Ev == "OnKeyUp") {
    auto h = [Fire, mods](QObject*, int& Key, int Shift) {
      Args a;
      const QKeyEvent k(QEvent::KeyPress, Key, Qt::KeyboardModifiers(Shift));
      a.Key = platform::VirtualKeyOf(&k);
      mods(a, Shift);
      Fire(a);
    };
    (Ev == "OnKeyDown" ? g->OnKeyDown : g->OnKeyUp) = h;
  } else if (Ev == "OnKeyPress") {
    g->OnKeyPress = [Fire](QObject*, char16_t& C) {
      Args a;
      a.Key = C;
      Fire(a);
    };
  } else if (Ev == "OnMouseDown" || Ev == "OnMouseMove") {
    auto h = [Fire, mods](QObject*, int Button, int Shift, int X, int Y) {
      Args a;
      a.X = X;
      a.Y = Y;
      a.Button = Button == Qt::RightButton    ? platform::TMouseButton::Right
                 : Button == Qt::MiddleButton ? platform::TMouseButton::Middle
                                              : platform::TMouseButton::Left;
      mods(a, Shift);
      Fire(a);
    };
    (Ev == "OnMouseDown" ? g->OnMouseDown : g->OnMouseMove) = h;
  } else if (Ev == "OnClick") {
    g->OnClick = [Fire](QObject*) { Fire(Args{}); };
  } else if (Ev == "OnExit") {
    g->OnExit = [Fire](QObject*) { Fire(Args{}); };
  } else {
    return false;  // the widget's own event stream
  }
  return true;
}

const bool kBinderAdded = [] {
  platform::AddFormBinder(BindGridEvent);
  return true;
}();

}  // namespace

TFormCvGrid::TFormCvGrid(QWidget* Parent) : TCvGrid(Parent) {
  (void)kBinderAdded;
  setProperty("formClass", "TCvGrid");
  BeginRead();
}

void TFormCvGrid::SetFormOptions(const std::string& W) {
  SetOptions(Words(W, kGridOptions, "grid option"));
}

void TFormCvGrid::SetFormAppearance(const std::string& W) {
  SetAppearanceOptions(Words(W, kAppearance, "appearance option"));
}

std::string TFormCvGrid::Hint() const { return gx::A(GxWide(toolTip())); }
void TFormCvGrid::SetHint(const std::string& H) { setToolTip(GxQString(gx::W(H))); }
void TFormCvGrid::SetHelpKeyword(const std::string& K) {
  setProperty("helpKeyword", GxQString(gx::W(K)));
}

TGxCustomColumn* TFormCvGrid::AddColumn(const TColumnSpec& Spec) {
  std::string kind = "text", name;
  for (const auto& [k, v] : Spec) {
    if (k == "kind") kind = v;
    if (k == "name") name = v;
  }
  if (!name.empty() && Columns().ColumnByName(name))
    throw std::logic_error("a second column named \"" + name + "\" in " +
                           objectName().toStdString());
  std::unique_ptr<TGxCustomColumn> col;
  switch (Word(kind, kKinds, "column kind")) {
    case 0: col = std::make_unique<TGxTextColumn>(name); break;
    case 1: col = std::make_unique<TGxNumberColumn>(name); break;
    case 2: col = std::make_unique<TGxCheckBoxColumn>(name); break;
    case 3: col = std::make_unique<TGxListColumn>(name); break;
    default: col = std::make_unique<TGxComboBoxColumn>(name); break;
  }
  TGxCustomColumn* c = Columns().Add(std::move(col));
  c->SetPosition(c->Index());
  auto* num = dynamic_cast<TGxCustomNumberColumn*>(c);
  auto* spin = dynamic_cast<TGxNumberColumn*>(c);
  auto* strings = dynamic_cast<TGxStringsColumn*>(c);
  auto* combo = dynamic_cast<TGxComboBoxColumn*>(c);
  auto needs = [&](bool Ok, const std::string& Key) {
    if (!Ok) throw std::logic_error("column setting \"" + Key + "\" does not fit a " + kind +
                                    " column");
  };
  for (const auto& [k, v] : Spec) {
    if (k == "kind" || k == "name") {
    } else if (k == "caption") {
      c->Header().SetCaption(gx::W(v));
    } else if (k == "hint") {
      c->Header().Hint = gx::W(v);
    } else if (k == "width") {
      c->SetWidth(Int(v, k));
    } else if (k == "position") {
      c->SetPosition(Int(v, k));
    } else if (k == "visible") {
      c->SetVisible(Bool(v));
    } else if (k == "options") {
      c->SetOptions(Words(v, kColumnOptions, "column option"));
    } else if (k == "alignment") {
      c->SetAlignment(static_cast<TAlignment>(Word(v, kAlignments, "alignment")));
    } else if (k == "items") {
      needs(strings, k);
      std::vector<WideString> items;
      size_t from = 0;
      for (;;) {
        const size_t bar = v.find('|', from);
        items.push_back(gx::W(v.substr(from, bar == std::string::npos ? bar : bar - from)));
        if (bar == std::string::npos) break;
        from = bar + 1;
      }
      strings->SetItems(items);
    } else if (k == "style") {
      needs(combo, k);
      combo->Style = static_cast<TCompoBoxStyle>(Word(v, kStyles, "combo-box style"));
    } else if (k == "sorttype") {
      c->SetSortType(static_cast<TSortType>(Word(v, kSortTypes, "sort type")));
    } else if (k == "defaultvalue") {
      c->DefaultValue = gx::W(v);
    } else if (k == "tag") {
      c->Tag = Int(v, k);
    } else if (k == "editoptions") {
      needs(num, k);
      num->EditOptions = Words(v, kEditOptions, "edit option");
    } else if (k == "spinbuttons") {
      needs(spin, k);
      spin->SpinButtons = Bool(v);
    } else if (k == "precision") {
      needs(spin, k);
      spin->Precision = Int(v, k);
    } else if (k == "increment") {
      needs(spin, k);
      spin->Increment = Float(v, k);
    } else if (k == "min" || k == "max") {
      needs(num, k);
      (k == "min" ? num->Min : num->Max) = Float(v, k);
    } else {
      throw std::logic_error("unknown column setting \"" + k + "\"");
    }
  }
  Columns().ColumnRead(c);
  return c;
}
