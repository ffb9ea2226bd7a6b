#include "sysinfo/ui/DriveInfoForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

using namespace navirt;

TDriveInfoPie::TDriveInfoPie(QWidget* parent, const QString& title, PieAngles angles)
    : QWidget(parent), title_(title), angles_(angles) {
  setObjectName("Chart1");
  // A long mount point widens the chart, so its title is never cut.
  setMinimumSize(std::max(320, QFontMetrics(font()).horizontalAdvance(title_) + 16), 260);
}

void TDriveInfoPie::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QFontMetrics fm(font());
  QRect titleBox(0, 0, width(), fm.height() + 4);
  p.drawText(titleBox, Qt::AlignCenter, title_);
  const int legendWidth = fm.horizontalAdvance("未使用 ") + 24;
  int side = std::min(width() - legendWidth - 16, height() - titleBox.height() - 16);
  if (side < 10) return;
  QRect pie(8, titleBox.bottom() + 8, side, side);
  // Used from twelve o'clock clockwise, then free: the two always close the circle.
  const int start = 90 * 16;
  p.setPen(Qt::black);
  p.setBrush(Qt::red);
  p.drawPie(pie, start, -angles_.used);
  p.setBrush(Qt::blue);
  p.drawPie(pie, start - angles_.used, -angles_.free);
  int x = pie.right() + 12, y = pie.top() + 8;
  p.setBrush(Qt::red);
  p.drawRect(x, y, 12, 12);
  p.drawText(x + 16, y + fm.ascent(), "使用 ");
  p.setBrush(Qt::blue);
  p.drawRect(x, y + 20, 12, 12);
  p.drawText(x + 16, y + 20 + fm.ascent(), "未使用 ");
}

TDriveInfoForm::TDriveInfoForm(QWidget* parent, const DriveFigures& figures) : QDialog(parent) {
  setObjectName("DriveInfoForm");
  setWindowTitle("ドライブ情報");
  setAttribute(Qt::WA_DeleteOnClose, false);
  DriveInfoTexts texts = BuildDriveInfoTexts(figures);
  Chart1 = new TDriveInfoPie(this, QString::fromStdString(texts.chartTitle),
                             PieAnglesOf(figures.UsedBytes(), figures.FreeBytes()));
  Chart1->setToolTip(QString::fromStdString(texts.seriesTitle));
  Edit1 = new QLineEdit(QString::fromStdString(texts.summary), this);
  Edit1->setObjectName("Edit1");
  Edit1->setReadOnly(true);
  // The summary is read whole: the box is as wide as its text, and its
  // usual size hint (room for 17 "x") less that room is its frame.
  const QFontMetrics fm(Edit1->font());
  Edit1->setMinimumWidth(Edit1->sizeHint().width() - 17 * fm.horizontalAdvance(QLatin1Char('x')) +
                         fm.horizontalAdvance(Edit1->text()) + 2);
  Label1 = new QLabel(QString::fromStdString(texts.blocksLabel), this);
  Label1->setObjectName("Label1");
  auto* box = new QVBoxLayout(this);
  box->addWidget(Chart1, 1);
  box->addWidget(Edit1);
  box->addWidget(Label1);
}
