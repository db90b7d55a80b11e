#include <QBitmap>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <exception>

#include "gui/zel_clipbrd.hpp"
#include "qt/zel_qthost.hpp"

namespace zel {

QImage BitmapToQImage(const TBitmap& Bitmap) {
  const int32_t w = Bitmap.GetWidth(), h = Bitmap.GetHeight();
  if (w <= 0 || h <= 0) return QImage();
  QImage img(w, h, QImage::Format_RGB32);
  for (int32_t y = 0; y < h; ++y) {
    const uint32_t* src = Bitmap.GetScanLine(y);
    auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = src[x];
      dst[x] = qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                    static_cast<int>((c >> 16) & 0xFF));
    }
  }
  return img;
}

TBitmap QImageToBitmap(const QImage& Image) {
  if (Image.isNull()) return TBitmap();
  const QImage src = Image.convertToFormat(QImage::Format_RGB32);
  TBitmap bmp(src.width(), src.height(), TPixelFormat::pf24bit);
  for (int32_t y = 0; y < src.height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uint32_t* d = bmp.GetScanLine(y);
    for (int32_t x = 0; x < src.width(); ++x)
      d[x] = static_cast<uint32_t>(qRed(s[x])) | (static_cast<uint32_t>(qGreen(s[x])) << 8) |
             (static_cast<uint32_t>(qBlue(s[x])) << 16);
  }
  return bmp;
}

QCursor QtCursorFor(TCursor Cursor) {
  if (const TCursorImage* ci = Screen().GetCursors(Cursor);
      ci != nullptr && ci->Image.GetWidth() > 0 && ci->Image.GetHeight() > 0) {
    QImage img = BitmapToQImage(ci->Image).convertToFormat(QImage::Format_ARGB32);
    const uint32_t key = static_cast<uint32_t>(ColorToRGB(ci->TransparentColor)) & 0xFFFFFFu;
    const QRgb keyRgb = qRgb(static_cast<int>(key & 0xFF), static_cast<int>((key >> 8) & 0xFF),
                             static_cast<int>((key >> 16) & 0xFF));
    for (int y = 0; y < img.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < img.width(); ++x)
        if (row[x] == keyRgb) row[x] = qRgba(0, 0, 0, 0);
    }
    return QCursor(QPixmap::fromImage(img), ci->HotSpot.x, ci->HotSpot.y);
  }
  switch (Cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait: return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag: return QCursor(Qt::DragMoveCursor);
    case crNoDrop:
    case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
  }
}

void InstallQtMessagePump() {
  Application().OnProcessMessages = [] {
    // Wait for the next event, but no longer than the timer, so that a modal
    // loop neither spins nor blocks when nothing arrives.
    QTimer::singleShot(10, QCoreApplication::instance(), [] {});
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  };
}

void RemoveQtMessagePump() { Application().OnProcessMessages = nullptr; }

void InstallQtClipboard() {
  TClipboardHost host;
  host.Publish = [](const std::optional<std::string>& Text, const TBitmap* Bitmap) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!Text && Bitmap == nullptr) {
      cb->clear();
      return;
    }
    auto* data = new QMimeData;
    if (Text) data->setText(QString::fromStdString(*Text));
    if (Bitmap != nullptr) data->setImageData(BitmapToQImage(*Bitmap));
    cb->setMimeData(data);  // takes ownership
  };
  host.FetchText = [](std::string& Text) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText()) return false;
    Text = data->text().toStdString();
    return true;
  };
  host.FetchBitmap = [](TBitmap& Bitmap) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasImage()) return false;
    const QImage img = qvariant_cast<QImage>(data->imageData());
    if (img.isNull()) return false;
    Bitmap = QImageToBitmap(img);
    return true;
  };
  Clipboard().SetHost(host);
}

void RemoveQtClipboard() { Clipboard().ClearHost(); }

// ---------------------------------------------------------------------------
// TQtControlWidget
// ---------------------------------------------------------------------------

TQtControlWidget::TQtControlWidget(TControl* Root, QWidget* Parent)
    : QWidget(Parent), FHost(std::make_unique<TControlHost>(Root)) {
  FHint = QSize(std::max(Root->GetWidth(), 1), std::max(Root->GetHeight(), 1));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Painting the snapshot invalidates controls on its way; those reports must
  // not schedule yet another paint.
  FHost->OnChange = [this] {
    if (!FPainting) update();
  };
}

TQtControlWidget::~TQtControlWidget() { FHost->OnChange = nullptr; }

