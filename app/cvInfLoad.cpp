// Reading the panel's description file: [Informator], [Fonts], [Colors], [Groups], [Fields].
#include <algorithm>

#include "app/cvGLib.h"
#include "app/cvInf.h"
#include "foundation/cvCIL.h"
#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "platform/FileErr.h"

namespace {

const std::string CRLF = "\r\n";
const std::string Absent = std::string(1, '\x01');

// 1-based number of the line that holds Key in [Section] of the file; 0 when not found.
int32_t IniKeyLine(const std::string& FileName, const std::string& Section,
                   const std::string& Key) {
  TTextFile F;
  F.Assign(FileName);
  if (F.Reset() != 0) {
    (void)IOResult();
    return 0;
  }
  (void)IOResult();
  bool In = false;
  int32_t N = 0;
  while (!F.Eof()) {
    const std::string L = TrimCtl(F.ReadLn());
    ++N;
    if (!L.empty() && L[0] == '[') {
      In = L == "[" + Section + "]";
      continue;
    }
    const size_t Eq = L.find('=');
    if (In && Eq != std::string::npos && L.substr(0, Eq) == Key) return N;
  }
  return 0;
}

std::string Where(const std::string& FileName, int32_t Line) {
  return Line > 0 ? CRLF + "(файл <"_cp + FileName + ">, строка "_cp + std::to_string(Line) + ")"
                  : std::string();
}

// A settings section that must exist and hold lines.
std::unique_ptr<TTunes> OpenSection(const std::string& Proc, const std::string& Section,
                                    const std::string& FileName) {
  if (!platform::IsRegularFile(FileName))
    ErrAbs("Inf." + Proc + ": Файл <"_cp + FileName + "> должен существовать!"_cp);
  auto T = std::make_unique<TTunes>(Section, FileName);
  if (T->Count() == 0)
    ErrAbs("Inf." + Proc + ": в файле <"_cp + FileName + ">" + CRLF +
           " не найдено строк секции ["_cp + Section + "]!");
  return T;
}

bool ContainsBracketName(const std::string& L) {
  const size_t A = L.find('[');
  return A != std::string::npos && L.find(']', A + 1) != std::string::npos;
}

}  // namespace

void TInf::LoadMain(const std::string& F) {
  auto T = OpenSection("LoadMain", "Informator", F);
  const std::string V = T->GetDef("ColorBack", Absent);
  if (V == Absent)
    ErrAbs("Inf.LoadMain: в файле <"_cp + F + ">" + CRLF + " в секции [Informator] для цвета <"_cp +
           "ColorBack" + "> не найдена строка!!!"_cp);
  const uint32_t C = ColorByName(V);
  if (C == clNone)
    ErrAbs("Inf.LoadMain: в файле <"_cp + F + ">" + CRLF + " в секции [Informator] для цвета <"_cp +
           "ColorBack" + "> найдена строка"_cp + CRLF + "<" + V +
           "> для которой не найден соотвестсвующий цвет!"_cp +
           Where(F, IniKeyLine(F, "Informator", "ColorBack")));
  ColorBack = C;
  Margin = T->GetIntDef("Margin", 0);
}

void TInf::LoadFonts(const std::string& F) {
  auto T = OpenSection("LoadFonts", "Fonts", F);
  if (Fonts.empty())
    ErrAbs("Inf.LoadFonts - Первый font должен быть загружен в процедуре Inf.Init!!!"_cp);
  const int32_t N = T->GetIntDef("NFont", 0);
  for (int32_t i = 1; i <= N; ++i) {
    const std::string K = std::to_string(i);
    platform::TFont Font = Fonts[0];
    const std::string Face = T->Get(K + "_FontName");
    if (!Face.empty()) Font.Name = Face;
    const int32_t Size = T->GetIntDef(K + "_Size", 0);
    if (Size != 0) Font.Size = Size;
    Font.Style = 0;
    if (T->Flag(K + "_Bold")) Font.Style |= platform::fsBold;
    if (T->Flag(K + "_Italic")) Font.Style |= platform::fsItalic;
    if (T->Flag(K + "_UnderLine")) Font.Style |= platform::fsUnderline;
    if (T->Flag(K + "_StrikeOut")) Font.Style |= platform::fsStrikeOut;
    Fonts.push_back(Font);
  }
}

