#pragma once
// Presses a dialog's button the way a person does: the dialog is on the
// screen and a mouse press and release land on the button where it is
// drawn. A hidden or disabled button takes no click, where the button's own
// click() would have run its handler anyway.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Shows w's window as the program would (a dialog handed to a test hook has
// not been shown yet; exec() shows a dialog modal, above a job's window)
// and waits until the window system has drawn it.
inline bool ShowOnScreen(QWidget* w) {
  QWidget* top = w->window();
  if (!top->isVisible()) {
    if (qobject_cast<QDialog*>(top)) top->setAttribute(Qt::WA_ShowModal, true);
    top->show();
  }
  return QTest::qWaitForWindowExposed(top);
}

// The point of b, in its window, that a person clicks: the box of a check
// box or radio button (its label may not fill the widget), else the middle.
inline QPoint ClickPoint(QAbstractButton* b) {
  QPoint at = b->rect().center();
  if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    auto element = qobject_cast<QCheckBox*>(b) ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator;
    at = b->style()->subElementRect(element, &opt, b).center();
  }
  return b->mapTo(b->window(), at);
}

inline void PressButton(QAbstractButton* b) {
  ShowOnScreen(b);
  QWidget* top = b->window();
  if (!b->isVisible()) {
    qWarning("%s is not on the screen to be pressed", qPrintable(b->objectName()));
    return;
  }
  QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->mapFrom(top, ClickPoint(b)));
  // A dialog the click closed hands the keyboard back to its owner, as the
  // window manager does.
  if (!top->isVisible() && top->parentWidget() && top->parentWidget()->window()->isVisible()) {
    QWidget* owner = top->parentWidget()->window();
    owner->activateWindow();
    (void)QTest::qWaitForWindowActive(owner, 1000);
  }
}
