// The variator list: every step of every quest (a quest's control file gives the steps
// QUEST.1, QUEST.2 ..., one per "#RUN"), kept while the program runs so that computed profiles
// find the parameters they were computed with. The list owns its variators.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvStrList.h"

class TVARIATOR;

// The expansion procedure of "$" parameters: text in, the parameter text out (empty: nothing).
using TSpreadFunc = std::function<void(const std::string& Text, std::string& Result)>;

class TLVARI {
 public:
  TLVARI();
  ~TLVARI();
  TLVARI(const TLVARI&) = delete;
  TLVARI& operator=(const TLVARI&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TVARIATOR* Items(int32_t I) const;  // 0-based

  // Files a variator (taking it) unless an entry of the same QUEST and IQ has its NAdd; an
  // entry of the same QUEST and IQ with another NAdd raises the variator's IQ past it. False
  // when not filed: the caller keeps the variator.
  bool AddVARI(std::unique_ptr<TVARIATOR>& V);
  // Appends without the duplicate test.
  void Append(std::unique_ptr<TVARIATOR> V);
  TVARIATOR* GetQuestVARI(const std::string& Quest);
  TVARIATOR* GetQuestIQVARI(const std::string& Quest, int32_t IQ);
  TVARIATOR* GetIQuestVARI(const std::string& Quest, int32_t IQ);
  int32_t CountQuest(const std::string& Quest) const;
  int32_t MaxIQ(const std::string& Quest) const;
  int32_t IndexOfVARI(const TVARIATOR* V) const;
  void ClearQuest(const std::string& Quest);
  void SetCallback(TSpreadFunc F) { Callback = std::move(F); }
  std::unique_ptr<TStringList> Dump() const;

  // Reads a control file into the steps QUEST.1, QUEST.2 ... (the quest's earlier steps are
  // removed first). A reading error names the file (the include file where it stands), the line
  // and the position, opens the editor there (Models().OpenAt) and is fatal; the steps filed
  // before it stay in the list.
  void LoadFromFile(const std::string& Quest, const std::string& FileName, bool AddRunCont);

  TSpreadFunc Callback;

 private:
  void CheckEntry(int32_t I, const std::string& Caption) const;
  std::vector<std::unique_ptr<TVARIATOR>> items_;
};
