#include "platform/qt/grid_view.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "platform/qt/qt_form.h"
#include "platform/qt/screen_fonts.h"
#include "platform/qt/virtual_keys.h"

namespace tallix::qt {

QColor ToQColor(Colour c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

GridView::GridView(Grid& model, QtForm& form) : QTableWidget(&form), model_(model), form_(form) {
  setFrameShape(QFrame::NoFrame);  // column k starts exactly at its offset in the grid
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setHighlightSections(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::StrongFocus);
  setWordWrap(false);
  auto before = std::move(model_.Changed);
  model_.Changed = [this, before = std::move(before)] {
    if (before) before();
    Sync();
  };
  Sync();
  show();  // also when made after the window is on screen
}

void GridView::Sync() {
  const double x = form_.TwipsPerPixelX(), y = form_.TwipsPerPixelY();
  if (x == shown_x_ && y == shown_y_ && model_.LooksLike(shown_)) return;
  shown_x_ = x;
  shown_y_ = y;
  shown_ = model_;
  shown_.Changed = nullptr;
  ++syncs_;
  setUpdatesEnabled(false);
  setGeometry(form_.PixelsX(model_.Left()), form_.PixelsY(model_.Top()),
              form_.PixelsX(model_.Width()), form_.PixelsY(model_.Height()));

  const int columns = model_.ColumnCount();
  setColumnCount(columns);
  QStringList captions;
  for (int k = 0; k < columns; ++k) {
    captions << QString::fromStdString(model_.Column(k).Caption);
    // Edges rounded, not widths, so the columns do not drift from the
    // offsets the clock bars are placed by.
    const double left = model_.ColumnLeft(k);
    setColumnWidth(k, form_.PixelsX(left + model_.Column(k).Width) - form_.PixelsX(left));
  }
  setHorizontalHeaderLabels(captions);

  const GridFont& head = model_.HeadFont();
  const QFont head_font = ScreenFont(head.Name, head.Size, head.Bold, head.Italic);
  horizontalHeader()->setFont(head_font);
  // The header paints with its items' font where they have one; a caption
  // wider than its column is drawn narrower, in the same size and weight.
  const int margins =
      2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
  for (int k = 0; k < columns; ++k) {
    QTableWidgetItem* heading = horizontalHeaderItem(k);
    heading->setFont(FittedFont(head_font, heading->text(), columnWidth(k) - margins));
  }
  const GridFont& cell = model_.Font();
  const QFont cell_font = ScreenFont(cell.Name, cell.Size, cell.Bold, cell.Italic);
  setFont(cell_font);

  if (model_.RowHeight() > 0)
    verticalHeader()->setDefaultSectionSize(form_.PixelsY(model_.RowHeight()));

  const int rows = model_.Rows();
  setRowCount(rows);
  const QColor fore_even = ToQColor(model_.ForeColorEven());
  const QColor back_even = ToQColor(model_.BackColorEven());
  for (int r = 0; r < rows; ++r) {
    // Rows count from 1 on screen: the second, fourth, ... are the even ones.
    const bool even = r % 2 == 1;
    if (model_.RowHeight() > 0) setRowHeight(r, form_.PixelsY(model_.RowHeight()));
    for (int k = 0; k < columns; ++k) {
      QTableWidgetItem* it = item(r, k);
      if (!it) {
        it = new QTableWidgetItem;
        setItem(r, k, it);
      }
      it->setText(QString::fromStdString(model_.DisplayText(r, k)));
      it->setFont(cell_font);
      it->setForeground(even ? QBrush(fore_even) : QBrush(palette().color(QPalette::ButtonText)));
      it->setBackground(even ? QBrush(back_even) : QBrush(palette().color(QPalette::Base)));
    }
  }
  // No cell of a display board stands out as the current one.
  setCurrentIndex(QModelIndex());
  setUpdatesEnabled(true);
  viewport()->update();
}

void GridView::keyPressEvent(QKeyEvent* e) {
  const int16_t code = VirtualKeyCode(e->key());
  if (code != 0 && KeyDown) KeyDown(code, ShiftMask(e->modifiers()));
  QTableWidget::keyPressEvent(e);
}

QFont FittedFont(const QFont& font, const QString& text, int width) {
  const int natural = QFontMetrics(font).horizontalAdvance(text);
  if (natural <= width || natural == 0) return font;
  QFont narrow = font;
  // Stretch goes by whole percent; step down until the text fits.
  for (int stretch = std::max(50, 100 * width / natural); stretch >= 50; --stretch) {
    narrow.setStretch(stretch);
    if (QFontMetrics(narrow).horizontalAdvance(text) <= width) break;
  }
  return narrow;
}

}  // namespace tallix::qt
