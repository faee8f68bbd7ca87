#include "platform/qt/qt_dialog.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QStringList>

namespace tallix::qt {

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString text = parts[i].trimmed();
    const QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
    // Qt reads the patterns from the parentheses at the end of the text.
    out << (text.endsWith("(" + patterns + ")") ? text : text + " (" + patterns + ")");
  }
  return out.join(";;");
}

bool QtDialog::ShowOpen() {
  FileName.clear();
  QFileDialog dialog(parent_);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!InitDir.empty()) dialog.setDirectory(QString::fromStdString(paths_.ToHost(InitDir)));
  if (!Filter.empty()) dialog.setNameFilter(QtFileFilter(Filter));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  FileName = dialog.selectedFiles().front().toStdString();
  return !FileName.empty();
}

bool QtDialog::ShowFont() {
  bool ok = false;
  // Not preset with the grid's font: the dialog opens on the default one.
  const QFont chosen = QFontDialog::getFont(&ok, QFont(), parent_);
  if (!ok) return false;
  Font.Name = chosen.family().toStdString();
  Font.Size = static_cast<float>(chosen.pointSizeF());
  Font.Bold = chosen.weight() >= QFont::Bold;
  Font.Italic = chosen.italic();
  return true;
}

}  // namespace tallix::qt
