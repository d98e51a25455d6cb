#include "plotting/gif/qt/GifQt.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include "plotting/gif/cvGIFErr.h"

namespace gifqt {

namespace {
QRgb Rgb(TColor C) { return qRgb(C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF); }
}  // namespace

QImage ToQImage(const TDib& D, TColor Transparent) {
  if (D.Empty()) return QImage();
  const bool Alpha = Transparent != clNone;
  const TColor T = Alpha ? (Transparent == clDefault ? D.Pixel(0, D.Height - 1) : Transparent) & 0xFFFFFF : 0;
  if (D.Indexed() && !Alpha) {
    QImage I(D.Width, D.Height, QImage::Format_Indexed8);
    QList<QRgb> Table;
    for (const TRGBQuad& Q : D.Palette) Table.push_back(qRgb(Q.R, Q.G, Q.B));
    I.setColorTable(Table);
    for (int32_t y = 0; y < D.Height; ++y) {
      uchar* O = I.scanLine(y);
      for (int32_t x = 0; x < D.Width; ++x) O[x] = uchar(D.Index(x, y));
    }
    return I;
  }
  QImage I(D.Width, D.Height, Alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  for (int32_t y = 0; y < D.Height; ++y) {
    QRgb* O = reinterpret_cast<QRgb*>(I.scanLine(y));
    for (int32_t x = 0; x < D.Width; ++x) {
      const TColor C = D.Pixel(x, y);
      O[x] = (Alpha && C == T) ? qRgba(0, 0, 0, 0) : Rgb(C);
    }
  }
  return I;
}

TDib FromQImage(const QImage& Image) {
  if (Image.isNull()) return TDib();
  if (Image.format() == QImage::Format_Indexed8 && Image.colorCount() <= 256) {
    TDib D(Image.width(), Image.height(), 8);
    for (int i = 0; i < Image.colorCount(); ++i) {
      const QRgb C = Image.color(i);
      D.Palette[size_t(i)] = TRGBQuad{uint8_t(qBlue(C)), uint8_t(qGreen(C)), uint8_t(qRed(C)), 0};
    }
    for (int y = 0; y < Image.height(); ++y) std::memcpy(D.Row(y), Image.constScanLine(y), size_t(Image.width()));
    return D;
  }
  const QImage I = Image.convertToFormat(QImage::Format_RGB32);
  TDib D(I.width(), I.height(), 24);
  for (int y = 0; y < I.height(); ++y) {
    const QRgb* In = reinterpret_cast<const QRgb*>(I.constScanLine(y));
    uint8_t* O = D.Row(y);
    for (int x = 0; x < I.width(); ++x, O += 3) {
      O[0] = uint8_t(qBlue(In[x]));
      O[1] = uint8_t(qGreen(In[x]));
      O[2] = uint8_t(qRed(In[x]));
    }
  }
  return D;
}

void DrawTransparentStretched(QPainter& P, const TDib& B, TColor Transparent, const QRect& Dest,
                              const QRect& Source) {
  if (B.Empty()) return;
  const QRect Src = Source.isEmpty() ? QRect(0, 0, B.Width, B.Height) : Source;
  QRect Dst = Dest;
  if (Dst.width() < 1) Dst.setWidth(B.Width);
  if (Dst.height() < 1) Dst.setHeight(B.Height);
  TColor T = Transparent;
  if (T != clNone && B.BitCount == 1) T = 0xFFFFFF;
  P.drawImage(Dst, ToQImage(B, T), Src);
}

void Draw(QPainter& P, TCvGIF& Gif, const QRect& Dest) {
  if (Gif.CurrentFrame < 0 || Gif.CurrentFrame >= Gif.FrameCount()) return;
  TGIFFrame& F = Gif.FrameAt(Gif.CurrentFrame);
  const TColor T = Gif.GetTransparent() ? F.TransparentColor : clNone;
  DrawTransparentStretched(P, F.Bitmap(), T, Dest);
}

bool FillMimeData(TCvGIF& Gif, QMimeData& Mime) {
  if (Gif.FrameCount() == 0) return false;
  // Frames are encoded first, so that the GIF data go along with the bitmap.
  Gif.SaveToStream();
  const TCvGIF::TClipboardData C = Gif.SaveToClipboardFormat();
  Mime.setImageData(ToQImage(C.Bitmap));
  if (!C.GifImage.empty()) {
    Mime.setData(kGifImageMime, QByteArray(reinterpret_cast<const char*>(C.GifImage.data()),
                                           qsizetype(C.GifImage.size())));
    Mime.setData("image/gif", QByteArray(reinterpret_cast<const char*>(C.GifImage.data()) + 4,
                                         qsizetype(C.GifImage.size() - 4)));
  }
  return true;
}

bool LoadMimeData(TCvGIF& Gif, const QMimeData& Mime) {
  TDib Bmp;
  const bool HasImage = Mime.hasImage();
  if (HasImage) Bmp = FromQImage(qvariant_cast<QImage>(Mime.imageData()));
  auto Vec = [](const QByteArray& A) { return std::vector<uint8_t>(A.begin(), A.end()); };
  if (Mime.hasFormat(kGifImageMime)) {
    const std::vector<uint8_t> G = Vec(Mime.data(kGifImageMime));
    Gif.LoadFromClipboardFormat(&G, HasImage && !Bmp.Empty() ? &Bmp : nullptr);
    return true;
  }
  if (Mime.hasFormat("image/gif")) {
    Gif.LoadFromStream(Vec(Mime.data("image/gif")));
    return true;
  }
  if (HasImage && !Bmp.Empty()) {
    Gif.LoadFromClipboardFormat(nullptr, &Bmp);
    return true;
  }
  return false;
}

void CopyToClipboard(TCvGIF& Gif) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  auto* M = new QMimeData;
  if (!FillMimeData(Gif, *M)) {
    delete M;
    return;
  }
  QGuiApplication::clipboard()->setMimeData(M);
}

bool PasteFromClipboard(TCvGIF& Gif) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  const QMimeData* M = QGuiApplication::clipboard()->mimeData();
  return M && LoadMimeData(Gif, *M);
}

