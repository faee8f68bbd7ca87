#pragma once
// The window's controls without a toolkit. The form and the common dialog
// are interfaces (a toolkit decides sizes and runs dialogs); the picture
// boxes and the timer are plain models that a toolkit view follows.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tallix {

// Colours: red in the low byte, blue in the high byte.
using Colour = uint32_t;
constexpr Colour RGB(int r, int g, int b) {
  return static_cast<Colour>(r) | static_cast<Colour>(g) << 8 | static_cast<Colour>(b) << 16;
}

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// The window itself. Lengths in twips.
class FormControl {
 public:
  virtual ~FormControl() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual WindowState GetWindowState() const = 0;
  virtual void SetWindowState(WindowState state) = 0;
  // The outer edges, from the primary display's top-left corner.
  virtual double Left() const = 0;
  virtual void SetLeft(double twips) = 0;
  virtual double Top() const = 0;
  virtual void SetTop(double twips) = 0;
  virtual double Width() const = 0;
  virtual void SetWidth(double twips) = 0;
  virtual double Height() const = 0;
  virtual void SetHeight(double twips) = 0;
  // The inner (client) size.
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;
  virtual double TwipsPerPixelX() const = 0;
  virtual double TwipsPerPixelY() const = 0;
  // A modal input box; the typed text, empty on Cancel.
  virtual std::string InputBox(const std::string& prompt, const std::string& title,
                               const std::string& default_text) = 0;
};

// A picture box used as a plain coloured bar. `Changed` runs after every set.
class PictureBox {
 public:
  double Left() const { return left_; }
  double Top() const { return top_; }
  double Width() const { return width_; }
  double Height() const { return height_; }
  Colour BackColor() const { return back_; }
  void SetLeft(double v) {
    left_ = v;
    Notify();
  }
  void SetTop(double v) {
    top_ = v;
    Notify();
  }
  void SetWidth(double v) {
    width_ = v;
    Notify();
  }
  void SetHeight(double v) {
    height_ = v;
    Notify();
  }
  void SetBackColor(Colour c) {
    back_ = c;
    Notify();
  }

  std::function<void()> Changed;

 private:
  void Notify() {
    if (Changed) Changed();
  }
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  Colour back_ = 0;
};

// The refresh timer. A toolkit view starts and stops a real timer as the
// model says and calls `Tick` when it fires; tests call `Tick` themselves.
class Timer {
 public:
  bool Enabled() const { return enabled_; }
  int Interval() const { return interval_; }
  void SetEnabled(bool on) {
    enabled_ = on;
    Notify();
  }
  void SetInterval(int ms) {
    interval_ = ms;
    Notify();
  }

  std::function<void()> Changed;

 private:
  void Notify() {
    if (Changed) Changed();
  }
  bool enabled_ = false;
  int interval_ = 0;
};

struct FontChoice {
  std::string Name;
  float Size = 0;
  bool Bold = false;
  bool Italic = false;
};

// The open-file and font dialogs.
class CommonDialog {
 public:
  virtual ~CommonDialog() = default;
  std::string InitDir;
  std::string Filter;
  int Flags = 0;
  std::string FileName;  // the chosen file's full path after ShowOpen
  FontChoice Font;       // the chosen font after ShowFont
  // Each returns false when the operator cancels (FileName is then empty).
  virtual bool ShowOpen() = 0;
  virtual bool ShowFont() = 0;
};

// A form whose sizes tests set: maximising takes the size of the display
// the window is on.
class MemoryForm : public FormControl {
 public:
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& c) override { caption_ = c; }
  WindowState GetWindowState() const override { return state_; }
  void SetWindowState(WindowState s) override;
  double Left() const override { return left_; }
  void SetLeft(double v) override { left_ = v; }
  double Top() const override { return top_; }
  void SetTop(double v) override { top_ = v; }
  double Width() const override { return width_; }
  void SetWidth(double v) override { width_ = v; }
  double Height() const override { return height_; }
  void SetHeight(double v) override { height_ = v; }
  double ScaleWidth() const override { return width_ - border_x; }
  double ScaleHeight() const override { return height_ - border_y; }
  double TwipsPerPixelX() const override { return twips_per_pixel_x; }
  double TwipsPerPixelY() const override { return twips_per_pixel_y; }
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& default_text) override;

  // Test settings: the maximised size on the primary display and on the
  // second display (twips; the second lies right of the primary unless its
  // corner is set), the frame's share of the size, and the answers the
  // input box gives in turn (empty once they run out).
  double primary_width = 28800, primary_height = 16200;
  double secondary_width = 0, secondary_height = 0;
  std::optional<double> secondary_left;
  double secondary_top = 0;
  double border_x = 120, border_y = 420;
  double twips_per_pixel_x = 15, twips_per_pixel_y = 15;
  std::vector<std::string> answers;
  struct Asked {
    std::string prompt, title, default_text;
  };
  std::vector<Asked> asked;

 private:
  std::string caption_;
  WindowState state_ = WindowState::Normal;
  double left_ = 0, top_ = 0, width_ = 11745 + 120, height_ = 8910 + 420;
  double normal_width_ = 0, normal_height_ = 0;
};

// A dialog that answers from what the test put in.
class MemoryDialog : public CommonDialog {
 public:
  bool ShowOpen() override;
  bool ShowFont() override;
  std::vector<std::string> files_to_choose;  // "" means cancel
  std::vector<FontChoice> fonts_to_choose;   // an empty name means cancel
  int opens = 0, font_dialogs = 0;
};

}  // namespace tallix
