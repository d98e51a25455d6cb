// Translation of the data sets' filter, sort and select texts into SQL with parameters.
// Every value of a text becomes a parameter; field names are checked against the table's columns
// and written quoted. Texts are code page 1251.
#pragma once
#include <string>
#include <vector>

#include "linedata/cvTable.h"

namespace sqltext {

// SQL identifier in double quotes.
std::string QuoteIdent(const std::string& Name);

// The column whose name equals Name without regard to case; -1 when none.
int FindColumn(const std::vector<TFieldDef>& Cols, const std::string& Name);

// A filter text as an SQL condition over the columns. "?" in the text takes the next value of
// Params. False with Error on a text that cannot be read.
bool TranslateFilter(const std::string& Text, const std::vector<TFieldDef>& Cols,
                     const std::vector<TcvValue>& Params, std::string& Sql,
                     std::vector<TcvValue>& Values, std::string& Error);

// A sort text ("field [ASC|DESC], ...") as the items of an ORDER BY clause (without the words
// ORDER BY). Empty text gives empty SQL.
bool TranslateSort(const std::string& Text, const std::vector<TFieldDef>& Cols, std::string& Sql,
                   std::string& Error);

// Splits "select * | field, ... from table [where filter] [order by sort]" into its parts; the
// filter and the sort stay texts (translated later, when the columns are known).
struct TSelectParts {
  std::string Table;
  std::vector<std::string> Fields;  // empty for "*"
  std::string Where;
  std::string OrderBy;
};
bool SplitSelect(const std::string& Text, TSelectParts& Parts, std::string& Error);

// Comparison of two UTF-8 texts with Latin and Cyrillic letters folded to upper case.
int CompareNoCase(const std::string& A, const std::string& B);
// LIKE matching of UTF-8 texts without regard to case: "%" any run, "_" one character.
bool LikeNoCase(const std::string& Pattern, const std::string& Text);

}  // namespace sqltext
