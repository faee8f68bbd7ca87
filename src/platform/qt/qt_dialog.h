#pragma once
// The common dialog over Qt's file and font dialogs. The initial folder is a
// Windows path, found on this host through the program's path map; the
// chosen file comes back as this host's path, which the map leaves alone.
#include <QString>
#include <string>

#include "platform/files/files.h"
#include "platform/window/controls.h"

class QWidget;

namespace tallix::qt {

// "Text (*.a)|*.a|Other|*.b;*.c" in Qt's form "Text (*.a);;Other (*.b *.c)".
QString QtFileFilter(const std::string& filter);

class QtDialog : public CommonDialog {
 public:
  QtDialog(files::PathMap paths, QWidget* parent = nullptr)
      : paths_(std::move(paths)), parent_(parent) {}
  bool ShowOpen() override;
  bool ShowFont() override;

 private:
  files::PathMap paths_;
  QWidget* parent_;
};

}  // namespace tallix::qt
