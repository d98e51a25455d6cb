#include "scans/cvFitsCard.h"

#include "foundation/cvFile.h"
#include "foundation/cvLit.h"
#include "foundation/cvSayer.h"
#include "foundation/cvStr.h"
#include "foundation/cvStrList.h"

namespace {

const std::string kCrLf = "\r\n";

std::string Pad(std::string S, size_t W) {
  if (S.size() < W) S.append(W - S.size(), ' ');
  return S;
}

std::string RightIn20(const std::string& V) {
  const std::string v = V.size() > 20 ? V.substr(0, 20) : V;
  return std::string(20 - v.size(), ' ') + v;
}

std::string Build(const std::string& Key, const std::string& Field, const std::string& Comment) {
  return Pad(Pad(Key, 8) + "= " + Field + " / " + Comment, 80);
}

std::string BoundsText(int32_t I1, int32_t I2, int32_t Count) {
  return "i1=" + IntStr(I1) + " i2=" + IntStr(I2) + " SL.Count=" + IntStr(Count);
}

// The index of the first card between I1 and I2 whose lookup key is Key; -1 (bad bounds warned).
int FindCard(const std::string& Key, const TStringList& Cards, int32_t I1, int32_t I2) {
  const int n = Cards.Count();
  if (I1 < 0 || I2 < 0 || I1 >= n || I2 >= n || I2 < I1) {
    WARNAbs("GetFITKeyS80 ERROR: для ключа <"_cp + Key + "> " + kCrLf +
            "заданы недопустиме граничные индексы!"_cp + kCrLf + BoundsText(I1, I2, n));
    return -1;
  }
  for (int i = I1; i <= I2; ++i)
    if (CardLookupKey(Cards[i]) == Key) return i;
  return -1;
}

int32_t LastIndex(const TStringList* Cards) { return Cards ? Cards->Count() - 1 : -1; }

}  // namespace

