#include "models/vectors/cvModFile.h"

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvPhys.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "models/cvModServices.h"
#include "models/vectors/cvCalcContext.h"
#include "models/vectors/cvConv.h"
#include "models/vectors/cvLVemo.h"
#include "platform/FileErr.h"

namespace {
const std::string CRLF = "\r\n";

void PrepareReader(TCIL& Cil) {
  Cil.SetErrProc([](const std::string& T, const std::string& F, int32_t L, int32_t P) {
    Models().OpenAt(T, F, L, P);
  });
}
}  // namespace

std::string ModelFName(const std::string& Root, const std::string& Folder,
                       const std::string& Name) {
  const std::string root = Root.empty() ? std::string("APP") : Root;
  const std::string folder = Folder.empty() ? std::string("MODS") : Folder;
  const std::string base = root == "PROJ" ? Models().ProjectDir() : Models().Root();
  const std::string rel = SlashPath(folder) + "/" + Name + ".mel";
  std::string fn = FindNoCase(base, rel);
  if (!platform::IsRegularFile(fn)) {
    fn = base + rel;
    WARNAbs("ModelFName не найден файл <"_cp + fn + ">!");
    return "*" + fn;
  }
  return fn;
}

void Load_Model(TCIL& Reader, std::vector<std::string>& Names, const std::string& File,
                int32_t& Rows, int32_t& Columns, int32_t& FirstLine) {
  PrepareReader(Reader);
  Reader.Load(File, "Load_Model");
  Names.clear();
  for (;;) {
    Reader.NextLine();
    if (Reader.Line.empty())
      Reader.Err("В файле МОДЕЛИ не найдено ключевое слово <КОЛОНОК> или <COLUMNS>!"_cp);
    const std::string w = Reader.GetWord();
    if (w == "КОЛОНОК"_cp || w == "COLUMNS") break;
  }
  Columns = Reader.GetNum(1, 30);
  Reader.NextLine();
  Reader.GetWord();  // the label
  Rows = Reader.GetNum(1, 4001);
  const TPhysParamList& pl = ParamList();
  for (int32_t c = 1; c <= Columns; ++c) {
    std::string key;
    do {
      Reader.NextLine();
      if (Reader.Line.empty())
        Reader.Err("Load_Model: файл кончился на имени колонки "_cp + IntStr(c) + " из "_cp +
                   IntStr(Columns));
      key = Reader.GetWord();
    } while (key.find("---") != std::string::npos);
    if (!pl.IsKey(key))
      Reader.Err("Имя параметра для модели фотосферы <"_cp + key + "> недопустимо!"_cp + CRLF +
                 "проверьте список в файле ...\\SYS\\vemo.txt"_cp + CRLF +
                 "Закладка VEMO, кнопка Phys"_cp);
    Names.push_back(key);
  }
  Reader.NextLine();
  Reader.NextLine();
  FirstLine = Reader.NextLineNum();
}

void ReadModelColumn(TCIL& Reader, TARe& Values, int32_t FirstLine, int32_t Column,
                     int32_t Rows) {
  Reader.GotoLine(FirstLine);
  Values.assign(static_cast<size_t>(Rows) + 1, 0.0);
  for (int32_t r = 1; r <= Rows; ++r) {
    Reader.NextLine();
    if (Reader.Line.empty())
      Reader.Err("Load_Model: файл кончился на строке данных "_cp + IntStr(r) + " из "_cp +
                 IntStr(Rows));
    for (int32_t k = 1; k < Column; ++k) Reader.GetWord();
    if (TrimCtl(TailFrom(Reader.Line, Reader.Pos)).empty()) {
      Reader.SetWordPos(static_cast<int32_t>(Reader.Line.size()) + 1);
      Reader.Err("Load_Model: в строке данных "_cp + IntStr(r) + " нет числа в колонке "_cp +
                 IntStr(Column));
    }
    Values[static_cast<size_t>(r)] = Reader.GetReal();
  }
}

