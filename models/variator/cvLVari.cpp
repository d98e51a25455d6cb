#include "models/variator/cvLVari.h"

#include <sys/stat.h>

#include <cmath>
#include <ctime>

#include "foundation/cvCIL.h"
#include "foundation/cvClock.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "models/variator/cvVariText.h"
#include "platform/FileErr.h"

namespace {

const std::string CRLF = "\r\n";

using varitext::Words;

// The file's modification time in days since 1899-12-30 (local time); 0 when unknown.
double FileDays(const std::string& Name) {
  struct stat st {};
  if (stat(platform::SysPath(Name).c_str(), &st) != 0) return 0;
  std::tm tm{};
  const time_t t = st.st_mtime;
  localtime_r(&t, &tm);
  const double local = static_cast<double>(t) + static_cast<double>(tm.tm_gmtoff);
  return local / 86400.0 + 25569.0;
}

// The most values one expansion may give.
constexpr int64_t kSpreadMaxValues = 1000000;

// Number of digits after the decimal point of a number text (0 without a point).
int32_t Decimals(const std::string& S) {
  const size_t p = S.find('.');
  if (p == std::string::npos) return 0;
  int32_t n = 0;
  for (size_t i = p + 1; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i) ++n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The list

TLVARI::TLVARI() = default;

TLVARI::~TLVARI() {
  TVariContext& ctx = VariCtx();
  for (auto& v : items_)
    if (ctx.VARI == v.get()) ctx.VARI = nullptr;
}

TVARIATOR* TLVARI::Items(int32_t I) const {
  if (I < 0 || I >= Count()) return nullptr;
  return items_[static_cast<size_t>(I)].get();
}

void TLVARI::CheckEntry(int32_t I, const std::string& Caption) const {
  if (const TVARIATOR* v = Items(I)) v->Check(Caption);
}

bool TLVARI::AddVARI(std::unique_ptr<TVARIATOR>& V) {
  if (!V) return false;
  for (const auto& e : items_) {
    if (e->QUEST != V->QUEST || e->IQ != V->IQ) continue;
    if (e->NAdd == V->NAdd) return false;
    V->IQ = e->IQ + 1;
  }
  items_.push_back(std::move(V));
  return true;
}

void TLVARI::Append(std::unique_ptr<TVARIATOR> V) {
  if (V) items_.push_back(std::move(V));
}

TVARIATOR* TLVARI::GetQuestVARI(const std::string& Quest) {
  TVARIATOR* found = nullptr;
  for (int32_t i = 0; i < Count(); ++i) {
    CheckEntry(
        i, "GetQuestVARI(" + IntStr(i) + ") Count=" + IntStr(Count()) + " QUEST(" + Quest + ")");
    if (items_[static_cast<size_t>(i)]->QUEST == Quest)
      found = items_[static_cast<size_t>(i)].get();
  }
  return found;
}

TVARIATOR* TLVARI::GetQuestIQVARI(const std::string& Quest, int32_t IQ) {
  TVARIATOR* found = nullptr;
  for (int32_t i = 0; i < Count(); ++i) {
    CheckEntry(
        i, "GetQuestVARI(" + IntStr(i) + ") Count=" + IntStr(Count()) + " QUEST(" + Quest + ")");
    const auto& v = items_[static_cast<size_t>(i)];
    if (v->QUEST == Quest && v->IQ == IQ) found = v.get();
  }
  return found;
}

TVARIATOR* TLVARI::GetIQuestVARI(const std::string& Quest, int32_t IQ) {
  if (IQ == 0) return GetQuestVARI(Quest);
  for (int32_t i = 0; i < Count(); ++i) {
    CheckEntry(
        i, "GetQuestVARI(" + IntStr(i) + ") Count=" + IntStr(Count()) + " QUEST(" + Quest + ")");
    const auto& v = items_[static_cast<size_t>(i)];
    if (v->QUEST == Quest && v->IQ == IQ) return v.get();
  }
  WARNAbs("LVARI.GetIQuestVARI QUEST=<" + Quest + ">." + IntStr(IQ) + " не найден!"_cp);
  return nullptr;
}

int32_t TLVARI::CountQuest(const std::string& Quest) const {
  int32_t n = 0;
  for (const auto& v : items_)
    if (v->QUEST == Quest) ++n;
  return n;
}

int32_t TLVARI::MaxIQ(const std::string& Quest) const {
  int32_t m = 0;
  for (const auto& v : items_)
    if (v->QUEST == Quest && v->IQ > m) m = v->IQ;
  return m;
}

int32_t TLVARI::IndexOfVARI(const TVARIATOR* V) const {
  if (!V) return -1;
  for (int32_t i = 0; i < Count(); ++i) {
    const auto& e = items_[static_cast<size_t>(i)];
    if (e->QUEST == V->QUEST && e->IQ == V->IQ && e->NAdd == V->NAdd) return i;
  }
  return -1;
}

void TLVARI::ClearQuest(const std::string& Quest) {
  TVariContext& ctx = VariCtx();
  for (int32_t i = Count() - 1; i >= 0; --i) {
    CheckEntry(i, "QUEST(" + Quest + ") Clear At BEGIN");
    auto& v = items_[static_cast<size_t>(i)];
    if (v->QUEST != Quest) continue;
    v->Clear();
    v->Check("QUEST(" + Quest + ") Clear At END");
    if (ctx.VARI == v.get()) ctx.VARI = nullptr;  // the working variator goes with its quest
    items_.erase(items_.begin() + i);
  }
}

std::unique_ptr<TStringList> TLVARI::Dump() const {
  auto l = std::make_unique<TStringList>();
  l->Add("LVARI[" + IntStr(Count()) + "] DUMP:-------------");
  for (int32_t i = 0; i < Count(); ++i) {
    l->Add("---------- LVARI[" + PadLeft(IntStr(i), 3) + "] = ------------------");
    auto d = items_[static_cast<size_t>(i)]->ReportDump();
    l->AddStrings(*d);
    l->Add("------------------------------------------");
  }
  return l;
}

// ---------------------------------------------------------------------------------------------
// Reading a control file

namespace {

// rdVARI of the context for the time of one reading.
class TReadingScope {
 public:
  TReadingScope(TVariContext& Ctx, TVARIATOR* V) : ctx_(Ctx), saved_(Ctx.rdVARI) { Ctx.rdVARI = V; }
  ~TReadingScope() { ctx_.rdVARI = saved_; }
  void Set(TVARIATOR* V) { ctx_.rdVARI = V; }

 private:
  TVariContext& ctx_;
  TVARIATOR* saved_;
};

}  // namespace

void TLVARI::LoadFromFile(const std::string& Quest, const std::string& FileName, bool AddRunCont) {
  if (!platform::IsRegularFile(FileName))
    ErrAbs("LVARI AddFromFile - файл ["_cp + FileName + "] не найден!"_cp);
  ClearQuest(Quest);
  TVariContext& ctx = VariCtx();
  auto rd = std::make_unique<TVARIATOR>(Quest, 1);
  TReadingScope reading(ctx, rd.get());
  if (ChanOn(1)) Sayer->ChanLog(1, "LVARI.LoadFromFile QUEST=" + Quest + " 1 <= " + FileName);

  TCIL cil;
  cil.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
  cil.LoadAndTrunc(FileName, "#EXIT USE #");
  cil.SetBlockComment("!*", "*!");
  cil.DelBlockComments();
  cil.SetComment("!");
  cil.DelComments();
  cil.DelEmptyLines();
  cil.SetFolder(PathJoin(Models().Root(), "ONE") + "/");
  cil.Include("#INC_PATH", "#", "#INC", "#");
  cil.DelEmptyLines();
  // The added step line comes after the text (kept apart so that errors still point into it).
  const int32_t nText = cil.Count();
  const int32_t n = nText + (AddRunCont ? 1 : 0);

  TStringList parLines;
  std::string pending;
  bool inPar = false, join = false, cont = false, oneVal = false, contRan = false;
  int32_t lineCount = 0;
  std::string doneKey;
  TVARIATOR* lastStep = nullptr;
  int32_t lastStepNAdd = 0;

  for (int32_t i = 0; i < n; ++i) {
    if (doneKey == "#EXIT") break;
    const bool added = i >= nText;
    std::string line = added ? std::string("#RUN CONT #") : cil[i];
    ++lineCount;
    doneKey.clear();
    const int32_t at = added ? nText - 1 : i;
    cil.CurLine = at;
    const std::string srcFile = added ? FileName : cil.IncludeFileNam(cil.IncludeFileNum(i));
    auto fail = [&](int32_t Column, const std::string& Msg) { cil.ErrAt(at, Column, Msg); };
    // A parameter that cannot be added stops the reading at its line like a format error.
    auto guarded = [&](const auto& Add) {
      try {
        Add();
      } catch (const EInOutError& e) {
        std::string m = e.what();
        if (m.rfind("ErrAbs: ", 0) == 0) m = m.substr(8);
        while (!m.empty() && (m.back() == '\r' || m.back() == '\n')) m.pop_back();
        fail(1, m);
      }
    };
    const bool hasHash = line.find('#') != std::string::npos;

    if (hasHash && !inPar) {
      const std::string t = TrimCtl(line);
      if (t.empty() || t[0] != '#')
        fail(static_cast<int32_t>(line.find('#')) + 1,
             "ключ ["_cp + t +
                 "], который начинается с символа \"#\", должен стоять в начале строки!"_cp + CRLF +
                 "Строка=<"_cp + line + ">");
      const size_t eq2 = line.find("==");
      if (eq2 != std::string::npos) {
        const std::string before = line.substr(0, eq2);
        const int32_t nw = static_cast<int32_t>(Words(before).size());
        if (nw != 1)
          fail(static_cast<int32_t>(eq2) + 1,
               "в слове <"_cp + TrimCtl(before) +
                   "> перед знаком \"==\" должо быть 1 слово, а не "_cp + IntStr(nw) + "!");
        join = true;
        line.replace(eq2, 2, "  ");
      }
      const size_t eq = line.rfind('=');
      if (eq != std::string::npos) {
        const std::string after = TrimCtl(line.substr(eq + 1));
        if (after.empty())
          cont = true;
        else if (after == "#")
          oneVal = true;
        line[eq] = ' ';
      }
      const size_t first = line.find('#');
      const size_t close = line.rfind('#');
      if (close == first) {
        inPar = true;
        parLines.Clear();
        if (cont) {
          cont = false;
          pending = line;
          contRan = true;
        } else {
          parLines.Add(line);
        }
        continue;
      }
      if (!TrimCtl(line.substr(close + 1)).empty())
        fail(static_cast<int32_t>(close) + 1,
             "в строке "_cp + CRLF + "<" + line.substr(first + 1) + ">" + CRLF +
                 "не должно ничего стоять после закрывающего знака \"#\"!"_cp);
      line[close] = ' ';
      line = TrimCtl(line);
      if (join)
        guarded([&] { rd->ConcateP(line); });
      else
        guarded([&] { rd->AddPQOneStr(line, oneVal); });
      rd->SetSrc(srcFile, lineCount);
      join = cont = oneVal = contRan = false;
      pending.clear();
      const auto w = Words(line);
      doneKey = w.empty() ? std::string() : w[0];
    } else if (hasHash && inPar) {
      const size_t first = line.find('#');
      if (!TrimCtl(line.substr(first + 1)).empty())
        fail(
            static_cast<int32_t>(first) + 1,
            "VARIATOR Load Описание каждого параметра начинается и заканчивается \n\r символом \"#\". Закрывающий # должен быть последним в строке!"_cp);
      line[first] = ' ';
      if (cont || contRan || !pending.empty()) {
        if (!pending.empty()) line = TrimCtl(pending) + " " + TrimCtl(line);
        pending.clear();
      }
      parLines.Add(TrimCtl(line));
      if (join)
        guarded([&] { rd->ConcatePSL(&parLines); });
      else
        guarded([&] { rd->AddPSL(&parLines); });
      rd->SetSrc(srcFile, lineCount);
      doneKey = TrimCtl(parLines[0]);
      parLines.Clear();
      inPar = join = cont = oneVal = contRan = false;
    } else if (inPar) {
      const std::string r = TrimRightCtl(line);
      if (!r.empty() && r.back() == '=') {
        line = r.substr(0, r.size() - 1) + " ";
        cont = true;
      }
      if (!pending.empty()) line = TrimCtl(pending) + " " + TrimCtl(line);
      if (cont) {
        pending = line;
      } else {
        pending.clear();
        const std::string t = TrimCtl(line);
        if (!t.empty()) parLines.Add(t);
      }
      continue;
    } else {
      continue;  // text outside a parameter is not read
    }

    if (doneKey == "#RUN") {
      TVARIATOR* filed = rd.get();
      std::unique_ptr<TVARIATOR> next;
      const int32_t nadd = rd->NAdd;
      if (AddVARI(rd)) {
        filed->Check("QUEST(" + Quest + ") LoadFromFile on Step term VARI");
        next = filed->Clone();
      } else {
        next = rd->Clone();
        filed = nullptr;
      }
      lastStep = filed ? filed : lastStep;
      lastStepNAdd = nadd;
      next->IQ = (filed ? filed->IQ : next->IQ) + 1;
      rd = std::move(next);
      reading.Set(rd.get());
    }
  }

  if (!lastStep && rd->NK >= 1) {
    WARNAbs("LVARI.LoadFromFile " + FileName + " QUEST=" + Quest + " rdVARI.NK=" + IntStr(rd->NK) +
            " При этом VARIOld Not Assigned!"_cp + CRLF + "Очевидно пропущена команда #RUN !"_cp);
    return;
  }
  rd->Stamp = DayFracToMs(FileDays(FileName));
  int32_t lastIQ = lastStep ? lastStep->IQ : 0;
  if (rd->NK < 1 || (lastStep && rd->NAdd == lastStepNAdd)) {
    rd->Clear();
    rd->Check("QUEST(" + Quest + ") LoadFromFile on Close Empty VARY");
    rd.reset();
  } else {
    rd->Check("QUEST(" + Quest + ") LoadFromFile on Close after RUN VARY");
    lastIQ = rd->IQ;
    Append(std::move(rd));
  }
  reading.Set(nullptr);
  if (ChanOn(1))
    Sayer->ChanLog(1, "LVARI.LoadFromFile QUEST=" + Quest + " " + IntStr(lastIQ) +
                          " <= " + FileName + " ENDED!!!");
}

// ---------------------------------------------------------------------------------------------
// Value-range expansion

void SpreadFunc(const std::string& Text, std::string& Result) {
  Result.clear();
  const std::vector<std::string> w = Words(Text);
  WARNAbs(Text);
  WARNAbs("N=" + IntStr(static_cast<int32_t>(w.size())));
  if (w.empty()) return;
  auto done = [&] { WARNAbs(Result); };
  if (w[0].find("LINLIST") != std::string::npos) {
    WARNAbs("SKey=<" + w[0] + ">");
    if (w.size() >= 2 && w[1] == "1") {
      TVARIATOR* rd = VariCtx().rdVARI;
      std::string ids;
      if (rd)
        ids = TrimCtl(Models().LinListIds(*rd));
      else
        WARNAbs("SpreadFunc $LINLIST: нет читаемого вариатора!"_cp);
      if (!ids.empty()) Result = "#LIN " + ids;
    }
    done();
    return;
  }
  const size_t dollar = w[0].find('$');
  const std::string key = w[0].substr(dollar + 1);
  WARNAbs("SKey=<" + key + ">");
  if (w.size() < 4) {
    WARNAbs("SpreadFunc в строке <"_cp + Text + "> нужны X1 X2 XD!"_cp);
    done();
    return;
  }
  const std::string& x1s = w[1];
  const std::string& x2s = w[2];
  const std::string& xds = w[3];
  int32_t code = 0;
  const double xd = ValRealCode(xds, code);
  if (code != 0) {
    WARNAbs("SpreadFunc параметр XD = <"_cp + xds + "> - не число!"_cp);
    done();
    return;
  }
  std::string values;
  if (xds == "1") {
    // enumeration: a common prefix and zero-padded numbers, or plain integers
    size_t p = 0;
    while (p + 1 < x1s.size() && p < x2s.size() && x1s[p] == x2s[p]) ++p;
    const std::string r1 = x1s.substr(p), r2 = x2s.substr(p);
    if (r1.empty() || r2.empty() || !IsDigits(r1) || !IsDigits(r2) || r1.size() > 9 ||
        r2.size() > 9) {
      WARNAbs("SpreadFunc параметры X1 и X2 не согласуются!"_cp + CRLF + "X1=<" + x1s + "> X2=<" +
              x2s + ">");
      done();
      return;
    }
    const int64_t a = std::stoll(r1), b = std::stoll(r2);
    if (a > b) {
      WARNAbs("SpreadFunc перечисление от X1=<"_cp + x1s + "> до X2=<"_cp + x2s +
              "> не дает ни одного значения; параметр не добавлен!"_cp + CRLF + "Строка=<"_cp +
              Text + ">");
      done();
      return;
    }
    if (b - a >= kSpreadMaxValues) {
      WARNAbs("SpreadFunc в строке <"_cp + Text + "> больше миллиона значений!"_cp);
      done();
      return;
    }
    const std::string prefix = x1s.substr(0, p);
    for (int64_t v = a; v <= b; ++v) {
      if (!values.empty()) values += " ";
      values += prefix.empty() ? I64Str(v) : prefix + ZeroPad(v, static_cast<int>(r2.size()));
    }
  } else {
    int32_t c1 = 0, c2 = 0;
    const double x1 = ValRealCode(x1s, c1);
    const double x2 = ValRealCode(x2s, c2);
    if (c1 != 0) WARNAbs("SpreadFunc параметр X1 = <"_cp + x1s + "> - не число!"_cp);
    if (c2 != 0) WARNAbs("SpreadFunc параметр X2 = <"_cp + x2s + "> - не число!"_cp);
    if (c1 != 0 || c2 != 0) {
      done();
      return;
    }
    const int32_t d = std::max({Decimals(xds), Decimals(x1s), Decimals(x2s)});
    std::string bad;
    if (xd > 0 && x2 <= x1)
      bad = "SpreadFunc XD = " + xds + " > 0, а X2="_cp + x2s + " <= X1=" + x1s + "!!!";
    else if (xd < 0 && x2 >= x1)
      bad = "SpreadFunc XD = " + xds + " < 0, а X2="_cp + x2s + " >= X1=" + x1s + "!!!";
    else if (xd == 0)
      bad = "SpreadFunc XD = " + xds + " = 0!!!";
    if (!bad.empty()) {
      WARNAbs(bad);
      done();
      return;
    }
    const double count = std::trunc((x2 - x1 + 1.1 * xd / 2) / xd);
    if (count >= kSpreadMaxValues) {
      WARNAbs("SpreadFunc в строке <"_cp + Text + "> больше миллиона значений!"_cp);
      done();
      return;
    }
    double x = x1;
    values = FDecSt(d, x);
    for (int64_t k = 1; k <= static_cast<int64_t>(count); ++k) {
      x += xd;
      values += " " + FDecSt(d, x);
    }
  }
  Result = "#" + key + " " + values;
  done();
}