std::string CardTrim(const std::string& S) {
  size_t a = 0, b = S.size();
  while (a < b && static_cast<unsigned char>(S[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(S[b - 1]) <= ' ') --b;
  return S.substr(a, b - a);
}

std::string CardUnquote(const std::string& S) { return CardTrim(DeQuote(CardTrim(S), '\'')); }

std::string FITCardStr(const std::string& Key, const std::string& Value,
                       const std::string& Comment) {
  return Build(Key, RightIn20(Value), Comment);
}

std::string FITCardI(const std::string& Key, int32_t Value, const std::string& Comment) {
  return FITCardStr(Key, IntStr(Value), Comment);
}

std::string FITCardRF(const std::string& Key, int32_t Digits, const std::string& Comment,
                      double Value) {
  // the exponent form of EFSt has no letter; a FITS reader needs one
  return FITCardStr(Key, ExpLetterFix(TrimSp(EFSt(Digits, Value))), Comment);
}

std::string FITCardRD(const std::string& Key, int32_t Decimals, const std::string& Comment,
                      double Value) {
  return FITCardStr(Key, FDecSt(Decimals, Value), Comment);
}

std::string FITCardQ(const std::string& Key, const std::string& Text, const std::string& Comment) {
  return Build(Key, Pad("'" + Pad(Text, 8) + "'", 20), Comment);
}

std::string FITEndCard() { return Pad("END", 80); }
std::string FITBlankCard() { return std::string(80, ' '); }

std::string CardLookupKey(const std::string& Card) { return CardTrim(Card.substr(0, 8)); }

std::string CardSetKey(const std::string& Card) {
  const size_t p = Card.find('=');
  return CardTrim(p == std::string::npos ? Card : Card.substr(0, p));
}

std::string CardValue(const std::string& Card) {
  const size_t p = Card.find('=');
  if (p == std::string::npos) return "";
  const std::string r = Card.substr(p + 1);
  std::string head = r.substr(0, 22), tail = r.size() > 22 ? r.substr(22) : std::string();
  const size_t s = tail.find('/');
  if (s != std::string::npos) tail.resize(s);
  return CardUnquote(head + tail);
}

std::string CardComment(const std::string& Card) {
  if (Card.size() < 32) return "";
  const std::string r = Card.substr(31);
  const size_t s = r.find('/');
  return s == std::string::npos ? std::string() : CardTrim(r.substr(s + 1));
}

void WriteHeader(const std::string& FileName, int64_t Offset, TStringList& Cards) {
  int e = Cards.Count() - 1;
  while (e > 0 && Cards[e].rfind("END", 0) != 0) --e;
  if (e <= 0) {
    WARNAbs("WriteHeader " + FileName + kCrLf + "не найдена строка \"END\""_cp);
    return;
  }
  for (int i = e + 1; i < Cards.Count(); ++i) Cards.Put(i, FITBlankCard());
  while (Cards.Count() % 36 != 0) Cards.Add(FITBlankCard());
  for (int i = 0; i < Cards.Count(); ++i) {
    const std::string rec = Pad(Cards[i], 80).substr(0, 80);
    if (!RAWrRecNT(FileName, Offset, 80, i + 1, rec.data()))
      WARNAbs("Ошибка при записи блока в файл \r\n<"_cp + FileName + ">" + kCrLf + "I = " +
              IntStr(i) + " nb0=" + I64Str(Offset) + ", LStr=80" + kCrLf +
              "IOResult of Reset = " + IntStr(IOLastErr) + kCrLf + "ErrLast=<" + RALastErrText +
              ">");
  }
}

std::string GetFITKeyS80(const std::string& Key, const TStringList* Cards, int32_t I1,
                         int32_t I2) {
  if (!Cards) {
    WARNAbs("Вызов GetFITKey("_cp + Key + ") ДО создания списка строк Хидера"_cp + kCrLf +
            "- проверьте программу!"_cp);
    return "";
  }
  const int i = FindCard(Key, *Cards, I1, I2);
  return i < 0 ? std::string() : (*Cards)[i];
}

std::string GetFITKey(const std::string& Key, const TStringList* Cards, int32_t I1, int32_t I2) {
  if (Cards && I2 >= Cards->Count() && Cards->Count() > 0) I2 = Cards->Count() - 1;
  const std::string c = GetFITKeyS80(Key, Cards, I1, I2);
  return c.empty() ? c : CardValue(c);
}

int32_t GetFITKeyI(const std::string& Key, const TStringList* Cards, int32_t I1, int32_t I2) {
  const std::string v = GetFITKey(Key, Cards, I1, I2);
  const int32_t n = Cards ? Cards->Count() : 0;
  if (v.empty()) {
    WARNAbs("GetFITKeyI WARNING: Key <" + Key + "> Not Found!" + kCrLf + BoundsText(I1, I2, n));
    return 0;
  }
  int32_t code = 0;
  const int32_t r = ValIntCode(v, code);
  if (code != 0)
    WARNAbs("GetFITKeyI WARNING: для ключа <"_cp + Key + "> " + kCrLf +
            "найдено недопустимое целое значение <"_cp + v + "> !!!" + kCrLf +
            BoundsText(I1, I2, n));
  return r;
}

double GetFITKeyR(const std::string& Key, const TStringList* Cards, int32_t I1, int32_t I2) {
  const std::string v = GetFITKey(Key, Cards, I1, I2);
  const int32_t n = Cards ? Cards->Count() : 0;
  if (v.empty()) {
    WARNAbs("GetFITKeyR WARNING: Key <" + Key + "> Not Found!" + kCrLf + BoundsText(I1, I2, n));
    return 0;
  }
  int32_t code = 0;
  const double r = ValRealCode(v, code);
  if (code != 0)
    WARNAbs("GetFITKeyR WARNING: для ключа <"_cp + Key + "> " + kCrLf +
            "найдено недопустимое значение <"_cp + v + "> !!!" + kCrLf + BoundsText(I1, I2, n));
  return r;
}

double GetFITKeyRDefIx(const std::string& Key, const TStringList* Cards, int32_t I1, double Def,
                       int32_t I2) {
  const std::string v = GetFITKey(Key, Cards, I1, I2);
  if (v.empty()) return Def;
  int32_t code = 0;
  const double r = ValRealCode(v, code);
  if (code != 0)
    WARNAbs("GetFITKeyR WARNING: для ключа <"_cp + Key + "> " + kCrLf +
            "найдено недопустимое значение <"_cp + v + "> !!!" + kCrLf +
            BoundsText(I1, I2, Cards ? Cards->Count() : 0));
  return r;
}

std::string GetFITKeyS80All(const std::string& Key, const TStringList* Cards) {
  return GetFITKeyS80(Key, Cards, 0, LastIndex(Cards));
}
std::string GetFITKeyAll(const std::string& Key, const TStringList* Cards) {
  return GetFITKey(Key, Cards, 0, LastIndex(Cards));
}
int32_t GetFITKeyIAll(const std::string& Key, const TStringList* Cards) {
  return GetFITKeyI(Key, Cards, 0, LastIndex(Cards));
}
double GetFITKeyRAll(const std::string& Key, const TStringList* Cards) {
  return GetFITKeyR(Key, Cards, 0, LastIndex(Cards));
}
double GetFITKeyRDef(const std::string& Key, const TStringList* Cards, double Def) {
  return GetFITKeyRDefIx(Key, Cards, 0, Def, LastIndex(Cards));
}

void HeaderReField(TStringList* Cards, const std::string& Key, const std::string& Card,
                   bool& Changed) {
  Changed = false;
  if (Card.size() != 80) {
    WARNAbs("HeaderReField - ERR: вставляемая строка должна быть длиной 80 символов:\r\n<"_cp +
            Card + ">");
    return;
  }
  if (!Cards) return;
  auto replaceFirst = [&](const std::string& K) {
    int first = -1;
    for (int i = 0; i < Cards->Count(); ++i)
      if (CardSetKey((*Cards)[i]) == K) {
        first = i;
        break;
      }
    if (first < 0) return false;
    if ((*Cards)[first] != Card) Changed = true;
    Cards->Put(first, Card);
    for (int i = Cards->Count() - 1; i > first; --i)
      if (CardSetKey((*Cards)[i]) == K) {
        Cards->Delete(i);
        Changed = true;
      }
    return true;
  };
  if (replaceFirst(CardSetKey(Card))) return;
  Changed = true;
  if (replaceFirst(Key)) return;
  int e = -1;
  for (int i = 0; i < Cards->Count(); ++i)
    if ((*Cards)[i].rfind("END", 0) == 0) {
      e = i;
      break;
    }
  if (e > 0) {
    Cards->Insert(e, Card);
  } else {
    Cards->Add(Card);
    WARNAbs("HeaderReField: в Header-е не найден \"END\", вставляем\r\n"_cp + Card);
  }
}

void HeaderSetKey(TStringList* Cards, const std::string& Key, const std::string& Card) {
  bool changed = false;
  HeaderReField(Cards, Key, Card, changed);
}

void HeaderDelKey(TStringList* Cards, const std::string& Key) {
  if (!Cards) return;
  for (int i = Cards->Count() - 1; i >= 0; --i)
    if (CardSetKey((*Cards)[i]) == Key) Cards->Delete(i);
}
