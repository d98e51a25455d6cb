#include "synthesis/fit/cvSun69.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "foundation/cvCIL.h"
#include "foundation/cvFile.h"
#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/variator/cvVari.h"
#include "models/variator/cvVariContext.h"
#include "platform/FileErr.h"
#include "synthesis/cvSynServices.h"
#include "synthesis/fit/cvFitUtil.h"
#include "synthesis/profiles/cvLUnno.h"
#include "synthesis/profiles/cvUnno.h"

namespace {

bool IsLamChar(char c) { return (c >= '0' && c <= '9') || c == '.'; }

std::string MuText(const std::array<double, 5>& Mu) {
  std::string s;
  for (double m : Mu) s += (s.empty() ? "" : " ") + ShortSt(6, m);
  return s;
}

}  // namespace

double EndStrToLam(const std::string& Text) {
  const std::string t = TrimCtl(Text);
  if (t.empty()) return 0;
  size_t p = t.size();
  while (p > 0 && IsLamChar(t[p - 1])) --p;
  const std::string rest = t.substr(p);
  int32_t code = 0;
  const double v = rest.empty() ? 0 : ValRealCode(rest, code);
  if (rest.empty() || code != 0) {
    WARNAbs("EndStrToLam-Err строку <"_cp + rest + "> нельзя преобразовать в длину волны!"_cp);
    return 0;
  }
  return v;
}

int32_t AReNextAbove(const TARe& A, double X) {
  const int32_t n = NOf(A);
  int32_t best = n + 1;
  for (int32_t i = 1; i <= n; ++i) {
    const double a = A[static_cast<size_t>(i)];
    if (a > X && (best > n || a < A[static_cast<size_t>(best)])) best = i;
  }
  return best;
}

int32_t Load5Profiles(const std::string& File, int32_t Base, const std::string& Quest,
                      int32_t IQ, TLUNNO& List, std::array<double, 5>& Mu) {
  if (!platform::IsRegularFile(File)) {
    WARNAbs("Load5Profiles-Err File Not Exists <" + File + "> !");
    return 0;
  }
  TCIL cil;
  cil.SetErrProc([](const std::string& Text, const std::string& F, int32_t L, int32_t P) {
    Synthesis().OpenAt(Text, F, L, P);
  });
  cil.Load(File, "5Profiles");
  if (!cil.Loaded) return 0;
  cil.NextLine();
  const std::string id = cil.GetWord();
  cil.NextLine();
  const std::string lamLine = TrimCtl(cil.Line);
  const double lamb = EndStrToLam(lamLine);
  if (lamb == 0) cil.Err("Ошибка при чтении длины волны в строке\r\n"_cp + lamLine);
  cil.NextLine();
  const std::string muLine = TrimCtl(cil.Line);
  if (fit::Words(muLine).size() != 5) {
    WARNAbs("Load5Profiles-Err В строке \r\n"_cp + muLine + "\r\n" +
            "должно быть 5 гелиоцентрических углов"_cp);
    cil.Unload();
    return 0;
  }
  for (double& m : Mu) {
    m = cil.GetReal();
    if (std::fabs(m - 0.44) < 0.001) m = 0.436;
  }

  // data rows
  TARe off(1, 0.0);
  std::vector<std::array<double, 5>> I(1);
  for (cil.NextLine(); !cil.Line.empty(); cil.NextLine()) {
    std::string row = cil.Line;
    if (row.size() < 32) row.append(32 - row.size(), ' ');
    const std::string x = TrimCtl(row.substr(0, 7));
    int32_t code = 0;
    const double o = x.empty() ? 0 : ValRealCode(x, code);
    if (x.empty() || code != 0) {
      cil.SetWordPos(1);
      cil.Err("Ошибка при чтении X=<"_cp + x + ">");
    }
    std::array<double, 5> v{};
    for (int k = 0; k < 5; ++k) {
      const std::string f = TrimCtl(row.substr(7 + 5 * static_cast<size_t>(k), 5));
      double y = 0;
      if (!f.empty()) {
        y = ValRealCode(f, code);
        if (code != 0) {
          cil.SetWordPos(8 + 5 * k);
          cil.Err("Ошибка при чтении I("_cp + IntStr(k + 1) + ")=<" + f + ">");
        }
      }
      v[static_cast<size_t>(k)] = y == 0 ? 1.0 : y / 1000;
    }
    off.push_back(o);
    I.push_back(v);
  }
  cil.Unload();

  // the distinct offsets above -1000 mA, ascending; the first row of equal offsets counts
  std::vector<int32_t> rows;
  for (double x = -1000;;) {
    const int32_t k = AReNextAbove(off, x);
    if (k > NOf(off)) break;
    rows.push_back(k);
    x = off[static_cast<size_t>(k)];
  }
  const int32_t m = static_cast<int32_t>(rows.size());
  for (int32_t a = 0; a < 5; ++a) {
    auto U = std::make_unique<TUNNO>();
    U->QUEST = Quest;
    U->IQ = IQ;
    U->sULin = id;
    U->ALG = "READ";
    U->KVARI = Base + a + 1;
    U->MJU = Mu[static_cast<size_t>(a)];
    U->KMJU = 1;
    U->LAMB = lamb;
    U->LGT = -8.5;
    U->KLGT = 0;
    U->KL = 0;
    U->KSym = 2;
    U->ChDL = 'A';
    U->K4 = 1;
    U->KDif = 0;
    U->KRef = 1;
    U->CONT = 1;
    U->KCONT = 1;
    U->PART = 1;
    U->NDL = m;
    U->UL.assign(static_cast<size_t>(m) + 1, 0.0);
    U->UI.assign(static_cast<size_t>(m) + 1, 0.0);
    U->UK.assign(static_cast<size_t>(m) + 1, 0);
    U->UNN.assign(static_cast<size_t>(m) + 1, 0);
    U->ILAM = 0;
    for (int32_t j = 1; j <= m; ++j) {
      const int32_t r = rows[static_cast<size_t>(j - 1)];
      U->UL[static_cast<size_t>(j)] = lamb + off[static_cast<size_t>(r)] / 1000;
      U->UI[static_cast<size_t>(j)] = I[static_cast<size_t>(r)][static_cast<size_t>(a)];
      U->UNN[static_cast<size_t>(j)] = j;
      if (off[static_cast<size_t>(r)] == 0) U->ILAM = j;
    }
    List.Add(std::move(U));
  }
  return 5;
}