QSize TQtControlWidget::sizeHint() const { return FHint; }

TShiftState TQtControlWidget::ShiftOf(Qt::KeyboardModifiers Modifiers) {
  TShiftState s;
  if (Modifiers & Qt::ShiftModifier) s |= TShiftStateItem::ssShift;
  if (Modifiers & Qt::ControlModifier) s |= TShiftStateItem::ssCtrl;
  if (Modifiers & Qt::AltModifier) s |= TShiftStateItem::ssAlt;
  return s;
}

namespace {

bool ButtonOf(Qt::MouseButton B, TMouseButton& Out) {
  switch (B) {
    case Qt::LeftButton: Out = TMouseButton::mbLeft; return true;
    case Qt::RightButton: Out = TMouseButton::mbRight; return true;
    case Qt::MiddleButton: Out = TMouseButton::mbMiddle; return true;
    default: return false;
  }
}

// Qt positions are fractional on high-resolution devices; the layer counts
// whole pixels.
int32_t Px(double v) { return static_cast<int32_t>(std::floor(v)); }

}  // namespace

void TQtControlWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  FPainting = true;
  QImage img;
  try {
    img = BitmapToQImage(FHost->Snapshot());
  } catch (const std::exception&) {
    // An exception must not cross Qt's event dispatch: the widget stays blank.
    img = QImage();
  }
  FPainting = false;
  // A control that sizes itself while painting (the formula control sets
  // its height) asks the layout again through the size hint.
  if (const TControl* root = FHost->GetRoot()) {
    const QSize now(std::max(root->GetWidth(), 1), std::max(root->GetHeight(), 1));
    if (now != FHint) {
      FHint = now;
      updateGeometry();
      update();
    }
  }
  if (img.isNull()) {
    p.fillRect(rect(), palette().window());
    return;
  }
  p.drawImage(0, 0, img);
  // Uncovered parts (the root smaller than the widget) show the window colour.
  if (img.width() < width())
    p.fillRect(img.width(), 0, width() - img.width(), height(), palette().window());
  if (img.height() < height())
    p.fillRect(0, img.height(), std::min(img.width(), width()), height() - img.height(),
               palette().window());
}

void TQtControlWidget::resizeEvent(QResizeEvent* Event) {
  FHost->Resize(Event->size().width(), Event->size().height());
  update();
}

void TQtControlWidget::mousePressEvent(QMouseEvent* Event) {
  TMouseButton b;
  if (!ButtonOf(Event->button(), b)) return;
  const QPointF p = Event->position();
  FHost->SendMouseDown(b, ShiftOf(Event->modifiers()), Px(p.x()), Px(p.y()));
  UpdateCursor(Px(p.x()), Px(p.y()));
}

void TQtControlWidget::mouseMoveEvent(QMouseEvent* Event) {
  const QPointF p = Event->position();
  FHost->SendMouseMove(ShiftOf(Event->modifiers()), Px(p.x()), Px(p.y()));
  UpdateCursor(Px(p.x()), Px(p.y()));
}

void TQtControlWidget::mouseReleaseEvent(QMouseEvent* Event) {
  TMouseButton b;
  if (!ButtonOf(Event->button(), b)) return;
  const QPointF p = Event->position();
  FHost->SendMouseUp(b, ShiftOf(Event->modifiers()), Px(p.x()), Px(p.y()));
  UpdateCursor(Px(p.x()), Px(p.y()));
}

void TQtControlWidget::mouseDoubleClickEvent(QMouseEvent* Event) {
  TMouseButton b;
  if (!ButtonOf(Event->button(), b)) return;
  const QPointF p = Event->position();
  FHost->SendDblClick(b, ShiftOf(Event->modifiers()), Px(p.x()), Px(p.y()));
}

void TQtControlWidget::wheelEvent(QWheelEvent* Event) {
  const int32_t delta = Event->angleDelta().y();
  if (delta == 0) {
    Event->ignore();
    return;
  }
  const QPointF p = Event->position();
  FHost->SendMouseWheel(ShiftOf(Event->modifiers()), delta, Px(p.x()), Px(p.y()));
  Event->accept();
}

void TQtControlWidget::UpdateCursor(int32_t X, int32_t Y) {
  const TCursor c = FHost->CursorAt(X, Y);
  if (FCursorSet && c == FShownCursor) return;
  FShownCursor = c;
  FCursorSet = true;
  setCursor(QtCursorFor(c));
}

}  // namespace zel
