#include "tools/formgen/FormGen.h"

#include "platform/Cp1251Table.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <set>
#include <sstream>

namespace formgen {

namespace {

// ---------------------------------------------------------------- kinds and properties

const std::vector<KindInfo> kKinds = {
    // kind            C++ class                     header                         widget cont.  items  columns
    {"TForm", "QWidget", "", true, true, false, false},
    {"TPageControl", "platform::TPageControl", "platform/qt/FormControls.h", true, true, false, false},
    {"TTabSheet", "platform::TTabSheet", "platform/qt/FormControls.h", true, true, false, false},
    {"TPanel", "platform::TPanel", "platform/qt/FormControls.h", true, true, false, false},
    {"TGroupBox", "platform::TGroupBox", "platform/qt/FormControls.h", true, true, false, false},
    {"TButton", "platform::TButton", "platform/qt/FormControls.h", true, false, false, false},
    {"TBitBtn", "platform::TBitBtn", "platform/qt/FormControls.h", true, false, false, false},
    {"TSpeedButton", "platform::TSpeedButton", "platform/qt/FormControls.h", true, false, false, false},
    {"TEdit", "platform::TEdit", "platform/qt/FormControls.h", true, false, false, false},
    {"TLabel", "platform::TLabel", "platform/qt/FormControls.h", true, false, false, false},
    {"TCheckBox", "platform::TCheckBox", "platform/qt/FormControls.h", true, false, false, false},
    {"TRadioButton", "platform::TRadioButton", "platform/qt/FormControls.h", true, false, false, false},
    {"TComboBox", "platform::TComboBox", "platform/qt/FormControls.h", true, false, true, false},
    {"TListBox", "platform::TListBox", "platform/qt/FormControls.h", true, false, true, false},
    {"TMemo", "platform::TMemo", "platform/qt/FormControls.h", true, false, true, false},
    {"TRichEdit", "platform::TRichEdit", "platform/qt/RichEdit.h", true, false, false, false},
    {"TSpinEdit", "platform::TSpinEdit", "platform/qt/FormControls.h", true, false, false, false},
    {"TUpDown", "platform::TUpDown", "platform/qt/FormControls.h", true, false, false, false},
    {"TTrackBar", "platform::TTrackBar", "platform/qt/FormControls.h", true, false, false, false},
    {"TImage", "platform::TImage", "platform/qt/FormControls.h", true, false, false, false},
    {"TCvGrid", "TFormCvGrid", "grid/qt/cvGxForm.h", true, false, false, true},
    {"TInfStrip", "QtInfWidget", "app/qt/QtInfWidget.h", true, false, false, false},
    {"TMainMenu", "platform::TMainMenu", "platform/qt/FormControls.h", true, false, false, false},
    {"TPopupMenu", "platform::TPopupMenu", "platform/qt/FormControls.h", true, false, false, false},
    {"TMenuItem", "platform::TMenuItem", "platform/qt/FormControls.h", false, false, false, false},
    {"TTimer", "platform::TFormTimer", "platform/qt/FormControls.h", false, false, false, false},
    {"TOpenDialog", "platform::TFormOpenDialog", "platform/qt/QtDialogs.h", false, false, false, false},
    {"TColorDialog", "platform::TFormColorDialog", "platform/qt/QtDialogs.h", false, false, false, false},
};

bool IsMenu(const std::string& K) { return K == "TPopupMenu" || K == "TMainMenu"; }
bool IsDialog(const std::string& K) { return K == "TOpenDialog" || K == "TColorDialog"; }
// Kinds that never go into a layout (menus, items, timers, dialogs).
bool Unplaced(const std::string& K) {
  return IsMenu(K) || K == "TMenuItem" || K == "TTimer" || IsDialog(K);
}
bool IsButton(const std::string& K) {
  return K == "TButton" || K == "TBitBtn" || K == "TSpeedButton";
}

enum class PT { Str, Int, Bool, Color, Ident, Word };

struct PropSpec {
  const char* Key;
  PT Type;
  // Kinds that take it, blank separated; "*" every widget kind except the window, "@" every
  // kind except the window.
  const char* Kinds;
};

const std::vector<PropSpec> kProps = {
    {"caption", PT::Str,
     "TForm TTabSheet TPanel TGroupBox TButton TBitBtn TSpeedButton TLabel TCheckBox "
     "TRadioButton TMenuItem TCvGrid"},
    {"text", PT::Str, "TEdit TComboBox TRichEdit"},
    {"hint", PT::Str, "@"},
    {"tag", PT::Int, "@"},
    {"helpkeyword", PT::Str, "*"},
    {"visible", PT::Bool, "@"},
    {"enabled", PT::Bool, "@"},
    {"checked", PT::Bool, "TCheckBox TRadioButton TMenuItem"},
    {"itemindex", PT::Int, "TComboBox TListBox"},
    {"readonly", PT::Bool, "TEdit TMemo TRichEdit"},
    {"wordwrap", PT::Bool, "TMemo TLabel TRichEdit"},
    {"maxlength", PT::Int, "TEdit"},
    {"alignment", PT::Word, "TEdit TLabel"},
    {"style", PT::Word, "TComboBox"},
    {"font", PT::Str, "* TForm"},
    {"fontheight", PT::Int, "* TForm"},
    {"fontbold", PT::Bool, "* TForm"},
    {"charset", PT::Int, "* TForm"},
    {"color", PT::Color, "* TColorDialog"},
    {"w", PT::Int, "*"},
    {"h", PT::Int, "*"},
    {"minw", PT::Int, "*"},
    {"minh", PT::Int, "*"},
    {"left", PT::Int, "*"},
    {"top", PT::Int, "*"},
    {"stretch", PT::Int, "*"},
    {"layout", PT::Word, "TForm TTabSheet TPanel TGroupBox"},
    {"parent", PT::Ident, "@"},
    {"popup", PT::Ident, "*"},
    {"icon", PT::Word, "TButton TBitBtn TSpeedButton"},
    {"down", PT::Bool, "TSpeedButton"},
    {"groupindex", PT::Int, "TSpeedButton TMenuItem"},
    {"flat", PT::Bool, "TSpeedButton"},
    {"allowallup", PT::Bool, "TSpeedButton"},
    {"bevel", PT::Word, "TPanel"},
    {"min", PT::Int, "TSpinEdit TUpDown TTrackBar"},
    {"max", PT::Int, "TSpinEdit TUpDown TTrackBar"},
    {"value", PT::Int, "TSpinEdit TUpDown TTrackBar"},
    {"interval", PT::Int, "TTimer"},
    {"break", PT::Bool, "TMenuItem"},
    {"width", PT::Int, "TForm"},
    {"height", PT::Int, "TForm"},
    {"keypreview", PT::Bool, "TForm"},
    {"options", PT::Str, "TCvGrid"},
    {"appearance", PT::Str, "TCvGrid"},
    {"rowsize", PT::Int, "TCvGrid"},
    {"inputsize", PT::Int, "TCvGrid"},
    {"title", PT::Str, "TOpenDialog"},
    {"filter", PT::Str, "TOpenDialog"},
    {"filterindex", PT::Int, "TOpenDialog"},
    {"filename", PT::Str, "TOpenDialog"},
    {"initialdir", PT::Str, "TOpenDialog"},
};

const std::vector<std::string> kWidgetEvents = {"OnMouseDown", "OnMouseMove", "OnMouseUp",
                                                "OnDblClick",  "OnEnter",     "OnExit",
                                                "OnKeyDown",   "OnKeyUp",     "OnResize"};

std::vector<std::string> EventsOf(const std::string& K) {
  if (K == "TForm")
    return {"OnCreate",  "OnClose",     "OnShow",    "OnPaint",  "OnResize", "OnMouseDown",
            "OnMouseMove", "OnMouseUp", "OnDblClick", "OnKeyDown", "OnKeyUp"};
  if (K == "TTimer") return {"OnTimer"};
  if (IsDialog(K)) return {};
  if (K == "TMenuItem") return {"OnClick"};
  if (K == "TPopupMenu") return {"OnPopup"};
  if (K == "TMainMenu" || K == "TInfStrip") return {};
  if (K == "TTabSheet") return {"OnShow", "OnHide", "OnEnter", "OnExit"};
  std::vector<std::string> e = kWidgetEvents;
  auto add = [&](std::initializer_list<const char*> l) { e.insert(e.end(), l.begin(), l.end()); };
  if (IsButton(K) || K == "TCheckBox" || K == "TRadioButton" || K == "TPanel" || K == "TLabel" ||
      K == "TImage" || K == "TGroupBox" || K == "TListBox" || K == "TCvGrid" || K == "TUpDown")
    add({"OnClick"});
  if (K == "TEdit") add({"OnChange", "OnClick"});
  if (K == "TComboBox") add({"OnChange", "OnSelect", "OnClick"});
  if (K == "TMemo" || K == "TRichEdit") add({"OnChange", "OnClick"});
  if (K == "TSpinEdit" || K == "TTrackBar" || K == "TUpDown" || K == "TPageControl")
    add({"OnChange"});
  if (K == "TPanel" || K == "TImage") add({"OnPaint"});
  if (K == "TCvGrid")
    add({"OnKeyPress", "OnSelectCell", "OnAfterEdit", "OnCellClick", "OnCellDblClick",
         "OnHeaderClick", "OnAfterRowMove", "OnVerticalScroll", "OnDrawCellBackground"});
  return e;
}

const std::vector<std::string> kColumnKeys = {
    "name",      "kind",        "caption", "hint",         "width",     "position",
    "visible",   "options",     "alignment", "items",      "style",     "sorttype",
    "defaultvalue", "tag",      "editoptions", "spinbuttons", "precision", "increment",
    "min",       "max"};
const std::vector<std::string> kColumnInts = {"width", "position", "tag", "precision"};
const std::vector<std::string> kColumnKinds = {"text", "number", "checkbox", "list", "combobox"};

const std::map<std::string, uint32_t> kColorNames = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000},
    {"clOlive", 0x008080}, {"clNavy", 0x800000},   {"clPurple", 0x800080},
    {"clTeal", 0x808000},  {"clGray", 0x808080},   {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},   {"clLime", 0x00FF00},   {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF}, {"clLtGray", 0xC0C0C0}, {"clDkGray", 0x808080},
    {"clBtnFace", 0xF0F0F0}, {"clWindow", 0xFFFFFF},
};

