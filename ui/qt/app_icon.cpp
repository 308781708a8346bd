#include "ui/qt/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace torvane::ui {

namespace {
constexpr int ICON_SIZE = 35;
constexpr int PIN_COUNT = 4;  // TCK, TMS, TDI, TDO on each side
}  // namespace

// A chip with its pins: the device the tool loads.
QIcon AppIcon() {
  QPixmap image(ICON_SIZE, ICON_SIZE);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
  for (int i = 0; i < PIN_COUNT; ++i) {
    int at = 8 + i * 6;
    painter.drawRect(at, 2, 3, 5);
    painter.drawRect(at, ICON_SIZE - 7, 3, 5);
    painter.drawRect(2, at, 5, 3);
    painter.drawRect(ICON_SIZE - 7, at, 5, 3);
  }
  painter.setBrush(QColor(0x20, 0x30, 0x80));
  painter.drawRect(6, 6, ICON_SIZE - 12, ICON_SIZE - 12);
  painter.setBrush(QColor(0xF0, 0xC0, 0x20));
  painter.drawEllipse(10, 10, 4, 4);
  return QIcon(image);
}

}  // namespace torvane::ui
