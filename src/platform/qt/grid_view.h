#pragma once
// The ranking grid on screen: a table widget that follows a Grid model
// (columns, cells as displayed, fonts, even-row colours, row height and
// geometry in twips) and reports its key presses as virtual-key codes.
#include <QTableWidget>
#include <cstdint>
#include <functional>

#include "platform/grid/grid.h"

namespace tallix::qt {

class QtForm;

QColor ToQColor(Colour c);

// The font, narrowed if need be so that the text fits in `width` pixels.
QFont FittedFont(const QFont& font, const QString& text, int width);

class GridView : public QTableWidget {
 public:
  // Placed in `form` (the model's lengths convert through its factors).
  GridView(Grid& model, QtForm& form);

  // Takes everything from the model; runs on each Changed of the model and
  // does nothing when the model shows what is on screen already.
  void Sync();
  int Syncs() const { return syncs_; }  // the syncs that changed the screen

  // Key code and shift mask as the original grid passed them.
  std::function<void(int16_t key_code, int16_t shift)> KeyDown;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  Grid& model_;
  QtForm& form_;
  Grid shown_;  // what the last sync put on screen, at these twips per pixel
  double shown_x_ = 0, shown_y_ = 0;
  int syncs_ = 0;
};

}  // namespace tallix::qt