const PropSpec* FindProp(const std::string& Key) {
  for (const auto& p : kProps)
    if (Key == p.Key) return &p;
  return nullptr;
}

// True when the list names the kind itself (not through "@" or "*").
bool NamesKind(const char* List, const std::string& Kind) {
  std::istringstream s(List);
  std::string w;
  while (s >> w)
    if (w == Kind) return true;
  return false;
}

bool KindListHas(const char* List, const std::string& Kind) {
  std::istringstream s(List);
  std::string w;
  while (s >> w) {
    if (w == Kind) return true;
    if (w == "@" && Kind != "TForm") return true;
    if (w == "*") {
      const KindInfo* k = FindKind(Kind);
      if (k && k->Widget && Kind != "TForm" && !Unplaced(Kind)) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- small text helpers

[[noreturn]] void Fail(const std::string& Path, int Line, const std::string& Text) {
  throw Error(Path + ":" + std::to_string(Line) + ": " + Text);
}

bool IsIdent(const std::string& S) {
  if (S.empty() || !(std::isalpha(static_cast<unsigned char>(S[0])) || S[0] == '_')) return false;
  for (char c : S)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
  return true;
}

bool ParseInt(const std::string& S, long long& V) {
  if (S.empty()) return false;
  size_t i = 0;
  bool neg = false;
  if (S[0] == '-' || S[0] == '+') {
    neg = S[0] == '-';
    i = 1;
  }
  if (i >= S.size()) return false;
  int base = 10;
  if (S[i] == '$') {
    base = 16;
    ++i;
  } else if (S.compare(i, 2, "0x") == 0 || S.compare(i, 2, "0X") == 0) {
    base = 16;
    i += 2;
  }
  if (i >= S.size()) return false;
  long long v = 0;
  for (; i < S.size(); ++i) {
    const int c = static_cast<unsigned char>(S[i]);
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && std::isxdigit(c))
      d = std::tolower(c) - 'a' + 10;
    else
      return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFLL) return false;
  }
  V = neg ? -v : v;
  return true;
}

bool ParseBool(const std::string& S, bool& B) {
  if (S == "1" || S == "true" || S == "True") return B = true, true;
  if (S == "0" || S == "false" || S == "False") return B = false, true;
  return false;
}

// The code point sequence of a UTF-8 text; false for invalid UTF-8.
bool DecodeUtf8(const std::string& S, std::vector<char32_t>& Out) {
  for (size_t i = 0; i < S.size();) {
    const unsigned char c = static_cast<unsigned char>(S[i]);
    char32_t u;
    size_t n;
    if (c < 0x80) u = c, n = 1;
    else if ((c & 0xE0) == 0xC0) u = c & 0x1F, n = 2;
    else if ((c & 0xF0) == 0xE0) u = c & 0x0F, n = 3;
    else if ((c & 0xF8) == 0xF0) u = c & 0x07, n = 4;
    else return false;
    if (i + n > S.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      const unsigned char d = static_cast<unsigned char>(S[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      u = (u << 6) | (d & 0x3F);
    }
    Out.push_back(u);
    i += n;
  }
  return true;
}

bool InCp1251(char32_t u) { return u == 0 || platform::Cp1251ByteOf(u) != 0; }

// Splits a line (without its indentation) into words; a quoted word keeps its text without the
// quotes, and key="text" keeps the key, "=" and the text. Quoted[i] tells whether word i (or its
// value) was quoted.
std::vector<std::string> SplitWords(const std::string& S, const std::string& Path, int Line,
                                    std::vector<bool>& Quoted) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && S[i] == ' ') ++i;
    if (i >= S.size()) break;
    std::string w;
    bool quoted = false;
    while (i < S.size() && S[i] != ' ') {
      if (S[i] == '"') {
        quoted = true;
        ++i;
        bool closed = false;
        while (i < S.size()) {
          if (S[i] == '\\' && i + 1 < S.size() && (S[i + 1] == '"' || S[i + 1] == '\\')) {
            w += S[i + 1];
            i += 2;
          } else if (S[i] == '"') {
            closed = true;
            ++i;
            break;
          } else {
            w += S[i++];
          }
        }
        if (!closed) Fail(Path, Line, "unclosed quote");
      } else {
        w += S[i++];
      }
    }
    words.push_back(w);
    Quoted.push_back(quoted);
  }
  return words;
}

