// A text reader of picture descriptions: lines with "!" comments cut off, read word by word.
// Its errors stop the reading through the fatal path with the file, the line and the bad word.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TPicReader {
 public:
  // The file's lines; a missing file is fatal ("CLIN." + tag + "(" + file + ") Файла ... нет!").
  void Open(const std::string& FileName, const std::string& Tag);
  // Lines held in memory, named Name in messages.
  void OpenLines(const std::vector<std::string>& Lines, const std::string& Name,
                 const std::string& Tag);
  // The next line that is not empty after the comment cut; false at the end.
  bool NextLine();
  // The next word of the line (empty at its end).
  std::string Word();
  // The rest of the line after the current word, trimmed.
  std::string Rest();
  bool AtEnd() const;
  int32_t Int(const std::string& What);
  double Real(const std::string& What);
  // A colour word: "$" and hexadecimal digits, or a number (palette index 1..15, else a colour).
  uint32_t Color(const std::string& What);
  // Stops the reading: the text with the place ("файл", "строка", "слово"), through the fatal path.
  [[noreturn]] void Fail(const std::string& Text);

  std::string FileName, Tag, Line, LastWord;
  int32_t LineNo = 0;  // 1-based number of Line in the file
  int32_t Pos = 0;     // 0-based position after the last word

 private:
  std::vector<std::string> lines_;
  size_t next_ = 0;
};

// "QUEST.N" split at its last dot; no dot or no number after it: the whole text and step 1.
void SplitQuestStep(const std::string& Text, std::string& Quest, int32_t& Step);
// A colour text ("$" hexadecimal, or a number: palette index or colour); false when bad.
bool ParseColor(const std::string& Word, uint32_t& Color);