void TInf::LoadColors(const std::string& F) {
  auto T = OpenSection("LoadColors", "Colors", F);
  Colors.clear();
  const int32_t N = T->GetIntDef("NColor", 0);
  for (int32_t i = 0; i <= N; ++i) {
    const std::string K = std::to_string(i);
    const std::string V = T->Get(K);
    const uint32_t C = ColorByName(V);
    if (C == clNone)
      ErrAbs("Inf.LoadColors: в файле <"_cp + F + ">" + CRLF + " в секции [Colors] для цвета <"_cp +
             K + "> найдена строка"_cp + CRLF + V + " для которой не найден соотвестсвующий цвет!"_cp +
             Where(F, IniKeyLine(F, "Colors", K)));
    Colors.push_back(C);
  }
}

void TInf::LoadGroups(const std::string& F) {
  if (!platform::IsRegularFile(F))
    ErrAbs("Inf.LoadGroups: Файл <"_cp + F + "> должен существовать!"_cp);
  if (!GroupTunes)
    GroupTunes = std::make_unique<TTunes>("Groups", F);
  else
    GroupTunes->Reload(F);
  if (GroupTunes->Count() == 0)
    ErrAbs("Inf.LoadGroups: в файле <"_cp + F + ">" + CRLF + " не найдено строк секции [Groups]!"_cp);
  Groups.clear();
  const int32_t N = GroupTunes->GetIntDef("NGroup", 0);
  for (int32_t i = 0; i <= N; ++i) {
    const std::string K = std::to_string(i);
    TInfGroup G;
    G.Name = GroupTunes->Get(K + "_Name");
    G.Shown = !GroupTunes->Flag(K + "_Hide");
    Groups.push_back(G);
  }
}