Prop MakeProp(const std::string& Word, bool Quoted, const std::string& Path, int Line) {
  const size_t eq = Word.find('=');
  if (eq == std::string::npos || eq == 0)
    Fail(Path, Line, "expected key=value, found \"" + Word + "\"");
  Prop p{Word.substr(0, eq), Word.substr(eq + 1), Line};
  if (!IsIdent(p.Key)) Fail(Path, Line, "bad property name \"" + p.Key + "\"");
  (void)Quoted;
  return p;
}

void CheckText(const std::string& Text, const std::string& Path, int Line) {
  std::vector<char32_t> cps;
  if (!DecodeUtf8(Text, cps)) Fail(Path, Line, "text is not valid UTF-8");
  for (char32_t u : cps)
    if (!InCp1251(u)) Fail(Path, Line, "text holds a character that code page 1251 lacks");
}

// Checks one property of a control against the tables.
void CheckProp(const Node& N, const Prop& P, const std::string& Path) {
  const PropSpec* spec = FindProp(P.Key);
  if (!spec) Fail(Path, P.Line, "unknown property \"" + P.Key + "\" of " + N.Name);
  // Timers and dialogs take their own properties, the tag and (dialogs) the placement only.
  if (!KindListHas(spec->Kinds, N.Kind) ||
      (N.Kind == "TTimer" && P.Key != "tag" && P.Key != "enabled" && P.Key != "interval") ||
      (IsDialog(N.Kind) && P.Key != "tag" && P.Key != "parent" &&
       !NamesKind(spec->Kinds, N.Kind)))
    Fail(Path, P.Line, N.Kind + " " + N.Name + " has no property \"" + P.Key + "\"");
  long long v = 0;
  bool b = false;
  switch (spec->Type) {
    case PT::Str:
      CheckText(P.Value, Path, P.Line);
      break;
    case PT::Int:
      if (!ParseInt(P.Value, v))
        Fail(Path, P.Line, "property \"" + P.Key + "\" needs an integer, found \"" + P.Value + "\"");
      break;
    case PT::Bool:
      if (!ParseBool(P.Value, b))
        Fail(Path, P.Line, "property \"" + P.Key + "\" needs 0 or 1, found \"" + P.Value + "\"");
      break;
    case PT::Color:
      if (!ParseInt(P.Value, v) && !kColorNames.count(P.Value))
        Fail(Path, P.Line, "property \"" + P.Key + "\" needs a colour, found \"" + P.Value + "\"");
      break;
    case PT::Ident:
      if (!IsIdent(P.Value))
        Fail(Path, P.Line, "property \"" + P.Key + "\" needs a control name, found \"" + P.Value + "\"");
      break;
    case PT::Word: {
      static const std::map<std::string, std::vector<std::string>> allowed = {
          {"alignment", {"left", "center", "right"}},
          {"style", {"dropdown", "list", "simple"}},
          {"layout", {"h", "v", "none"}},
          {"icon", {"home", "folder", "up", "down", "left", "right", "save", "open", "ok",
                    "cancel", "apply", "help", "stop", "reload"}},
          {"bevel", {"raised", "lowered", "none"}},
      };
      const auto it = allowed.find(P.Key);
      if (it != allowed.end() &&
          std::find(it->second.begin(), it->second.end(), P.Value) == it->second.end())
        Fail(Path, P.Line, "property \"" + P.Key + "\" cannot be \"" + P.Value + "\"");
      break;
    }
  }
}

bool IsLayoutNode(NodeType T) {
  return T == NodeType::HBox || T == NodeType::VBox || T == NodeType::Grid;
}

// The nearest control above a node (layout groups are skipped).
const Node* OwnerControl(const Node* N) {
  const Node* p = N->Parent;
  while (p && p->Type != NodeType::Control) p = p->Parent;
  return p;
}

}  // namespace

const Prop* Node::Find(const std::string& Key) const {
  for (const auto& p : Props)
    if (p.Key == Key) return &p;
  return nullptr;
}

const std::vector<KindInfo>& Kinds() { return kKinds; }

const KindInfo* FindKind(const std::string& Kind) {
  for (const auto& k : kKinds)
    if (Kind == k.Kind) return &k;
  return nullptr;
}

// ---------------------------------------------------------------- parsing

