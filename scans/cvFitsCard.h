// FITS header cards as the program builds, reads, looks up, edits and writes them. A card list is
// a TStringList of 80-character cards whose last non-blank card is END.
// Lookup key: the first 8 characters trimmed, compared exactly (case-sensitive). Value text: the
// part after the first "=", its first 22 characters whole and the rest cut at its first "/",
// trimmed and unquoted. An empty value counts as a missing key. All messages go through WARNAbs.
#pragma once
#include <cstdint>
#include <string>

class TStringList;

// ---- builders (key left-aligned to 8, "= ", a 20-character value field, " / ", comment, blanks
// to 80; a longer line stays whole) ----
std::string FITCardStr(const std::string& Key, const std::string& Value,
                       const std::string& Comment);
std::string FITCardI(const std::string& Key, int32_t Value, const std::string& Comment);
std::string FITCardRF(const std::string& Key, int32_t Digits, const std::string& Comment,
                      double Value);
std::string FITCardRD(const std::string& Key, int32_t Decimals, const std::string& Comment,
                      double Value);
std::string FITCardQ(const std::string& Key, const std::string& Text, const std::string& Comment);
std::string FITEndCard();
std::string FITBlankCard();

// ---- taking a card apart ----
std::string CardLookupKey(const std::string& Card);   // first 8 characters trimmed
std::string CardSetKey(const std::string& Card);      // before the first "=", trimmed
std::string CardValue(const std::string& Card);
std::string CardComment(const std::string& Card);     // from column 32, after its first "/"
// Pascal-style trim: characters up to the blank removed at both ends.
std::string CardTrim(const std::string& S);
// Enclosing single quotes removed, doubled quotes made single, trimmed.
std::string CardUnquote(const std::string& S);

// ---- writing: END found, blanks after it, padded to 36 cards, written at Offset ----
void WriteHeader(const std::string& FileName, int64_t Offset, TStringList& Cards);

// ---- lookups between card indices I1 and I2 (0-based, inclusive) ----
std::string GetFITKeyS80(const std::string& Key, const TStringList* Cards, int32_t I1, int32_t I2);
std::string GetFITKey(const std::string& Key, const TStringList* Cards, int32_t I1, int32_t I2);
int32_t GetFITKeyI(const std::string& Key, const TStringList* Cards, int32_t I1, int32_t I2);
double GetFITKeyR(const std::string& Key, const TStringList* Cards, int32_t I1, int32_t I2);
double GetFITKeyRDefIx(const std::string& Key, const TStringList* Cards, int32_t I1, double Def,
                       int32_t I2);
std::string GetFITKeyS80All(const std::string& Key, const TStringList* Cards);
std::string GetFITKeyAll(const std::string& Key, const TStringList* Cards);
int32_t GetFITKeyIAll(const std::string& Key, const TStringList* Cards);
double GetFITKeyRAll(const std::string& Key, const TStringList* Cards);
double GetFITKeyRDef(const std::string& Key, const TStringList* Cards, double Def);

// ---- editing ----
void HeaderReField(TStringList* Cards, const std::string& Key, const std::string& Card,
                   bool& Changed);
void HeaderSetKey(TStringList* Cards, const std::string& Key, const std::string& Card);
void HeaderDelKey(TStringList* Cards, const std::string& Key);