namespace {
bool IsGif(const QString& Name) { return QFileInfo(Name).suffix().compare("gif", Qt::CaseInsensitive) == 0; }
}  // namespace

bool LoadPicture(const QString& FileName, QImage& Image, QString* Error) {
  if (!IsGif(FileName)) {
    Image = QImage(FileName);
    if (Image.isNull() && Error) *Error = "Cannot read " + FileName;
    return !Image.isNull();
  }
  try {
    QFile F(FileName);
    if (!F.open(QIODevice::ReadOnly)) throw EInvalidGraphicOperation("Cannot open the file");
    const QByteArray A = F.readAll();
    TCvGIF G;
    G.LoadFromStream(std::vector<uint8_t>(A.begin(), A.end()));
    if (G.FrameCount() == 0) throw EInvalidGraphicOperation("GIF image is empty");
    TGIFFrame& Fr = G.FrameAt(0);
    Image = ToQImage(Fr.Bitmap(), Fr.TransparentColor);
    return true;
  } catch (const std::exception& X) {
    if (Error) *Error = QString::fromLocal8Bit(X.what());
    return false;
  }
}

bool SavePicture(const QImage& Image, const QString& FileName, QString* Error) {
  if (!IsGif(FileName)) {
    const bool Ok = Image.save(FileName);
    if (!Ok && Error) *Error = "Cannot write " + FileName;
    return Ok;
  }
  try {
    TCvGIF G;
    G.AddFrame(FromQImage(Image));
    G.SaveToFile(FileName.toStdString());
    return true;
  } catch (const std::exception& X) {
    if (Error) *Error = QString::fromLocal8Bit(X.what());
    return false;
  }
}

}  // namespace gifqt
