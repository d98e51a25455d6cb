#include "linedata/cvDBQuery.h"

#include <sqlite3.h>

#include <algorithm>

#include "foundation/cvJob.h"
#include "foundation/cvLit.h"
#include "foundation/cvStr.h"

const std::vector<std::string>& DBOperators() {
  static const std::vector<std::string> ops{"", "=", "<>", ">", ">=", "<", "<="};
  return ops;
}

namespace {

bool KnownOperator(const std::string& Op) {
  const auto& ops = DBOperators();
  return std::find(ops.begin(), ops.end(), Op) != ops.end();
}

// A typed value as the parameter of a comparison: texts as they are, numbers of numeric fields
// as numbers (a value that is no number stays a text, which the field never equals).
TcvValue ParamOf(const std::string& Value, bool Text) {
  if (Text) return TextValue(Value);
  int32_t code = 0;
  const std::string v = TrimCtl(Value);
  const double x = ValRealCode(v, code);
  if (code != 0 || v.empty()) return TextValue(Value);
  if (x == static_cast<double>(static_cast<int64_t>(x)) && v.find_first_of(".eE") == std::string::npos)
    return IntValue(static_cast<int64_t>(x));
  return RealValue(x);
}

}  // namespace

TDBStatement PlainDBStatement(const std::string& Table) {
  TDBStatement s;
  s.Text = s.Select = "select * from " + Table;
  return s;
}

TDBStatement BuildDBStatement(const std::string& Table, const std::vector<TDBSortRow>& Sort,
                              const std::vector<TDBFiltRow>& Filt, const TDBIsText& IsText) {
  TDBStatement s = PlainDBStatement(Table);
  std::string shown, bound;
  auto add = [&](const std::string& Field, const std::string& Op, const std::string& Value,
                 bool Text) {
    if (Op.empty() || !KnownOperator(Op)) return;
    const std::string sep = shown.empty() ? "" : " AND ";
    shown += sep + "(" + Field + " " + Op + " " + (Text ? "'" + Value + "'" : Value) + ")";
    bound += sep + "(" + Field + " " + Op + " ?)";
    s.Params.push_back(ParamOf(Value, Text));
  };
  for (const TDBFiltRow& r : Filt) {
    if (!r.On) continue;
    const bool text = IsText && IsText(r.Field);
    add(r.Field, r.Op1, r.Val1, text);
    add(r.Field, r.Op2, r.Val2, text);
  }
  if (!shown.empty()) {
    s.Text += " where " + shown;
    s.Select += " where " + bound;
  }
  std::string order;
  for (const TDBSortRow& r : Sort) {
    if (r.Ord < 1 || r.Ord > 98) continue;
    order += (order.empty() ? "" : ",") + r.Field + (r.Desc ? " DESC" : "");
  }
  if (!order.empty()) {
    s.Text += " order by " + order;
    s.Select += " order by " + order;
  }
  return s;
}

void DBSortClick(std::vector<TDBSortRow>& Rows, int32_t Row) {
  if (Row < 0 || Row >= static_cast<int32_t>(Rows.size())) return;
  int32_t m = 0;
  for (const TDBSortRow& r : Rows)
    if (r.Ord != 99) m = std::max(m, r.Ord);
  TDBSortRow& cur = Rows[static_cast<size_t>(Row)];
  const int32_t c = cur.Ord;
  if (c == 99) {
    cur.Ord = m + 1;
  } else if (c < m) {
    for (TDBSortRow& r : Rows)
      if (r.Ord != 99 && r.Ord > c) --r.Ord;
    cur.Ord = 99;
  } else {
    cur.Ord = 99;
  }
  std::stable_sort(Rows.begin(), Rows.end(), [](const TDBSortRow& a, const TDBSortRow& b) {
    return a.Ord != b.Ord ? a.Ord < b.Ord : a.FldN < b.FldN;
  });
}

void DBFiltSort(std::vector<TDBFiltRow>& Rows) {
  std::stable_sort(Rows.begin(), Rows.end(), [](const TDBFiltRow& a, const TDBFiltRow& b) {
    return a.On != b.On ? a.On : a.FldN < b.FldN;
  });
}

std::vector<TFieldDef> DBTableFields(TcvDatabase& Db, const std::string& Table) {
  const std::string real = Db.FindTable(Table);
  if (real.empty()) return {};
  return Db.FieldDefs(real);
}

namespace {
int CancelHandler(void* Job) { return static_cast<TJob*>(Job)->Cancelled() ? 1 : 0; }

// The progress handler of a connection for the time of one query.
class TInterruptScope {
 public:
  TInterruptScope(sqlite3* Db, TJob& Job) : db_(Db) {
    if (db_) sqlite3_progress_handler(db_, 1000, CancelHandler, &Job);
  }
  ~TInterruptScope() {
    if (db_) sqlite3_progress_handler(db_, 0, nullptr, nullptr);
  }
  TInterruptScope(const TInterruptScope&) = delete;
  TInterruptScope& operator=(const TInterruptScope&) = delete;

 private:
  sqlite3* db_;
};
}  // namespace

bool RunDBQuery(TJob& Job, TcvDatabase& Db, const std::string& Select,
                const std::vector<TcvValue>& Params, const std::string& Shown, TDBResult& Out) {
  Out = TDBResult{};
  Out.Statement = Shown;
  if (!Job.Step(0, 0, "Запрос к базе данных"_cp)) return false;
  try {
    TInterruptScope scope(Db.Handle(), Job);
    TcvTable q(&Db, "");
    q.ReadOnly = true;
    q.SetSQL(Select, Params);
    q.Open();
    const int nf = q.FieldCount();
    for (int i = 0; i < nf; ++i) {
      Out.Fields.push_back(q.FieldDef(i).Name);
      Out.Types.push_back(q.FieldDef(i).DataType);
    }
    const int64_t total = q.RecordCount();
    Out.Rows.reserve(static_cast<size_t>(total));
    int64_t n = 0;
    for (q.First(); !q.Eof(); q.Next()) {
      std::vector<std::string> row;
      row.reserve(static_cast<size_t>(nf));
      for (int i = 0; i < nf; ++i) row.push_back(q.Fields(i).AsString());
      Out.Rows.push_back(std::move(row));
      if (++n % 1000 == 0 && !Job.Step(n, total, "Строки результата"_cp)) return false;
    }
    Job.Step(n, total, "Строки результата"_cp);
  } catch (const EDatabaseError& e) {
    if (Job.Cancelled()) return false;
    Job.Fail(e.what());
    return false;
  }
  return !Job.Cancelled();
}

std::vector<std::string> DBDumpLines(const TDBResult& R) {
  auto cell = [](const std::string& V) {
    std::string t = TrimCtl(V);
    if (t.empty()) return std::string("<>");
    std::replace(t.begin(), t.end(), ' ', '_');
    return t;
  };
  std::vector<std::string> lines;
  std::string head;
  for (const std::string& f : R.Fields) {
    std::string t = TrimCtl(f);
    std::replace(t.begin(), t.end(), ' ', '_');
    head += " " + t;
  }
  lines.push_back(head);
  for (const auto& row : R.Rows) {
    std::string l;
    for (const std::string& v : row) l += " " + cell(v);
    lines.push_back(l);
  }
  return lines;
}

std::string EVToCm1Text(double EV) { return SigSt(7, EV * kCm1PerEV); }
std::string Cm1ToEVText(double Cm1) { return SigSt(7, Cm1 / kCm1PerEV); }
