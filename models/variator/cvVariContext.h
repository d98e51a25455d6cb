// The calculation context of the variator: the list of variators, the working variator VARI,
// the variator under construction rdVARI while a control file is read, and the width variator.
// A thread's calculations use the context a TVariScope made current; without one, the program's
// context, whose list and width variator are the globals LVARI and VARIWHM. A run on a worker,
// or a test, makes its own (TOwnVariContext) so that two runs at once do not meet.
#pragma once
#include <memory>

class TLVARI;
class TVARIATOR;

struct TVariContext {
  TLVARI* LVARI = nullptr;
  TVARIATOR* VARI = nullptr;    // the working variator (owned by the list)
  TVARIATOR* rdVARI = nullptr;  // the variator being read (owned by the reader)
  TVARIATOR* VARIWHM = nullptr;
};

// A context with its own empty list (expansion callback SpreadFunc) and width variator.
class TOwnVariContext : public TVariContext {
 public:
  TOwnVariContext();
  ~TOwnVariContext();
  TOwnVariContext(const TOwnVariContext&) = delete;
  TOwnVariContext& operator=(const TOwnVariContext&) = delete;

 private:
  std::unique_ptr<TLVARI> list_;
  std::unique_ptr<TVARIATOR> whm_;
};

// The calling thread's context.
TVariContext& VariCtx();

// Makes a context the calling thread's until destroyed.
class TVariScope {
 public:
  explicit TVariScope(TVariContext& Ctx);
  ~TVariScope();
  TVariScope(const TVariScope&) = delete;
  TVariScope& operator=(const TVariScope&) = delete;

 private:
  TVariContext* previous_;
};
