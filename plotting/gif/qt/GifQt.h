// The GIF codec with Qt: pictures to and from QImage, drawing a frame transparently stretched,
// the clipboard ("GIF Image" as a private type with its 4-byte size prefix, the plain stream as
// image/gif, frame 0 as an image), and picture files whose ".gif" goes through the codec (never
// through Qt's image plugins).
#pragma once
#include <QImage>
#include <QRect>
#include <QString>

#include "plotting/gif/cvGIF.h"

class QMimeData;
class QPainter;

namespace gifqt {

// The private clipboard type of "GIF Image".
inline const char* const kGifImageMime = "application/x-corvesta-gif-image";

// Indexed pictures become Format_Indexed8, others Format_RGB32; a transparent colour (not
// clNone) becomes alpha 0 in an ARGB32 image.
QImage ToQImage(const TDib& D, TColor Transparent = clNone);
// A 24-bit picture of the image (indexed images of at most 256 colours stay 8-bit).
TDib FromQImage(const QImage& Image);

// The bitmap stretched from Source (empty: the whole bitmap) into Dest (empty: the bitmap's
// size), leaving out the pixels of the transparent colour (clNone: a plain copy; clDefault:
// the bottom-left pixel's colour; a 1-bit bitmap drops its white).
void DrawTransparentStretched(QPainter& P, const TDib& Bitmap, TColor Transparent,
                              const QRect& Dest, const QRect& Source = QRect());
// The current frame into the rectangle, transparently when the image is transparent.
void Draw(QPainter& P, TCvGIF& Gif, const QRect& Dest);

// Clipboard data of the image (its frames encoded first); false when it has no frames.
bool FillMimeData(TCvGIF& Gif, QMimeData& Mime);
// The image from clipboard data ("GIF Image", else image/gif, else an image); false when none.
bool LoadMimeData(TCvGIF& Gif, const QMimeData& Mime);
void CopyToClipboard(TCvGIF& Gif);
bool PasteFromClipboard(TCvGIF& Gif);

// Picture files by extension: ".gif" through the codec, others through Qt. False on failure
// with the reason in Error.
bool LoadPicture(const QString& FileName, QImage& Image, QString* Error = nullptr);
bool SavePicture(const QImage& Image, const QString& FileName, QString* Error = nullptr);

}  // namespace gifqt
