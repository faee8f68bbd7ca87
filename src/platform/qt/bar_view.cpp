#include "platform/qt/bar_view.h"

#include "platform/qt/grid_view.h"
#include "platform/qt/qt_form.h"

namespace tallix::qt {

BarView::BarView(PictureBox& model, QtForm& form) : QWidget(&form), model_(model), form_(form) {
  setAutoFillBackground(true);
  setFocusPolicy(Qt::NoFocus);  // the keys belong to the grid
  auto before = std::move(model_.Changed);
  model_.Changed = [this, before = std::move(before)] {
    if (before) before();
    Sync();
  };
  Sync();
  raise();
  show();  // also when made after the window is on screen
}

void BarView::Sync() {
  const int left = form_.PixelsX(model_.Left()), top = form_.PixelsY(model_.Top());
  // Edges rounded, as the grid rounds its column edges.
  setGeometry(left, top, form_.PixelsX(model_.Left() + model_.Width()) - left,
              form_.PixelsY(model_.Top() + model_.Height()) - top);
  QPalette p = palette();
  p.setColor(QPalette::Window, ToQColor(model_.BackColor()));
  setPalette(p);
}

}  // namespace tallix::qt