FormFile Parse(const std::string& Text, const std::string& Path) {
  FormFile F;
  F.Path = Path;
  {
    std::string base = Path;
    const size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos) base = base.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base = base.substr(0, dot);
    F.Name = base;
  }
  std::vector<Node*> stack;  // open nodes by indentation
  std::set<std::string> names;
  bool header = false;
  std::istringstream in(Text);
  std::string raw;
  int lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.find('\t') != std::string::npos) Fail(Path, lineNo, "tab character (indent with blanks)");
    size_t indent = 0;
    while (indent < raw.size() && raw[indent] == ' ') ++indent;
    const std::string body = raw.substr(indent);
    if (body.empty() || body[0] == ';' || body[0] == '#') continue;
    std::vector<bool> quoted;
    std::vector<std::string> words = SplitWords(body, Path, lineNo, quoted);
    if (words.empty()) continue;

    if (!header) {
      if (words[0] != "form" || words.size() < 2)
        Fail(Path, lineNo, "the first line must be \"form <Name> [on=<Container>]\"");
      if (indent != 0) Fail(Path, lineNo, "the form line is not indented");
      if (words[1] != F.Name)
        Fail(Path, lineNo, "form name \"" + words[1] + "\" differs from the file name \"" + F.Name + "\"");
      for (size_t i = 2; i < words.size(); ++i) {
        const Prop p = MakeProp(words[i], quoted[i], Path, lineNo);
        if (p.Key != "on" || !IsIdent(p.Value))
          Fail(Path, lineNo, "the form line takes only on=<Container>");
        F.On = p.Value;
      }
      F.HeaderLine = lineNo;
      header = true;
      continue;
    }

    auto node = std::make_unique<Node>();
    node->Line = lineNo;
    node->Indent = static_cast<int>(indent);
    const std::string& w0 = words[0];
    size_t first = 1;
    if (w0 == "hbox") node->Type = NodeType::HBox;
    else if (w0 == "vbox") node->Type = NodeType::VBox;
    else if (w0 == "grid") node->Type = NodeType::Grid;
    else if (w0 == "stretch") node->Type = NodeType::Stretch;
    else if (w0 == "space") node->Type = NodeType::Space;
    else if (w0 == "item") node->Type = NodeType::Item;
    else if (w0 == "column") node->Type = NodeType::Column;
    else if (!w0.empty() && w0[0] == 'T') {
      node->Type = NodeType::Control;
      if (!FindKind(w0)) Fail(Path, lineNo, "unknown control kind \"" + w0 + "\"");
      if (words.size() < 2 || !IsIdent(words[1]) || words[1].find('=') != std::string::npos)
        Fail(Path, lineNo, "a control line needs a name after its kind");
      node->Kind = w0;
      node->Name = words[1];
      if (!names.insert(node->Name).second)
        Fail(Path, lineNo, "duplicate control name \"" + node->Name + "\"");
      first = 2;
    } else {
      Fail(Path, lineNo, "unknown line \"" + w0 + "\"");
    }

    if (node->Type == NodeType::Item) {
      if (words.size() != 2 || words[1].find('=') != std::string::npos || !quoted[1])
        Fail(Path, lineNo, "an item line is: item \"text\"");
      CheckText(words[1], Path, lineNo);
      node->Props.push_back(Prop{"text", words[1], lineNo});
    } else {
      for (size_t i = first; i < words.size(); ++i) {
        Prop p = MakeProp(words[i], quoted[i], Path, lineNo);
        if (p.Key.size() > 2 && p.Key.compare(0, 2, "On") == 0 &&
            std::isupper(static_cast<unsigned char>(p.Key[2]))) {
          if (!IsIdent(p.Value))
            Fail(Path, lineNo, "event " + p.Key + " needs a handler name, found \"" + p.Value + "\"");
          node->Events.push_back(p);
        } else {
          for (const auto& q : node->Props)
            if (q.Key == p.Key) Fail(Path, lineNo, "property \"" + p.Key + "\" given twice");
          node->Props.push_back(p);
        }
      }
    }

    // The parent: the nearest open node with a smaller indentation.
    while (!stack.empty() && stack.back()->Indent >= node->Indent) stack.pop_back();
    Node* parent = stack.empty() ? nullptr : stack.back();
    node->Parent = parent;

    // Placement rules.
    const Node* owner = parent ? (parent->Type == NodeType::Control ? parent : OwnerControl(node.get()))
                               : nullptr;
    switch (node->Type) {
      case NodeType::Control: {
        const std::string& k = node->Kind;
        if (k == "TForm") {
          if (parent) Fail(Path, lineNo, "TForm stands only at the top of the shell's file");
          if (!F.On.empty()) Fail(Path, lineNo, "a form with on= cannot hold a TForm");
        } else if (!parent) {
          if (k == "TMenuItem" || k == "TTabSheet")
            Fail(Path, lineNo, k + " " + node->Name + " cannot stand at the top of a form");
          if (F.On.empty() && !node->Find("parent"))
            Fail(Path, lineNo, "top-level control " + node->Name + " has no container (form on= or parent=)");
        } else {
          if (node->Find("parent")) Fail(Path, lineNo, "parent= is allowed only on top-level lines");
          if (parent->Type != NodeType::Control && !IsLayoutNode(parent->Type))
            Fail(Path, lineNo, "a control cannot stand under a " + std::string(
                                   parent->Type == NodeType::Item ? "item" : "column/stretch/space") + " line");
          const std::string pk = owner ? owner->Kind : "";
          if (k == "TTabSheet" && pk != "TPageControl")
            Fail(Path, lineNo, "TTabSheet " + node->Name + " must stand under a TPageControl");
          if (pk == "TPageControl" && k != "TTabSheet")
            Fail(Path, lineNo, "a TPageControl holds only TTabSheet lines");
          if (k == "TMenuItem" && !IsMenu(pk))
            Fail(Path, lineNo, "TMenuItem " + node->Name + " must stand under a menu");
          if (IsMenu(pk) && k != "TMenuItem") Fail(Path, lineNo, "a menu holds only TMenuItem lines");
          if (owner && !FindKind(pk)->Container && !IsMenu(pk))
            Fail(Path, lineNo, pk + " " + owner->Name + " cannot hold controls");
          if (Unplaced(k) && IsLayoutNode(parent->Type))
            Fail(Path, lineNo, k + " " + node->Name + " cannot stand in a layout group");
        }
        if (k == "TTabSheet" && node->Find("parent"))
          Fail(Path, lineNo, "a TTabSheet cannot be placed with parent=");
        for (const auto& p : node->Props) CheckProp(*node, p, Path);
        const std::vector<std::string> evs = EventsOf(k);
        for (const auto& e : node->Events)
          if (std::find(evs.begin(), evs.end(), e.Key) == evs.end())
            Fail(Path, e.Line, k + " " + node->Name + " has no event " + e.Key);
        break;
      }
      case NodeType::HBox:
      case NodeType::VBox:
      case NodeType::Grid:
      case NodeType::Stretch:
      case NodeType::Space: {
        if (!parent && F.On.empty())
          Fail(Path, lineNo, "a layout line needs a container (form on=) or an enclosing control");
        if (parent && parent->Type == NodeType::Control) {
          const KindInfo* pk = FindKind(parent->Kind);
          if (!pk->Container || parent->Kind == "TPageControl")
            Fail(Path, lineNo, parent->Kind + " " + parent->Name + " cannot hold layout lines");
          const Prop* lay = parent->Find("layout");
          if (lay && lay->Value == "none")
            Fail(Path, lineNo, "layout lines cannot stand in " + parent->Name + " (layout=none)");
        } else if (parent && !IsLayoutNode(parent->Type)) {
          Fail(Path, lineNo, "a layout line cannot stand here");
        }
        for (const auto& p : node->Props) {
          long long v = 0;
          const bool ok = ((p.Key == "stretch" && node->Type != NodeType::Space) ||
                           (p.Key == "cols" && node->Type == NodeType::Grid) ||
                           (p.Key == "size" && node->Type == NodeType::Space)) &&
                          ParseInt(p.Value, v) && v >= 0;
          if (!ok) Fail(Path, p.Line, "bad setting \"" + p.Key + "=" + p.Value + "\" of " + w0);
        }
        if (node->Type == NodeType::Grid && !node->Find("cols"))
          Fail(Path, lineNo, "a grid line needs cols=N");
        if (!node->Events.empty()) Fail(Path, lineNo, w0 + " lines take no events");
        break;
      }
      case NodeType::Item:
        if (!parent || parent->Type != NodeType::Control || !FindKind(parent->Kind)->Items)
          Fail(Path, lineNo, "an item line must stand under a combo box, list box or memo");
        break;
      case NodeType::Column: {
        if (!parent || parent->Type != NodeType::Control || !FindKind(parent->Kind)->Columns)
          Fail(Path, lineNo, "a column line must stand under a grid control");
        if (!node->Events.empty()) Fail(Path, lineNo, "column lines take no events");
        for (const auto& p : node->Props) {
          if (std::find(kColumnKeys.begin(), kColumnKeys.end(), p.Key) == kColumnKeys.end())
            Fail(Path, p.Line, "unknown column setting \"" + p.Key + "\"");
          long long v = 0;
          if (std::find(kColumnInts.begin(), kColumnInts.end(), p.Key) != kColumnInts.end() &&
              !ParseInt(p.Value, v))
            Fail(Path, p.Line, "column " + p.Key + " needs an integer, found \"" + p.Value + "\"");
          if (p.Key == "kind" &&
              std::find(kColumnKinds.begin(), kColumnKinds.end(), p.Value) == kColumnKinds.end())
            Fail(Path, p.Line, "unknown column kind \"" + p.Value + "\"");
          CheckText(p.Value, Path, p.Line);
        }
        break;
      }
    }

    Node* raw_node = node.get();
    if (parent)
      parent->Children.push_back(std::move(node));
    else
      F.Roots.push_back(std::move(node));
    stack.push_back(raw_node);
  }
  if (!header) Fail(Path, lineNo > 0 ? lineNo : 1, "missing \"form <Name>\" line");

  // Containers without a box layout hold only placed controls.
  std::function<void(const Node&)> checkAbsolute = [&](const Node& N) {
    const Prop* lay = N.Type == NodeType::Control ? N.Find("layout") : nullptr;
    for (const auto& c : N.Children) {
      if (lay && lay->Value == "none" && c->Type == NodeType::Control && !Unplaced(c->Kind) &&
          !(c->Find("left") || c->Find("top")))
        Fail(Path, c->Line, c->Name + " needs left= and top= in " + N.Name + " (layout=none)");
      checkAbsolute(*c);
    }
  };
  for (const auto& r : F.Roots) checkAbsolute(*r);
  return F;
}

