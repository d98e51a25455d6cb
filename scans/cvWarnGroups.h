// Warnings of a long run gathered by kind and handed over once after it: texts that differ only
// in their numbers (a pixel's position, a value) are one kind, shown with its first text and the
// count. A scope routes the calling thread's warnings into the groups while it lives.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TJob;
class TJobScope;

class TWarnGroups {
 public:
  void Add(const std::string& Text, int32_t Times = 1);
  // Each kind through WARNAbs in the order first seen ("(раз: N)" added when it came N > 1
  // times); empties.
  void Flush();
  bool Empty() const { return order_.empty(); }
  // Occurrences of all kinds.
  int64_t Total() const { return total_; }
  // The kind of a text: every number in it replaced by "#".
  static std::string Kind(const std::string& Text);

  // While it lives, the calling thread's warnings go into Groups (null: nothing is routed).
  class TScope {
   public:
    explicit TScope(TWarnGroups* Groups);
    ~TScope();
    TScope(const TScope&) = delete;
    TScope& operator=(const TScope&) = delete;

   private:
    TWarnGroups* groups_;
    std::unique_ptr<TJob> job_;
    std::unique_ptr<TJobScope> scope_;
  };

 private:
  struct TEntry {
    std::string Text;
    int64_t Count = 0;
  };
  std::vector<std::string> order_;
  std::map<std::string, TEntry> entries_;
  int64_t total_ = 0;
};
