// The run word DIA: the Dialog page built from the working variator. The observation project
// "#Q_OBS" is run, its varied parameters listed (grid ngVARIobs) with the axis marks of "#OBS_V"
// and "#OBS_X", and up to six slider rows bound to "#ADJ_PAR<n>" with the value, bounds and scale
// kind of "#ADJ_SCALE<n>" ("value lower upper [L]"). The page is a plain description
// (DialogPage()) the Dialog tab draws; nothing here touches a widget.
#pragma once
#include <cstdint>
#include <string>

class TJob;
class TLUNNO;
class TVARIATOR;
struct TPageView;

struct TAdjScale {
  double Value = 0, Lo = 0, Hi = 0;
  int32_t Kind = 0;  // 0 linear, 1 logarithmic (bounds as decimal logarithms)
  std::string Words[3];
};

// One "#ADJ_SCALE<n>" value of V. False, with a box naming the start file, the key and the word,
// when one of the first three words is no number.
bool AdjScaleParse(TVARIATOR& V, const std::string& Key, const std::string& StartFile,
                   TAdjScale& Scale);
// The slider position 0..100 of a value on its scale.
int32_t AdjTrackPos(const TAdjScale& Scale);

// The run word DIA into DialogPage().
void DialogBuild(TJob& Job, TLUNNO& List);
// The same into a given page.
void DialogBuildInto(TJob& Job, TLUNNO& List, TPageView& Page);