void TLVEMO::LoadModel(const std::string& Root, const std::string& Folder,
                       const std::string& /*File*/, const std::string& MOD) {
  const std::string fn = ModelFName(Root, Folder, MOD);
  if (!fn.empty() && fn[0] == '*') return;
  TCIL cil;
  std::vector<std::string> names;
  int32_t rows = 0, cols = 0, first = 0;
  Load_Model(cil, names, fn, rows, cols, first);
  // the whole file is read before anything goes into the keeper
  std::vector<std::pair<std::string, TARe>> read;
  for (int32_t c = 1; c <= cols; ++c) {
    const std::string& key = names[static_cast<size_t>(c - 1)];
    if (FindVeMo(key, MOD, "", 0)) continue;
    bool twice = false;
    for (const auto& r : read) twice = twice || r.first == key;
    if (twice) continue;
    TARe values;
    ReadModelColumn(cil, values, first, c, rows);
    read.emplace_back(key, std::move(values));
  }
  cil.Unload();
  std::vector<TVEMO*> added;
  for (auto& r : read)
    added.push_back(AddVeMo(r.first, MOD, r.second, 1,
                            static_cast<uint8_t>(ParamList().KindOf(r.first)), "", 0, ""));
  TVEMO* X = FindVeMo("X", MOD, "", 0);
  if (!X) {
    X = InitX0(MOD);
    added.push_back(X);
  }
  if (!X->IsFilled() && !X->SrcXFill()) {
    const std::string msg = "VEMO.SrcXFill Модель <"_cp + MOD +
                            "> Для вектора <X> не найдено соответствия в оригинальной модели!"_cp +
                            CRLF + "в списке ниже должен быть вектор глубин h"_cp + CRLF +
                            JoinCRLF(*ReportList());
    // the model is not loaded: what this load added leaves the keeper again
    DelWhere([&](const TVEMO& v) {
      for (const TVEMO* a : added)
        if (a == &v) return true;
      return false;
    });
    ErrAbs(msg);
  }
  if (!X->IsFilled()) return;
  for (const std::string& key : names) {
    if (key == "X") continue;
    if (TVEMO* v = FindVeMo(key, MOD, "", 0)) v->LGTAU = X;
  }
}

bool TVEMO::SrcXFill() {
  TConvList& L = *CalcCtx().ConvList;
  TLVEMO& K = Keeper();
  for (int32_t i = 0; i < L.Count(); ++i) {
    const TConvertRec* r = L.Item(i);
    if (!r) ErrAbs("VEMO(" + sMOD + "." + NAME + ") ConvertRec Not Assigned!");
    if (r->Target != NAME) continue;
    TVEMO* s = K.FindVeMo(r->Source, sMOD, sIdV, 0);
    if (!s) continue;
    if (!s->IsFilled())
      ModFatal("VEMO.SrcXFill Модель <"_cp + sMOD + "> вектор <"_cp + s->NAME + "> НЕ ЗАПОЛНЕН!"_cp);
    A.assign(s->A.size(), 0.0);
    N = s->N;
    for (int32_t j = 1; j <= N; ++j) {
      double x = s->A[static_cast<size_t>(j)];
      if ((r->ID == 2 || r->ID == 6) && x < 1e-30) x = 1e-30;
      A[static_cast<size_t>(j)] = fn_convert(r->ID, x);
    }
    KA = FilledMark;
    return true;
  }
  return false;
}

