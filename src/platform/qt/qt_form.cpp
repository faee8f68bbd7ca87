#include "platform/qt/qt_form.h"

#include <QEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QScreen>
#include <QTimer>
#include <cmath>

namespace tallix::qt {
namespace {

constexpr double kTwipsPerInch = 1440;
// The client area's starting size, in twips.
constexpr double kStartWidth = 11745, kStartHeight = 8910;

QScreen* ScreenMostUnder(const QRect& frame) {
  QScreen* best = nullptr;
  long long best_area = 0;
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect overlap = s->geometry().intersected(frame);
    const long long area = overlap.isEmpty() ? 0 : 1LL * overlap.width() * overlap.height();
    if (area > best_area) {
      best = s;
      best_area = area;
    }
  }
  if (best) return best;
  if (QScreen* s = QGuiApplication::screenAt(frame.topLeft())) return s;
  return QGuiApplication::primaryScreen();
}

// Where the primary screen's corner lies among Qt's coordinates (not always
// at 0, 0: X places its leftmost screen there).
QPoint Origin() {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->geometry().topLeft() : QPoint();
}

}  // namespace

QtForm::QtForm(QWidget* parent) : QWidget(parent) {
  resize(PixelsX(kStartWidth), PixelsY(kStartHeight));
}

std::string QtForm::Caption() const {
  return windowTitle().toStdString();
}

void QtForm::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

// The outer rectangle: before the window is shown (or with no window
// manager) it is the client rectangle itself.
QRect QtForm::Frame() const {
  return frameGeometry();
}

void QtForm::SetFrame(const QRect& frame) {
  const QRect outer = frameGeometry(), inner = geometry();
  const int extra_w = outer.width() - inner.width(), extra_h = outer.height() - inner.height();
  move(frame.topLeft());
  resize(std::max(0, frame.width() - extra_w), std::max(0, frame.height() - extra_h));
}

void QtForm::SetWindowState(WindowState state) {
  if (state == state_) return;
  if (state_ == WindowState::Normal) normal_frame_ = Frame();
  if (state == WindowState::Maximized) {
    SetFrame(ScreenMostUnder(normal_frame_)->availableGeometry());
  } else if (state == WindowState::Normal) {
    SetFrame(normal_frame_);
  }
  // Minimising is the platform's business; the program never asks for it.
  state_ = state;
}

double QtForm::TwipsPerPixelX() const {
  const QScreen* s = screen();
  return kTwipsPerInch / (s ? s->logicalDotsPerInchX() : 96.0);
}

double QtForm::TwipsPerPixelY() const {
  const QScreen* s = screen();
  return kTwipsPerInch / (s ? s->logicalDotsPerInchY() : 96.0);
}

int QtForm::PixelsX(double twips) const {
  return static_cast<int>(std::lround(twips / TwipsPerPixelX()));
}

int QtForm::PixelsY(double twips) const {
  return static_cast<int>(std::lround(twips / TwipsPerPixelY()));
}

double QtForm::Left() const {
  return (Frame().x() - Origin().x()) * TwipsPerPixelX();
}
double QtForm::Top() const {
  return (Frame().y() - Origin().y()) * TwipsPerPixelY();
}
double QtForm::Width() const {
  return Frame().width() * TwipsPerPixelX();
}
double QtForm::Height() const {
  return Frame().height() * TwipsPerPixelY();
}

void QtForm::SetLeft(double twips) {
  QRect f = Frame();
  f.moveLeft(PixelsX(twips) + Origin().x());
  SetFrame(f);
}

void QtForm::SetTop(double twips) {
  QRect f = Frame();
  f.moveTop(PixelsY(twips) + Origin().y());
  SetFrame(f);
}

void QtForm::SetWidth(double twips) {
  QRect f = Frame();
  f.setWidth(PixelsX(twips));
  SetFrame(f);
}

void QtForm::SetHeight(double twips) {
  QRect f = Frame();
  f.setHeight(PixelsY(twips));
  SetFrame(f);
}

double QtForm::ScaleWidth() const {
  return width() * TwipsPerPixelX();
}
double QtForm::ScaleHeight() const {
  return height() * TwipsPerPixelY();
}

std::string QtForm::InputBox(const std::string& prompt, const std::string& title,
                             const std::string& default_text) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(this, QString::fromStdString(title), QString::fromStdString(prompt),
                            QLineEdit::Normal, QString::fromStdString(default_text), &ok);
  return ok ? text.toStdString() : std::string();
}

bool QtForm::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) ActivateOnce();
  return QWidget::event(e);
}

void QtForm::ActivateOnce() {
  if (activation_queued_) return;
  activation_queued_ = true;
  // Start-up may open dialogs and run for a while: not inside this event.
  QTimer::singleShot(0, this, [this] {
    if (Activated) Activated();
  });
}

}  // namespace tallix::qt
