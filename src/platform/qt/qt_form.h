#pragma once
// The window as a Qt top-level widget. Lengths are twips through the
// screen's twips-per-pixel factors, positions counted from the primary
// screen's top-left corner (as the monitor list counts them); maximising
// fills the work area of the screen the window lies most on, at once, so
// the caller can read the new size straight away as it could from the
// original toolkit.
#include <QRect>
#include <QWidget>
#include <functional>

#include "platform/window/controls.h"

namespace tallix::qt {

class QtForm : public QWidget, public FormControl {
 public:
  explicit QtForm(QWidget* parent = nullptr);

  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  WindowState GetWindowState() const override { return state_; }
  void SetWindowState(WindowState state) override;
  double Left() const override;
  void SetLeft(double twips) override;
  double Top() const override;
  void SetTop(double twips) override;
  double Width() const override;
  void SetWidth(double twips) override;
  double Height() const override;
  void SetHeight(double twips) override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;
  double TwipsPerPixelX() const override;
  double TwipsPerPixelY() const override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& default_text) override;

  // Twips to whole pixels of this window's screen.
  int PixelsX(double twips) const;
  int PixelsY(double twips) const;

  // Runs once, from the event loop, when the window is first activated (or
  // first shown, where the platform activates nothing).
  std::function<void()> Activated;

 protected:
  bool event(QEvent* e) override;

 private:
  void ActivateOnce();
  QRect Frame() const;
  void SetFrame(const QRect& frame);

  WindowState state_ = WindowState::Normal;
  QRect normal_frame_;
  bool activation_queued_ = false;
};

}  // namespace tallix::qt