void TVEMO::SrcTabXFill(const std::vector<std::unique_ptr<TVEMO>>& List) {
  TConvList& L = *CalcCtx().ConvList;
  for (int32_t i = 0; i < L.Count(); ++i) {
    const TConvertRec* r = L.Item(i);
    if (!r) ErrAbs("VEMO(" + sMOD + "." + NAME + ") ConvertRec Not Assigned!");
    if (r->Target != NAME) continue;
    const TVEMO* s = nullptr;
    for (const auto& v : List)
      if (v->NAME == r->Source) {
        s = v.get();
        break;
      }
    if (!s) continue;
    if (!s->IsFilled())
      ModFatal("VEMO.SrcTabXFill Модель <"_cp + sMOD + "> вектор <"_cp + s->NAME +
               "> НЕ ЗАПОЛНЕН!"_cp);
    A.assign(s->A.size(), 0.0);
    N = s->N;
    for (int32_t j = 1; j <= N; ++j) {
      double x = s->A[static_cast<size_t>(j)];
      if ((r->ID == 2 || r->ID == 6) && x < 1e-30) x = 1e-30;
      A[static_cast<size_t>(j)] = fn_convert(r->ID, x);
    }
    KA = FilledMark;
    return;
  }
  ModFatal("VEMO.SrcTabXFill Модель <"_cp + sMOD +
           "> Для вектора <X> не найдено соответствия в оригинальной модели!"_cp + CRLF +
           JoinCRLF(*Keeper().ReportList()));
}

void LoadModelList(const std::string& Root, const std::string& Folder, const std::string& MOD,
                   std::vector<std::unique_ptr<TVEMO>>& List, const std::string& File) {
  const std::string fn = ModelFName(Root, Folder, File);
  TCIL cil;
  std::vector<std::string> names;
  int32_t rows = 0, cols = 0, first = 0;
  Load_Model(cil, names, fn[0] == '*' ? fn.substr(1) : fn, rows, cols, first);
  List.clear();
  for (int32_t c = 1; c <= cols; ++c) {
    auto v = std::make_unique<TVEMO>();
    v->NAME = names[static_cast<size_t>(c - 1)];
    v->sMOD = MOD;
    v->sTAB = File;
    v->FMOD = 0;
    v->KTyp = 1;
    v->KX = static_cast<uint8_t>(ParamList().KindOf(v->NAME));
    ReadModelColumn(cil, v->A, first, c, rows);
    v->N = rows;
    v->MakeSId();
    v->SetFilled();
    v->SetScales();
    v->SetRepFmt();
    List.push_back(std::move(v));
  }
  cil.Unload();
}

void TVEMO::SrcFillTab(const std::string& Text) {
  if (WordN(Text, 1) != "T")
    ErrAbs("VEMO.SrcFill(" + Text + ") предназначенн только для таблиц T"_cp);
  const std::string table = WordN(Text, 2);
  std::vector<std::unique_ptr<TVEMO>> list;
  LoadModelList("", "", sMOD, list, table);
  TVEMO* XV = nullptr;
  TVEMO* SV = nullptr;
  for (auto& v : list) {
    if (v->KX == 1) XV = v.get();
    if (v->NAME == NAME) SV = v.get();
  }
  if (!SV)
    ErrAbs("VEMO.SrcFill(" + Text + ") MOD=" + sMOD + " Tabl=" + table +
           " не найден вектор  NAME="_cp + NAME + "!!!");
  if (!XV)
    ErrAbs("VEMO.SrcFill(" + Text + ") MOD=" + sMOD + " NAME=" + NAME + " Tabl=" + table +
           " не найден вектор X или log(Tau)!"_cp);
  std::unique_ptr<TVEMO> ownX;
  TVEMO* depth = XV;
  if (XV->NAME != "X") {
    ownX = std::make_unique<TVEMO>();
    ownX->sMOD = sMOD;
    ownX->NAME = "X";
    ownX->KX = 1;
    ownX->SrcTabXFill(list);
    depth = ownX.get();
  }
  SV->LGTAU = depth;
  SV->Kh = 0;
  SV->SplineInit();
  if (!LGTAU || !LGTAU->IsFilled())
    ErrAbs("VEMO.SrcFill(" + Text + ") MOD=" + sMOD + " NAME=" + NAME +
           " не заполнен вектор глубин LGTAU!"_cp);
  if (static_cast<int32_t>(A.size()) < N + 1) A.resize(static_cast<size_t>(N) + 1);
  for (int32_t i = 1; i <= N; ++i) A[static_cast<size_t>(i)] = SV->func(LGTAU->A[static_cast<size_t>(i)]);
  if (ownX) ownX->Clear();
  for (auto& v : list) v->Clear();
  list.clear();
  SetFilled();
}
