// formgen --window <Name> --out <folder> <file.form>...
// Writes <Form>Form.h/.cpp for every form text and <Name>Forms.h/.cpp for the window. A file is
// rewritten only when its text changes. Errors go to standard error as "<file>:<line>: <text>".
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/formgen/FormGen.h"

namespace {

bool ReadAll(const std::string& Path, std::string& Text) {
  std::ifstream f(Path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  Text = s.str();
  return true;
}

bool WriteIfChanged(const std::string& Path, const std::string& Text) {
  std::string old;
  if (ReadAll(Path, old) && old == Text) return true;
  std::ofstream f(Path, std::ios::binary | std::ios::trunc);
  f << Text;
  return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  std::string window, out;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--window" && i + 1 < argc)
      window = argv[++i];
    else if (a == "--out" && i + 1 < argc)
      out = argv[++i];
    else
      files.push_back(a);
  }
  if (window.empty() || out.empty() || files.empty()) {
    std::cerr << "usage: formgen --window <Name> --out <folder> <file.form>...\n";
    return 2;
  }
  try {
    std::vector<formgen::FormFile> forms;
    for (const auto& f : files) {
      std::string text;
      if (!ReadAll(f, text)) throw formgen::Error(f + ":1: cannot read the file");
      forms.push_back(formgen::Parse(text, f));
    }
    formgen::CheckWindow(forms);
    bool ok = true;
    for (const auto& f : forms) {
      ok &= WriteIfChanged(out + "/" + f.Name + "Form.h", formgen::EmitHeader(f));
      ok &= WriteIfChanged(out + "/" + f.Name + "Form.cpp", formgen::EmitSource(f));
    }
    ok &= WriteIfChanged(out + "/" + window + "Forms.h", formgen::EmitWindowHeader(window, forms));
    ok &= WriteIfChanged(out + "/" + window + "Forms.cpp", formgen::EmitWindowSource(window, forms));
    if (!ok) {
      std::cerr << "formgen: cannot write into " << out << "\n";
      return 1;
    }
  } catch (const formgen::Error& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
