#pragma once
// A picture box on screen: a plain coloured widget over the grid that
// follows its model's rectangle (twips) and background colour.
#include <QWidget>

#include "platform/window/controls.h"

namespace tallix::qt {

class QtForm;

class BarView : public QWidget {
 public:
  BarView(PictureBox& model, QtForm& form);
  void Sync();

 private:
  PictureBox& model_;
  QtForm& form_;
};

}  // namespace tallix::qt