// ---------------------------------------------------------------- checks across a window

namespace {

void CollectControls(const Node& N, std::vector<const Node*>& Out) {
  if (N.Type == NodeType::Control) Out.push_back(&N);
  for (const auto& c : N.Children) CollectControls(*c, Out);
}

std::vector<const Node*> ControlsOf(const FormFile& F) {
  std::vector<const Node*> v;
  for (const auto& r : F.Roots) CollectControls(*r, v);
  return v;
}

bool IsShell(const FormFile& F) {
  return F.Roots.size() >= 1 && F.Roots.front()->Type == NodeType::Control &&
         F.Roots.front()->Kind == "TForm";
}

}  // namespace

void CheckWindow(std::vector<FormFile>& Files) {
  // name -> (file, node)
  std::map<std::string, std::pair<const FormFile*, const Node*>> all;
  int shells = 0;
  for (const auto& f : Files) {
    if (IsShell(f)) {
      ++shells;
      if (f.Roots.size() != 1)
        Fail(f.Path, f.Roots[1]->Line, "the shell's file holds the TForm line alone at the top");
    }
    for (const Node* n : ControlsOf(f)) {
      const auto ins = all.emplace(n->Name, std::make_pair(&f, n));
      if (!ins.second)
        Fail(f.Path, n->Line, "control name \"" + n->Name + "\" is used in " +
                                  ins.first->second.first->Path + ":" +
                                  std::to_string(ins.first->second.second->Line) + " as well");
    }
  }
  if (shells != 1)
    throw Error("window: expected exactly one file whose top line is a TForm, found " +
                std::to_string(shells));

  auto requireContainer = [&](const FormFile& f, int line, const std::string& name,
                              const char* what) {
    const auto it = all.find(name);
    if (it == all.end()) Fail(f.Path, line, std::string(what) + " \"" + name + "\" is not defined");
    const KindInfo* k = FindKind(it->second.second->Kind);
    if (!k->Container || it->second.second->Kind == "TPageControl")
      Fail(f.Path, line, std::string(what) + " \"" + name + "\" is not a container");
    return it->second.first;
  };

  // Dependencies: a file needs the files that make its targets.
  std::map<const FormFile*, std::set<const FormFile*>> needs;
  for (const auto& f : Files) {
    if (!f.On.empty()) needs[&f].insert(requireContainer(f, f.HeaderLine, f.On, "target"));
    for (const auto& r : f.Roots)
      if (const Prop* p = r->Find("parent"))
        needs[&f].insert(requireContainer(f, p->Line, p->Value, "parent"));
    for (const Node* n : ControlsOf(f))
      if (const Prop* p = n->Find("popup")) {
        const auto it = all.find(p->Value);
        if (it == all.end() || it->second.second->Kind != "TPopupMenu")
          Fail(f.Path, p->Line, "popup \"" + p->Value + "\" is not a TPopupMenu");
      }
  }
  for (auto& [f, s] : needs) s.erase(f);

  // Shell first, then every file after the files it needs (file order otherwise kept).
  std::vector<FormFile> ordered;
  std::set<const FormFile*> done;
  std::vector<const FormFile*> pending;
  for (const auto& f : Files) pending.push_back(&f);
  std::stable_partition(pending.begin(), pending.end(), [](const FormFile* f) { return IsShell(*f); });
  std::vector<const FormFile*> order;
  while (!pending.empty()) {
    bool progress = false;
    for (auto it = pending.begin(); it != pending.end();) {
      bool ready = true;
      for (const FormFile* d : needs[*it])
        if (!done.count(d)) ready = false;
      if (ready) {
        order.push_back(*it);
        done.insert(*it);
        it = pending.erase(it);
        progress = true;
      } else {
        ++it;
      }
    }
    if (!progress)
      Fail(pending.front()->Path, pending.front()->HeaderLine, "forms depend on each other in a circle");
  }
  for (const FormFile* f : order) ordered.push_back(std::move(*const_cast<FormFile*>(f)));
  Files = std::move(ordered);
}

// ---------------------------------------------------------------- emitting

std::string CpLiteral(const std::string& Utf8) {
  bool ascii = true;
  std::string body;
  for (unsigned char c : Utf8) {
    if (c >= 0x80) ascii = false;
    if (c == '"' || c == '\\') {
      body += '\\';
      body += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      body += buf;
    } else {
      body += static_cast<char>(c);
    }
  }
  return ascii ? "std::string(\"" + body + "\")" : "\"" + body + "\"_cp";
}

