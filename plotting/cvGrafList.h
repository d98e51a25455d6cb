// The Graf tab's logic without the window: the bulk marks and ranges of the graph list, the
// "Fill" and "Oper" values, graph and world-window edits by column, the join on Y, the
// histogram graph, the move-step conversions, the animation interval and the table plot of
// PlayGraphic. The tab reads and writes its grids; everything it does to the plotter is here.
//
// GUI-thread work, like the plotter.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TPLOTTER;
class TPicTool;
class TStringList;

namespace graf {

// The active marks of the bulk buttons over Rows rows: 'A' all, 'C' none, 'E' rows 0, 2, 4 ...,
// 'O' rows 1, 3, 5 ....
std::vector<bool> BulkMarks(int32_t Rows, char Kind);
// The rows "Select" marks: Anchor..Row in either order, every row without an anchor (< 0);
// clipped to the grid.
void SelectRange(int32_t Anchor, int32_t Row, int32_t Rows, int32_t& From, int32_t& To);
// "Fill": each active row the next line (cycling); inactive rows nothing. Without lines: none.
std::vector<std::optional<std::string>> FillValues(const std::vector<bool>& Act,
                                                   const std::vector<std::string>& Lines);
// "Oper": the formula command of the k-th active row, "+" and (Shift + k) * Step with 5
// significant digits.
std::string OperCommand(double Step, int32_t Shift, int32_t k);
// cbScale's fraction f: edkMi = f, edkMa = 1 - f with 4 decimals, no leading zero; false when
// the text is not a number.
bool ScaleTexts(const std::string& Fraction, std::string& Mi, std::string& Ma);
// "JoinY": the row of the comparison graph: the last active row with the smallest kYs; -1 when
// no row is active.
int32_t JoinTarget(const std::vector<bool>& Act, const std::vector<int32_t>& kYs);

// An edit of the current graph by the grid column's name (Tool: the picture tool, for the
// visibility and the line format; may be null). Without a plotter "PLOTTER Not Assigned",
// without a current graph "PLOTTER.OneG Not Assigned" (warned; false).
bool EditGraph(TPLOTTER* P, TPicTool* Tool, const std::string& Col, const std::string& Value);
// An edit of world window Num by column; then the graph grid is refilled. The same refusals.
bool EditWindow(TPLOTTER* P, int32_t Num, const std::string& Col, const std::string& Value);

// The formula command "+q" ("-q") on the current graph's X and/or Y: a new current graph with
// the shifted values, the graph's tile, frame and line format, the name(s) "q+name"; the current
// graph deleted first when the plotter's AutoDelOnPicModify is set. Stands in for the plotter's
// formula commands (AddModifPic); false when nothing was added.
bool AddShiftedPic(TPLOTTER& P, const std::string& Command, bool ToX, bool ToY);
// The formula command the "Oper" button sends (AddShiftedPic unless replaced).
std::function<bool(TPLOTTER&, const std::string&, bool, bool)>& AddModifPic();

// The histogram of the current graph's Y as a new graph "Hist(<Y title>)"; Lo, Hi the value
// bounds. False (nothing added) without a current graph of more than 3 values.
bool Histogram(TPLOTTER* P, int32_t NN, double kMi, double kMa, bool Sorted, char Mode,
               double& Lo, double& Hi);

// Move steps: pixels to world units of Y (9 significant digits; "0" without a current graph)
// and back ("1" without one). False when the text is not a number (nothing written).
bool MoveStepToWW(TPLOTTER* P, const std::string& StepP, std::string& Step);
bool MoveStepToPix(TPLOTTER* P, const std::string& Step, std::string& StepP);

// The animation interval of ed_tGIF in ms: a text that is not a number counts as 1 s; false
// for a negative interval or one the timer cannot hold (above 2^31 - 1 ms).
bool AnimationInterval(const std::string& Seconds, int32_t& Ms);

// ---- table plotting ----
// A column header "Lambda[A]": Name "Lambda", Unit "A" (no brackets: the whole text, no unit).
void SplitUnit(const std::string& Header, std::string& Name, std::string& Unit);
// The line style of a curve of N points: every "-" made "_" above 10000 points.
std::string TableStyle(const std::string& Style, int32_t N);
// Columns ColX, ColY of lines T1..T2 of Text as one curve of the current plot area (the base
// area "0" made with a view field of 100 and the margins when missing), then the viewport
// cleared and one replay. False when nothing was added.
bool PlotTable(TPLOTTER& P, const TStringList& Text, int32_t T1, int32_t T2, int32_t ColX,
               int32_t ColY, const std::string& Style, const double Margins[4]);

}  // namespace graf
