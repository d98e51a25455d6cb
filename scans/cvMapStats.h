// The numbers behind a session's maps: the FITS tab's level-filter controls as a record, the
// recount of their level combinations and the current combination's mask (the scan services'
// filter state, GUI thread), and the walks over the combinations that a job runs on its own
// copies of the maps and masks (TMapWalk): scatter graphs, histogram values, the text table of
// several maps, averaged Stokes profiles; plus a map's cut along a segment and its mean curves.
// Results are plain data (graphs as arrays with their texts, text lists) the window shows.
// Messages go through WARNAbs (inside a job: into its report).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cvTy.h"
#include "scans/cvFilters.h"

class TFIOut;
class TJob;
class TLFITS;
class TStringList;

// ---- the filter controls ----
struct TFiltRow {
  std::string Map, Text;  // map name, level text
  bool Abs = false, Hist = false;
};
struct TFiltControls {
  TFiltRow Rows[3];
  int32_t X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;  // the analysis area (map pixel indices)
  bool PerSession = true;                 // sessions taken one by one
  bool Filt = false;                      // the current combination applies (its text kept)
};

// The largest count of combinations the window can step through.
constexpr int32_t kMaxFiltCombs = 32767;

// The level count of a row: 0 when a text is empty; "Карта {map} не загружена!" and 0 when the
// registry has no map of that name for Session (yyyymmdd_hhmmss).
int32_t FiltLevelCount(const std::string& Levels, const std::string& MapName,
                       const std::string& Session);
// One filter per row with a map name and at least two words (tabs read as blanks).
void FiltListFromControls(const TFiltControls& C, TFiltList& L);
// An upper bound <= 0 counts back from the last pixel; bounds above the map clipped to it.
void ClipArea(int32_t NX, int32_t NY, int32_t& X1, int32_t& X2, int32_t& Y1, int32_t& Y2);

// What the recount shows: the controls hidden (no levels), the count, the current combination
// (1-based), the memo lines "{map} {low} {high}" and the mask built into the filter state.
struct TCurFiltView {
  bool Shown = false;
  int32_t Count = 0, Cur = 0;
  bool Capped = false;  // more combinations than kMaxFiltCombs: the count capped (warned)
  std::vector<std::string> Memo;
  bool MaskBuilt = false;
  int32_t MaskN = 0;
};
// Recounts the combinations and builds the mask of combination Cur (kept when in range, else 1)
// over Session's maps into Scans().Filt (State -1 none, 0 no mask, 1 mask). GUI thread.
TCurFiltView UpDateCurFilt(const TFiltControls& C, const std::string& Session, int32_t Cur);

// ---- a walk on its own copies ----
// The scan's per-slit axes the coordinate columns read (entry x + 1 for slit position x).
struct TWalkAxes {
  bool Have = false;
  TARe AX, AT, AvO;
  std::vector<double> CRPIX2, CDELT2, CRVAL2;  // per slit file, 0-based
};

class TMapWalk {
 public:
  TMapWalk();
  ~TMapWalk();
  TMapWalk(TMapWalk&&) noexcept;
  TMapWalk& operator=(TMapWalk&&) noexcept;

  std::string Session;  // yyyymmdd_hhmmss
  TFiltList Filters;
  TAIn Limits;          // levels per filter
  int32_t X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
  bool PerSession = true, KeepText = false;
  std::vector<std::string> Names;  // operand maps, in order
  TWalkAxes Axes;
  std::vector<std::unique_ptr<TFIOut>> Maps;  // copies, one per distinct name
  TFiltMaps FiltMaps;                         // into Maps, one per filter

  // The product of the level counts (0 without filters).
  int32_t Combinations() const;
  const TFIOut* Map(const std::string& Name) const;
};

// A copy of a map with its values (null with the report when it holds none).
std::unique_ptr<TFIOut> CopyMapData(const TFIOut& M);

// Operand names: X when the registry holds it for Session (else "X-Карта <{X}> не найдена для
// сессии {Session}"), Y when found, then each word of C that is found.
std::vector<std::string> OperandMapList(const std::string& X, const std::string& Y,
                                        const std::string& C, const std::string& Session);

