#include "platform/qt/screen_fonts.h"

#include <QFontDatabase>

namespace tallix::qt {

QFont ScreenFont(const std::string& name, double points, bool bold, bool italic) {
  QString family = QString::fromStdString(name);
  QFont font;
  font.setPointSizeF(points > 0 ? points : 8.25);
  font.setItalic(italic);
  font.setBold(bold);
  // Said outright, so a view does not take the width of its parent's font
  // (the header would be drawn in the cells' narrow face).
  font.setStretch(QFont::Unstretched);
  if (!QFontDatabase::hasFamily(family)) {
    if (family.compare("Arial", Qt::CaseInsensitive) == 0) {
      family = "Liberation Sans";  // metric-compatible with Arial (fonts-liberation2)
    } else if (family.compare("Impact", Qt::CaseInsensitive) == 0) {
      // Impact is a heavy, narrow face; its regular weight is as black as
      // another face's bold (fonts-dejavu-core).
      family = "DejaVu Sans";
      font.setStretch(QFont::Condensed);
      font.setBold(true);
    } else if (family.compare("MS Sans Serif", Qt::CaseInsensitive) == 0) {
      family = "DejaVu Sans";
    }
  }
  font.setFamily(family);
  return font;
}

}  // namespace tallix::qt