namespace {

std::string Quote(const std::string& S) {
  std::string r = "\"";
  for (char c : S) {
    if (c == '"' || c == '\\') r += '\\';
    r += c;
  }
  return r + "\"";
}

long long IntOf(const Prop& P) {
  long long v = 0;
  if (!ParseInt(P.Value, v)) {
    const auto it = kColorNames.find(P.Value);
    v = it != kColorNames.end() ? it->second : 0;
  }
  return v;
}

bool BoolOf(const Prop& P) {
  bool b = false;
  ParseBool(P.Value, b);
  return b;
}

std::string Hex(long long V) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%06llX", static_cast<unsigned long long>(V) & 0xFFFFFFFFULL);
  return buf;
}

struct Emitter {
  const FormFile& F;
  std::ostringstream Out;
  std::ostringstream Late;  // popup menus, item indexes: after every control exists
  int Counter = 0;

  explicit Emitter(const FormFile& AF) : F(AF) {}

  std::string NewName(const char* Prefix) { return std::string(Prefix) + std::to_string(++Counter); }

  void Line(const std::string& S) { Out << "  " << S << "\n"; }

  // Properties of control N whose expression is X.
  void EmitProps(const Node& N, const std::string& X) {
    const std::string& k = N.Kind;
    const bool isForm = k == "TForm";
    const bool isAction = k == "TMenuItem";
    const bool isTimer = k == "TTimer";
    std::string fontName;
    long long fontHeight = 0, charset = -1;
    bool fontBold = false, anyFont = false;
    const bool placed = N.Find("left") || N.Find("top");
    for (const auto& p : N.Props) {
      const std::string& key = p.Key;
      if (key == "caption") {
        if (isForm)
          Line(X + "->setWindowTitle(platform::QtStr(" + CpLiteral(p.Value) + "));");
        else
          Line(X + "->SetCaption(" + CpLiteral(p.Value) + ");");
      } else if (key == "text") {
        if (k == "TComboBox")  // after the items, which would replace an editable box's text
          Late << "  " << X << "->SetText(" << CpLiteral(p.Value) << ");\n";
        else
          Line(X + "->SetText(" + CpLiteral(p.Value) + ");");
      } else if (key == "hint") {
        Line(X + "->SetHint(" + CpLiteral(p.Value) + ");");
      } else if (key == "tag") {
        Line(X + "->SetTag(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "helpkeyword") {
        Line(X + "->SetHelpKeyword(" + CpLiteral(p.Value) + ");");
      } else if (key == "visible") {
        if (isAction)
          Line(X + "->setVisible(" + (BoolOf(p) ? "true" : "false") + ");");
        else if (!BoolOf(p))
          Line(X + "->setHidden(true);");
      } else if (key == "enabled") {
        if (isTimer)
          Line(X + "->SetEnabled(" + std::string(BoolOf(p) ? "true" : "false") + ");");
        else
          Line(X + "->setEnabled(" + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "checked") {
        Line(X + "->SetChecked(" + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "itemindex") {
        Late << "  " << X << "->SetItemIndex(" << IntOf(p) << ");\n";
      } else if (key == "readonly") {
        Line(X + "->setReadOnly(" + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "wordwrap") {
        Line(X + "->SetWordWrap(" + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "maxlength") {
        Line(X + "->setMaxLength(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "alignment") {
        Line("platform::SetTextAlignment(" + X + ", " + Quote(p.Value) + ");");
      } else if (key == "style") {
        Line(X + "->SetStyle(" + Quote(p.Value) + ");");
      } else if (key == "font") {
        fontName = p.Value;
        anyFont = true;
      } else if (key == "fontheight") {
        fontHeight = IntOf(p);
        anyFont = true;
      } else if (key == "fontbold") {
        fontBold = BoolOf(p);
        anyFont = true;
      } else if (key == "charset") {
        charset = IntOf(p);
        anyFont = true;
      } else if (key == "color") {
        if (IsDialog(k))
          Line(X + "->Color = " + Hex(IntOf(p)) + ";");
        else
          Line("platform::SetControlColor(" + X + ", " + Hex(IntOf(p)) + ");");
      } else if (key == "w") {
        Line(placed ? X + "->resize(" + std::to_string(IntOf(p)) + ", " + X + "->height());"
                    : X + "->setFixedWidth(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "h") {
        Line(placed ? X + "->resize(" + X + "->width(), " + std::to_string(IntOf(p)) + ");"
                    : X + "->setFixedHeight(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "minw") {
        Line(X + "->setMinimumWidth(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "minh") {
        Line(X + "->setMinimumHeight(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "left" || key == "top" || key == "stretch" || key == "parent") {
        // placement, below
      } else if (key == "layout") {
        if (p.Value == "none") Line(X + "->setProperty(\"absoluteLayout\", true);");
      } else if (key == "popup") {
        Late << "  platform::SetPopupMenu(" << X << ", R.As<QMenu>(" << Quote(p.Value) << "));\n";
      } else if (key == "icon") {
        Line(X + "->SetIcon(" + Quote(p.Value) + ");");
      } else if (key == "down") {
        Line(X + "->SetDown(" + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "groupindex") {
        Line(X + "->SetGroupIndex(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "flat") {
        Line(X + "->setAutoRaise(" + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "allowallup") {
        Line(X + "->SetAllowAllUp(" + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "bevel") {
        Line(X + "->SetBevel(" + Quote(p.Value) + ");");
      } else if (key == "min") {
        Line(X + "->SetMin(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "max") {
        Line(X + "->SetMax(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "value") {
        Late << "  " << X << "->SetValue(" << IntOf(p) << ");\n";
      } else if (key == "interval") {
        Line(X + "->SetInterval(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "break") {
        Line(X + "->setProperty(\"break\", " + (BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "width" || key == "height") {
        // the window's design size, below
      } else if (key == "keypreview") {
        Line(X + "->setProperty(\"keyPreview\", " + std::string(BoolOf(p) ? "true" : "false") + ");");
      } else if (key == "options") {
        Line(X + "->SetFormOptions(" + Quote(p.Value) + ");");
      } else if (key == "appearance") {
        Line(X + "->SetFormAppearance(" + Quote(p.Value) + ");");
      } else if (key == "rowsize") {
        Line(X + "->SetRowSize(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "inputsize") {
        Line(X + "->SetInputSize(" + std::to_string(IntOf(p)) + ");");
      } else if (key == "title") {
        Line(X + "->Title = " + CpLiteral(p.Value) + ";");
      } else if (key == "filter") {
        Line(X + "->Filter = " + CpLiteral(p.Value) + ";");
      } else if (key == "filterindex") {
        Line(X + "->FilterIndex = " + std::to_string(IntOf(p)) + ";");
      } else if (key == "filename") {
        Line(X + "->FileName = " + CpLiteral(p.Value) + ";");
      } else if (key == "initialdir") {
        Line(X + "->InitialDir = " + CpLiteral(p.Value) + ";");
      }
    }
    if (isForm) {
      const Prop* w = N.Find("width");
      const Prop* h = N.Find("height");
      if (w || h)
        Line("platform::SetDesignSize(" + X + ", " + std::to_string(w ? IntOf(*w) : 0) + ", " +
             std::to_string(h ? IntOf(*h) : 0) + ");");
    }
    if (anyFont)
      Line("platform::ApplyFont(" + X + ", " + CpLiteral(fontName) + ", " +
           std::to_string(fontHeight) + ", " + std::to_string(charset) + ", " +
           (fontBold ? "true" : "false") + (isForm ? ", true" : ", false") + ");");
    if (placed) {
      const Prop* l = N.Find("left");
      const Prop* t = N.Find("top");
      Line(X + "->move(" + std::to_string(l ? IntOf(*l) : 0) + ", " +
           std::to_string(t ? IntOf(*t) : 0) + ");");
    }
  }

  static std::string StretchOf(const Node& N) {
    const Prop* s = N.Find("stretch");
    return s ? std::to_string(IntOf(*s)) : "0";
  }

  // Emits N (and what stands below it). Parent: the widget expression that owns new controls;
  // Layout: the layout expression controls go into ("" for none); GridPos: index inside a grid
  // group, with its column count.
  void Emit(const Node& N, const std::string& Parent, const std::string& Layout, int GridCols,
            int& GridIndex) {
    auto place = [&](const std::string& What, bool IsLayout) {
      if (Layout.empty()) return;
      if (GridCols > 0) {
        const int r = GridIndex / GridCols, c = GridIndex % GridCols;
        ++GridIndex;
        Line(Layout + (IsLayout ? "->addLayout(" : "->addWidget(") + What + ", " +
             std::to_string(r) + ", " + std::to_string(c) + ");");
      } else {
        Line("platform::AddToLayout(" + Layout + ", " + What + ", " + StretchOf(N) +
             (IsLayout ? ", true" : ", false") + ");");
      }
    };

    switch (N.Type) {
      case NodeType::HBox:
      case NodeType::VBox:
      case NodeType::Grid: {
        const std::string L = NewName("L");
        if (N.Type == NodeType::Grid)
          Line("auto* " + L + " = platform::NewGridLayout();");
        else
          Line("auto* " + L + " = platform::NewBoxLayout('" +
               (N.Type == NodeType::HBox ? "h" : "v") + "');");
        place(L, true);
        const Prop* cols = N.Find("cols");
        int idx = 0;
        for (const auto& c : N.Children)
          Emit(*c, Parent, L, N.Type == NodeType::Grid ? static_cast<int>(IntOf(*cols)) : 0, idx);
        return;
      }
      case NodeType::Stretch: {
        if (Layout.empty()) return;
        const Prop* n = N.Find("stretch");
        Line("platform::AddStretch(" + Layout + ", " + (n ? std::to_string(IntOf(*n)) : "1") + ");");
        return;
      }
      case NodeType::Space: {
        if (Layout.empty()) return;
        const Prop* n = N.Find("size");
        Line("platform::AddSpace(" + Layout + ", " + (n ? std::to_string(IntOf(*n)) : "8") + ");");
        return;
      }
      case NodeType::Item:
      case NodeType::Column:
        return;  // emitted with their control
      case NodeType::Control:
        break;
    }

    const KindInfo* k = FindKind(N.Kind);
    const std::string X = N.Kind == "TForm" ? "Form" : N.Name;
    std::string parent = Parent;
    std::string layout = Layout;
    if (const Prop* p = N.Find("parent")) {
      const std::string P = NewName("P");
      Line("QWidget* " + P + " = R.Widget(" + Quote(p->Value) + ");");
      parent = P;
      layout = NewName("L");
      Line("QLayout* " + layout + " = platform::FormLayoutOf(" + P + ", 'v');");
    }
    Line("// " + N.Kind + " " + N.Name + " (" + F.Path.substr(F.Path.find_last_of("/\\") + 1) +
         ":" + std::to_string(N.Line) + ")");
    if (N.Kind == "TForm") {
      Line("Form->setObjectName(" + Quote(N.Name) + ");");
      Line("Form->setProperty(\"formClass\", \"TForm\");");
    } else if (N.Kind == "TMenuItem") {
      Line(X + " = new " + std::string(k->Class) + "(" + Parent + ");");
      Line(X + "->setObjectName(" + Quote(N.Name) + ");");
      Line(Parent + "->addAction(" + X + ");");
    } else if (N.Kind == "TTabSheet") {
      Line(X + " = new " + std::string(k->Class) + "();");
      Line(X + "->setObjectName(" + Quote(N.Name) + ");");
    } else {
      Line(X + " = new " + std::string(k->Class) + "(" + parent + ");");
      Line(X + "->setObjectName(" + Quote(N.Name) + ");");
      if (N.Kind == "TInfStrip") Line(X + "->setProperty(\"formClass\", \"TInfStrip\");");
    }
    Line("R.Add(" + Quote(N.Name) + ", " + X + ", " + Quote(N.Kind) + ");");
    EmitProps(N, X);
    for (const auto& c : N.Children) {
      if (c->Type == NodeType::Item) {
        if (N.Kind == "TMemo")
          Line(X + "->AddLine(" + CpLiteral(c->Props.front().Value) + ");");
        else
          Line(X + "->AddItem(" + CpLiteral(c->Props.front().Value) + ");");
      } else if (c->Type == NodeType::Column) {
        std::string spec = "{";
        for (size_t i = 0; i < c->Props.size(); ++i)
          spec += std::string(i ? ", " : "") + "{" + Quote(c->Props[i].Key) + ", " +
                  CpLiteral(c->Props[i].Value) + "}";
        Line(X + "->AddColumn(" + spec + "});");
      }
    }
    if (N.Kind == "TCvGrid") Line(X + "->Loaded();");
    if (N.Kind == "TTabSheet") {
      Line(Parent + "->AddSheet(" + X + ");");
    } else if (k->Widget && !Unplaced(N.Kind) && N.Kind != "TForm" && !N.Find("left") &&
               !N.Find("top")) {
      std::string saveLayout = layout;
      // place() uses Layout of this call; a parent= line uses its own layout.
      if (layout != Layout) {
        Line("platform::AddToLayout(" + layout + ", " + X + ", " + StretchOf(N) + ", false);");
      } else {
        place(X, false);
      }
      (void)saveLayout;
    }

    // Children.
    bool hasControls = false;
    for (const auto& c : N.Children)
      if (c->Type != NodeType::Item && c->Type != NodeType::Column) hasControls = true;
    if (!hasControls) return;
    if (N.Kind == "TPageControl" || IsMenu(N.Kind)) {
      int idx = 0;
      for (const auto& c : N.Children) Emit(*c, X, "", 0, idx);
      return;
    }
    const Prop* lay = N.Find("layout");
    std::string L;
    if (!(lay && lay->Value == "none")) {
      char dir = (N.Kind == "TPanel") ? 'h' : 'v';
      if (lay) dir = lay->Value[0];
      L = NewName("L");
      Line("QLayout* " + L + " = platform::FormLayoutOf(" + X + ", '" + std::string(1, dir) + "');");
    }
    int idx = 0;
    for (const auto& c : N.Children) Emit(*c, X, L, 0, idx);
  }
};

void CollectEvents(const Node& N, std::vector<std::pair<const Node*, const Prop*>>& Out) {
  if (N.Type == NodeType::Control)
    for (const auto& e : N.Events) Out.emplace_back(&N, &e);
  for (const auto& c : N.Children) CollectEvents(*c, Out);
}

std::string Banner(const FormFile& F) {
  std::string base = F.Path.substr(F.Path.find_last_of("/\\") + 1);
  return "// Generated by formgen from " + base + ". Do not edit: edit the form text.\n";
}

}  // namespace

std::string EmitHeader(const FormFile& F) {
  std::ostringstream o;
  o << Banner(F) << "#pragma once\n#include <span>\n\n#include <QWidget>\n\n";
  std::set<std::string> headers = {"platform/qt/FormRegistry.h", "platform/qt/FormControls.h"};
  for (const Node* n : ControlsOf(F))
    if (*FindKind(n->Kind)->Header) headers.insert(FindKind(n->Kind)->Header);
  for (const auto& h : headers) o << "#include \"" << h << "\"\n";
  o << "\nstruct " << F.Name << "Form {\n";
  for (const Node* n : ControlsOf(F))
    if (n->Kind != "TForm") o << "  " << FindKind(n->Kind)->Class << "* " << n->Name << " = nullptr;\n";
  o << "\n  // Creates the controls of " << F.Name << ".form";
  if (!F.On.empty()) o << " in " << F.On;
  o << ", sets their properties, lays them out and registers them in R.\n";
  o << "  void Build_" << F.Name << "(QWidget* Form, platform::TFormRegistry& R);\n";
  o << "  // The form's event bindings: control, event, handler.\n";
  o << "  static std::span<const platform::TFormEvent> Events_" << F.Name << "();\n";
  o << "\n  // The same under the names every form struct has (for a class that holds one form).\n";
  o << "  static constexpr const char* FormName = " << Quote(F.Name) << ";\n";
  o << "  // The control the form fills (empty for the window's shell).\n";
  o << "  static constexpr const char* FormTarget = " << Quote(F.On) << ";\n";
  o << "  void Build(QWidget* Form, platform::TFormRegistry& R) { Build_" << F.Name
    << "(Form, R); }\n";
  o << "  static std::span<const platform::TFormEvent> EventTable() { return Events_" << F.Name
    << "(); }\n";
  o << "};\n";
  return o.str();
}

std::string EmitSource(const FormFile& F) {
  std::ostringstream o;
  o << Banner(F) << "#include \"" << F.Name << "Form.h\"\n\n#include <QLayout>\n#include <QMenu>\n\n"
    << "#include \"foundation/cvLit.h\"\n#include \"platform/qt/QtCanvas.h\"\n\n";
  o << "void " << F.Name << "Form::Build_" << F.Name
    << "(QWidget* Form, platform::TFormRegistry& R) {\n";
  o << "  (void)Form;\n  (void)R;\n";
  Emitter e(F);
  std::string parent = "Form", layout;
  if (!F.On.empty()) {
    e.Line("QWidget* Target = R.Widget(" + Quote(F.On) + ");");
    e.Line("QLayout* TargetLayout = platform::FormLayoutOf(Target, 'v');");
    e.Line("(void)TargetLayout;");
    parent = "Target";
    layout = "TargetLayout";
  }
  int idx = 0;
  for (const auto& r : F.Roots) e.Emit(*r, parent, layout, 0, idx);
  o << e.Out.str() << e.Late.str() << "}\n\n";

  std::vector<std::pair<const Node*, const Prop*>> evs;
  for (const auto& r : F.Roots) CollectEvents(*r, evs);
  o << "std::span<const platform::TFormEvent> " << F.Name << "Form::Events_" << F.Name << "() {\n";
  if (evs.empty()) {
    o << "  return {};\n}\n";
  } else {
    o << "  static const platform::TFormEvent kEvents[] = {\n";
    for (const auto& [n, p] : evs)
      o << "      {" << Quote(n->Name) << ", " << Quote(p->Key) << ", " << Quote(p->Value) << "},\n";
    o << "  };\n  return kEvents;\n}\n";
  }
  return o.str();
}

std::string EmitWindowHeader(const std::string& Window, const std::vector<FormFile>& Files) {
  std::ostringstream o;
  o << "// Generated by formgen: every form of the window " << Window
    << ". Do not edit: edit the form texts.\n#pragma once\n#include <vector>\n\n";
  for (const auto& f : Files) o << "#include \"" << f.Name << "Form.h\"\n";
  o << "\nstruct " << Window << "Forms";
  for (size_t i = 0; i < Files.size(); ++i) o << (i ? ",\n    " : "\n    : ") << "public " << Files[i].Name << "Form";
  o << " {\n  // Builds every form of the window in order.\n";
  o << "  void BuildForms(QWidget* Form, platform::TFormRegistry& R);\n";
  o << "  // The event bindings of all the forms, in form order.\n";
  o << "  static std::vector<platform::TFormEvent> FormEvents();\n";
  o << "  // The form texts, in build order.\n";
  o << "  static std::vector<const char*> FormNames();\n};\n";
  return o.str();
}

std::string EmitWindowSource(const std::string& Window, const std::vector<FormFile>& Files) {
  std::ostringstream o;
  o << "// Generated by formgen. Do not edit.\n#include \"" << Window << "Forms.h\"\n\n";
  o << "void " << Window << "Forms::BuildForms(QWidget* Form, platform::TFormRegistry& R) {\n";
  for (const auto& f : Files) o << "  Build_" << f.Name << "(Form, R);\n";
  o << "}\n\nstd::vector<platform::TFormEvent> " << Window << "Forms::FormEvents() {\n";
  o << "  std::vector<platform::TFormEvent> v;\n";
  for (const auto& f : Files)
    o << "  for (const auto& e : Events_" << f.Name << "()) v.push_back(e);\n";
  o << "  return v;\n}\n\nstd::vector<const char*> " << Window << "Forms::FormNames() {\n  return {";
  for (size_t i = 0; i < Files.size(); ++i) o << (i ? ", " : "") << Quote(Files[i].Name);
  o << "};\n}\n";
  return o.str();
}

}  // namespace formgen