// Prepares a walk on the GUI thread: the filters ("Ни один фильтр не задан!" without one), the
// filter and operand maps of Session loaded and copied (the first missing one reported), the
// scan's axes when Scan is given. False when it cannot walk.
bool PrepMapWalk(const TFiltControls& C, const std::string& Session,
                 const std::vector<std::string>& Names, const TLFITS* Scan, TMapWalk& W);

// The mask of the combination Index over the walk's area (clipped to the first filter map);
// the area used is returned.
bool WalkMask(const TMapWalk& W, const TAIn& Index, TAByBy& Mask, int32_t& Count,
              int32_t& X1, int32_t& X2, int32_t& Y1, int32_t& Y2);

// The record set of one combination: 1-based arrays, one entry per passing pixel, x outer.
struct TCollected {
  int32_t N = 0;
  TAIn iX, iY;
  TARe aX, tX, vO, fiY;
  std::vector<TARe> Values;  // per operand name
};
bool CollectFilteredValues(const TMapWalk& W, const TAIn& Index, bool Coords, TCollected& R);

// A graph as the plotter takes it.
struct TXYGraph {
  TARe X, Y;  // 1-based
  std::string Title, NameX, NameY, DimX, DimY, Format;
  int32_t Tile = 1;
};

// ---- the walks (jobs: progress per combination, cancel between them) ----
// Scatter graphs of the second name against the first, one per combination that has values.
std::vector<TXYGraph> MapGraphs(TJob& Job, const TMapWalk& W);
// The first name's values per combination.
std::vector<TARe> MapHistValues(TJob& Job, const TMapWalk& W);

struct TListColumns {
  bool iX = false, iY = false, aX = false, fiY = false, T = false, vO = false;
  int32_t NDig = 8;
};
// The text table of the names per combination (the editor's "FITS " page).
bool MapListText(TJob& Job, const TMapWalk& W, const TListColumns& Cols, TStringList& Out);

// ---- the histogram ----
struct THistSettings {
  std::string kMi = ".0010", kMa = ".9990", NN = "2000", LogNorm = "N";
  bool SortCut = true;
};
// The histogram graph of Values (1-based, entry 0 unused) titled "Hist({Title})"; false (with
// the warning) for a bad setting or fewer than half as many values as bins. Lo, Hi its range.
bool HistogramGraph(const TARe& Values, const std::string& Title, const THistSettings& S,
                    TXYGraph& G, double& Lo, double& Hi);

// ---- a cut and mean curves of one map ----
// The values along (X1, Y1)-(X2, Y2), one sample per pixel of length; width W > 1 averages W
// samples spread across the segment (a band). No graph (false) when there are fewer than 3.
bool MapCut(const TFIOut& M, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W,
            TXYGraph& G);
// Means over x against y ("<x>(y)") and over y against x ("<y>(x)"); Mask (may be null) with
// its text, else "_noFilt".
bool MeanXGraph(const TFIOut& M, const TAByBy* Mask, const std::string& FiltText, TXYGraph& G);
bool MeanYGraph(const TFIOut& M, const TAByBy* Mask, const std::string& FiltText, TXYGraph& G);
// Column means against the scan's time, orbital velocity or a header key's values.
enum class TMeanAxis { Time, VOrbit, Key };
bool MeanYAxisGraph(const TFIOut& M, TLFITS& Scan, TMeanAxis A, const std::string& Key,
                    const TAByBy* Mask, const std::string& FiltText, TXYGraph& G);
bool VOtGraph(const TLFITS& Scan, TXYGraph& G);

// ---- averaged Stokes profiles ----
struct TProfComb {
  TARe IpV, ImV, I;  // 1-based, NAXIS1 + 1 entries
  double ContSum = 0;
  int32_t Count = 0;
};
// Per combination the profiles of the masked pixels of Scan summed (shifted to the local line
// position with VLOS, which needs LV51 and LV52 among the walk's names) and the "Stokes_Profiles "
// text block. A job: progress per slit position. Out gets one entry per combination walked.
bool StokesProfilesByFilter(TJob& Job, const TMapWalk& W, TLFITS& Scan, bool VLOS,
                            TStringList& Text, std::vector<TProfComb>& Out);