void ReadSun69(TJob& Job, TLUNNO& List) {
  TVARIATOR* V = VariCtx().VARI;
  if (!V) ModFatal("READ_SUN69: рабочий вариатор VARI неопределен!"_cp);
  std::string folder = TrimCtl(V->GetS("#SRCDIR"));
  if (folder.empty()) {
    WARNAbs("В управляющем файле не задан #SRCDIR !"_cp);
    return;
  }
  // a relative folder stands below the project folder
  std::string dir = SlashPath(folder);
  if (!platform::IsDirectory(dir) && !dir.empty() && dir[0] != '/')
    dir = DirSlash(Models().ProjectDir()) + dir;
  if (!platform::IsDirectory(dir)) {
    WARNAbs("Каталог <"_cp + folder + ">, заданный "_cp + "\r\n" +
            " в переменной #SRCDIR управляющего файла НЕ НАЙДЕН!"_cp);
    return;
  }
  (void)V->GetS("#ALG");  // must exist: the variator's fatal message otherwise

  // every file first, into a list of the run's own
  const std::string quest = V->QUEST;
  const int32_t iq = V->IQ;
  TLUNNO read;
  int32_t base = 0;
  std::string lins, prevLin;
  std::array<double, 5> mu0{};
  bool haveMu = false;
  // the folder's files in name order
  const std::unique_ptr<TStringList> files = ListFiles(DirSlash(dir));
  const int64_t n = files ? files->Count() : 0;
  for (int64_t f = 0; f < n; ++f) {
    const std::string name = (*files)[static_cast<int>(f)];
    if (!Job.Step(f, n, "READ_SUN69 " + name)) return;
    const std::string path = DirSlash(dir) + name;
    std::array<double, 5> mu{};
    TLUNNO one;
    const int32_t added = Load5Profiles(path, base, quest, iq, one, mu);
    if (added == 0) continue;
    if (!haveMu) {
      mu0 = mu;
      haveMu = true;
    } else if (mu != mu0) {
      WARNAbs("Load5Profiles-Err файл <"_cp + path + ">: углы "_cp + MuText(mu) +
              " не совпадают с углами "_cp + MuText(mu0) + " первого файла - файл пропущен!"_cp);
      continue;
    }
    for (int32_t i = 0; i < one.Count(); ++i) {
      const std::string& lin = one.Items(i)->sULin;
      if (lin != prevLin) lins += " " + lin;
      prevLin = lin;
    }
    read.TakeAll(one);
    base += added;
  }
  if (!Job.Step(n, n, "READ_SUN69")) return;
  if (read.Count() == 0) {
    WARNAbs("READ_SUN69: в каталоге <"_cp + dir + "> не прочитано ни одного профиля!"_cp);
    return;
  }
  List.DeleteQuest(quest);
  List.TakeAll(read);
  V->AddP("#LIN" + lins);
  V->AddP("#CTETA " + MuText(mu0));
  V->KIdx = 1;
  (void)V->GetS("#LIN");
  (void)V->GetR("#CTETA", 0);
  (void)V->GetS("#ALG");
}