void TInf::Load(const std::string& F) {
  FileName = F;
  LoadMain(F);
  LoadFonts(F);
  LoadColors(F);
  LoadGroups(F);

  TCIL R;
  R.Load(F, "Inf");
  R.SetComment(";");
  if (!R.FindKey("[Fields]")) {
    R.Unload();
    ErrAbs("Inf.Load раздел [Fields] в файле "_cp + F + " не найден!"_cp);
  }
  std::string Folder, Bare, Ext;
  SplitPath(ExpandFileName(F), Folder, Bare, Ext);
  for (;;) {
    R.NextLine();
    if (R.Line.empty() || ContainsBracketName(R.Line) || R.Eof()) break;
    if (std::count(R.Line.begin(), R.Line.end(), '|') < 20) continue;
    const int32_t LineNo = R.CurLine + 1;
    auto Warn = [&](const std::string& Text) { WARNAbs(Text + Where(F, LineNo)); };
    auto Int = [&](int32_t Col) { return R.WordToInt(R.TabFieldReq(Col)); };
    auto Flag01 = [&](int32_t Col, const std::string& Msg) {
      const int32_t V = Int(Col);
      if (V != 0 && V != 1) R.Err(Msg);
      return V == 1;
    };
    auto Letter = [&](int32_t Col, const std::string& Allowed, const std::string& MsgLen,
                      const std::string& MsgLetter) -> uint8_t {
      const std::string C = R.TabFieldReq(Col);
      if (C.size() != 1) R.Err(MsgLen);
      const size_t P = Allowed.find(C[0]);
      if (P == std::string::npos) R.Err(MsgLetter);
      return static_cast<uint8_t>(P);
    };

    auto Fld = std::make_unique<TInfField>(this);
    TInfField& D = *Fld;
    D.Code = R.TabFieldReq(1).substr(0, 2);
    if (D.Code.size() < 2) D.Code += ' ';
    D.Enabled = Flag01(2, "В поле №2 \"Enabled\" м.б. только 0 или 1!"_cp);
    D.Visible = Flag01(3, "В поле №3 \"Visible\" м.б. только 0 или 1!"_cp);
    const int32_t Pr = Int(4);
    if (Pr < 0 || Pr > 255) R.Err("В поле №4 \"приоритет\" м.б. число от 0 до 255!"_cp);
    D.Priority = static_cast<uint8_t>(Pr);
    D.QLog = Flag01(5, "В поле №5 \"QLog\" м.б. только 0 или 1!"_cp);
    D.Width = Int(6);
    D.Autosize = Flag01(7, "В поле №7 \"Autosize\" м.б. только 0 или 1!"_cp);
    D.Alignment = Letter(8, "LRC", "В поле №8 \"Alignment\" д.б. \"L\", \"C\" или \"R\"!"_cp,
                         "В поле №8 \"Alignment\" м.б. только L, C или R!"_cp);
    D.Layout = Letter(9, "TCB", "В поле №9 \"Layout\" д.б. \"T\", \"C\" или \"B\"!"_cp,
                      "В поле №9 \"Layout\" м.б. только T, C или B!"_cp);
    D.Aux = Int(10);
    D.iFont = Int(11);
    const int32_t NF = static_cast<int32_t>(Fonts.size()), NC = static_cast<int32_t>(Colors.size());
    if (D.iFont < 0 || D.iFont > NF - 1)
      R.Err("В поле №11 \"iFont\"="_cp + std::to_string(D.iFont) +
            " > Font.Count-1=" + std::to_string(NF - 1));
    const int32_t iColor = Int(12);
    if (iColor < 0 || iColor > NC - 1)
      R.Err("В поле №12 \"iColor\"="_cp + std::to_string(iColor) +
            " > Color.Count-1=" + std::to_string(NC - 1));
    D.Color = Colors[static_cast<size_t>(iColor)];
    const int32_t iColorAlt = Int(13);
    if (iColorAlt < 0 || iColorAlt > NC - 1)
      R.Err("В поле №13 \"iColorAlt\"="_cp + std::to_string(iColorAlt) +
            " > Color.Count-1=" + std::to_string(NC - 1));
    D.ColorAlt = Colors[static_cast<size_t>(iColorAlt)];
    const int32_t Col14 = Int(14);
    D.DataLen = Col14;
    D.VarCount = Int(15);
    D.CD = R.TabFieldReq(16)[0];
    D.Editable = R.TabFieldReq(17)[0] == 'E';

    const char T = D.CD;
    if (Col14 != 0) {
      const std::string Kinds = "NLIiBbFS";
      if (Kinds.find(T) == std::string::npos) {
        Warn("Inf.Load - тип данных (CD) поля <"_cp + std::string(1, T) +
             "> не входит в разрешенные N/L/I/i/B/b/F/S"_cp);
      } else if (T == 'S') {
        if (D.VarCount > 1) Warn("Inf.Load - ошибка - строка м.б. только одна!"_cp);
      } else if (T != 'b') {
        bool Ok = false;
        switch (T) {
          case 'L': Ok = D.DataLen == 4 * D.VarCount; break;
          case 'I':
          case 'i': Ok = D.DataLen == 2 * D.VarCount; break;
          case 'B': Ok = D.DataLen == D.VarCount; break;
          case 'F': Ok = D.DataLen == 8 * D.VarCount; break;
          default: Ok = false; break;  // N takes no data length
        }
        if (!Ok)
          Warn("Inf.Load - ошибка несовпадение длины и числа переменных !"_cp + "\r" + "тип = "_cp +
               std::string(1, T) + " длина = "_cp + std::to_string(D.DataLen) +
               " число переменных = "_cp + std::to_string(D.VarCount));
      }
    } else {
      int32_t Bound = 0;
      switch (T) {
        case 'B': Bound = 5; break;
        case 'I':
        case 'i': Bound = 3; break;
        case 'L': Bound = 2; break;
        case 'N': Bound = 1; break;
        default: break;
      }
      if (Bound > 0 && D.VarCount >= Bound) {
        Warn("Inf.Load - ошибка превышение числа переменных для типа данных <"_cp +
             std::string(1, T) + ">");
      } else {
        switch (T) {
          case 'L': D.DataLen = 4 * D.VarCount; break;
          case 'I':
          case 'i': D.DataLen = 2 * D.VarCount; break;
          case 'B': D.DataLen = D.VarCount; break;
          default: D.DataLen = 0; break;
        }
      }
    }

    D.GroupIndex = Int(18);
    const int32_t NG = static_cast<int32_t>(Groups.size());
    if (D.GroupIndex < 0 || D.GroupIndex > NG - 1)
      Warn("Inf.Load - GroupIndex="_cp + std::to_string(D.GroupIndex) +
           " не попадает в размер списка групп [0,"_cp + std::to_string(NG - 1) + "]");
    D.NumGlyph = Int(19);
    if (D.NumGlyph < 0 || D.NumGlyph > 255)
      Warn("Inf.Load - NumGlyph="_cp + std::to_string(D.NumGlyph) + " вне пределов [0..255]"_cp);
    D.iChecked = Int(20);
    if (D.iChecked != 0 && (D.iChecked < 0 || D.iChecked > D.NumGlyph - 1))
      Warn("Inf.Load - iChecked="_cp + std::to_string(D.iChecked) + " вне пределов [0.."_cp +
           std::to_string(D.NumGlyph - 1) + "]");
    if (D.NumGlyph > 0) {
      const std::string Pict = R.TabFieldTrim(21);
      D.Glyph = InfGlyphBitmap(Pict);
      if (!D.Glyph)
        Warn("BMP картинка с именем <"_cp + Pict + "> в рессурсах не найдена!"_cp);
    }
    D.FmtTpl = R.TabField(22);
    D.Hint = R.TabField(23);
    D.LM = Int(24);
    if (D.LM < 0 || D.LM > 10000) Warn("Inf.Load - Max длина списка LM вне пределов [0..10000]"_cp);
    D.LV = Int(25);
    if (D.LV < 0 || D.LV > 32 * 1024)
      Warn("Inf.Load - LV=Max память, отводимая под список, вне пределов [0..32*1024]"_cp);
    D.LT = Int(26);
    if (D.LT < 0 || D.LT > 12 * 60 * 60)
      Warn("Inf.Load - LT=время хранения сообщений в секундах вне пределов [0..12*60*60]"_cp);
    std::string LogName;
    bool Flush = false;
    if (D.QLog) {
      LogName = R.TabField(27);
      if (!TrimCtl(LogName).empty()) Flush = TrimCtl(R.TabField(28)) == "1";
    }
    std::string LogPath;
    if (!TrimCtl(LogName).empty()) {
      // A relative log name lies beside the description file.
      LogPath = TrimCtl(LogName);
      if (LogPath[0] != '/' && LogPath[0] != '\\') LogPath = PathJoin(Folder, LogPath);
    }
    D.Width = std::max(D.Width, 0);
    D.Log = std::make_unique<TInfLog>(D.CodeWord(), D.QLog, D.CD, D.DataLen, LogPath, Flush);
    if (!LogPath.empty()) D.Log->LogName = LogName;
    D.Log->SetBounds(D.LM, D.LV, D.LT);
    if (D.CD == 'N' || (D.CD == 'S' && D.VarCount == 0 && !D.FmtTpl.empty()))
      D.Log->SetValue(D.FmtTpl);

    TInfField* P = Fld.get();
    Fields.push_back(std::move(Fld));
    if (P->Enabled) EnabledFields.push_back(P);
    if (P->Visible) VisibleFields.push_back(P);
    if (P->QLog) LoggedFields.push_back(P);
  }
  R.Unload();
  Dirty = true;
}
