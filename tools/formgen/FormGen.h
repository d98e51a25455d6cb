// The form generator: reads the declarative form texts of a window (one file per tab sheet plus
// one for the window's shell) and writes C++ that creates the controls, sets their properties,
// puts them into layouts, registers them by name and lists their event bindings.
//
// Form text (UTF-8; one item per line; indentation by blanks gives the parent):
//
//   ; a comment line (";" or "#" as the first non-blank character)
//   form TabEd on=TabEd              first line: the form's name (= the file's stem) and, for a
//                                    form that fills a control made by another form, its target
//   TButton btOpen caption="GO" hint="..." OnClick=btOpenClick
//     (a control: kind, name, then key=value properties and On<Event>=<handler> bindings)
//   hbox / vbox [stretch=N]          a horizontal or vertical group of the lines indented below
//   grid cols=N                      a grid of the lines below, filled row by row
//   stretch [n=N]                    an empty stretching place in the enclosing group
//   space size=N                     a fixed empty place
//   item "text"                      an item of the list control above (combo box, list box,
//                                    memo lines)
//   column name=N kind=K caption="..." width=N ...   a column of the TCvGrid above (kinds text,
//                                    number, checkbox, list, combobox; the settings of
//                                    grid/qt/cvGxForm.h)
//
// Values are bare words or "quoted texts" (\" and \\ inside). A control line at the top of a file
// with on=X goes into X; "parent=Name" on a top-level line puts it into another registered
// container. The shell's file has the window itself as its one top-level line: "TForm <name>".
// Every error is reported as "<file>:<line>: <text>".
#pragma once
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace formgen {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Prop {
  std::string Key;
  std::string Value;
  int Line = 0;
};

enum class NodeType { Control, HBox, VBox, Grid, Stretch, Space, Item, Column };

struct Node {
  NodeType Type = NodeType::Control;
  std::string Kind;  // controls
  std::string Name;  // controls
  int Line = 0;
  int Indent = 0;
  std::vector<Prop> Props;   // properties (events not included)
  std::vector<Prop> Events;  // OnClick=handler ...
  std::vector<std::unique_ptr<Node>> Children;
  Node* Parent = nullptr;

  const Prop* Find(const std::string& Key) const;
};

struct FormFile {
  std::string Path;  // as given (used in messages)
  std::string Name;  // form name = the file's stem
  std::string On;    // target container of the top-level lines ("" for the shell)
  int HeaderLine = 0;
  std::vector<std::unique_ptr<Node>> Roots;
};

// What the generator knows about a control kind.
struct KindInfo {
  const char* Kind;
  const char* Class;   // C++ class of the member
  const char* Header;  // header that declares it
  bool Widget;         // a QWidget (else a QObject owned by the form: menus, items, timers)
  bool Container;      // may hold controls
  bool Items;          // takes item lines
  bool Columns;        // takes column lines
};
const KindInfo* FindKind(const std::string& Kind);
const std::vector<KindInfo>& Kinds();

// Parses one form text; Path is used in messages.
FormFile Parse(const std::string& Text, const std::string& Path);
// Checks the forms of one window together: names unique across the window, targets and popup
// menus that exist, exactly one shell. Orders the files so that every file comes after the
// files that make its targets (the shell first).
void CheckWindow(std::vector<FormFile>& Files);

// The generated code of one form: a struct <Name>Form with one typed member per control, its
// builder Build_<Name> and its event table Events_<Name>; and the same under names
// that every form struct has (FormName, FormTarget, Build, EventTable), for a class that holds
// one form (a tab of the main window).
std::string EmitHeader(const FormFile& F);
std::string EmitSource(const FormFile& F);
// The window's struct <Window>Forms, which derives from every form struct, builds them all in
// order (BuildForms) and lists all their event bindings (FormEvents).
std::string EmitWindowHeader(const std::string& Window, const std::vector<FormFile>& Files);
std::string EmitWindowSource(const std::string& Window, const std::vector<FormFile>& Files);

// A C++ string literal of a UTF-8 text, as code page 1251 text ("..."_cp when it holds
// non-ASCII characters).
std::string CpLiteral(const std::string& Utf8);

}  // namespace formgen
