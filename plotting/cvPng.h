// A 24-bit platform bitmap written as a PNG file (8-bit RGB, no interlace) without Qt: the rows
// go into stored deflate blocks, so the file is as large as the pixels, which the harness's
// pictures allow. False with errno's text in Error when the file cannot be written.
#pragma once
#include <string>

namespace platform {
class TBitmap;
}

bool WritePng(const platform::TBitmap& Bitmap, const std::string& FileName, std::string& Error);
