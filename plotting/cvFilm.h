// The picture as an animated GIF film: the frames are replayed on the window's thread (pages of
// the current plot area, or graph after graph), then encoded and written as a job to a temporary
// copy renamed over the file at the end, so a cancelled or failed film leaves no file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plotting/gif/cvDib.h"

class TJob;
class TPLOTTER;

// The frame delay of a frame time text in seconds: round(time * 1000) ms. False with the
// message when the text is not a number or the delay falls outside 0..65535 ms.
bool FilmDelay(const std::string& Text, uint16_t& Ms);
// Page mode (the current plot area has 2 or more pages): every page whose replay draws a graph,
// forward (then backward with BackAndForth); graph mode otherwise: each graph alone. The
// plotter's frame or current graph is restored afterwards, with one refresh and replay.
// Frames are copies of the device's off-screen bitmap.
void FilmFrames(TPLOTTER& P, bool BackAndForth, std::vector<TDib>& Frames);
// Encodes the frames (progress per frame, cancel between frames), looping with the repeat count
// 1000, and writes File through a temporary copy. False when cancelled; a failure raises; no
// file is left behind in both cases.
bool FilmWrite(const std::vector<TDib>& Frames, uint16_t DelayMs, const std::string& File,
               TJob& Job);
