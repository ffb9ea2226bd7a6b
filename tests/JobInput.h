#pragma once
// Presses a progress window's キャンセル the way a person does: the click or
// key goes to the job window's QWindow, as the window system delivers it,
// and Qt routes it on to the button (QTest's widget overloads would hand it
// to the button directly and miss the window's own filtering).
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QWindow>

enum class CancelInput { Click, Space, Return, Escape };

inline constexpr CancelInput kCancelInputs[] = {CancelInput::Click, CancelInput::Space, CancelInput::Return,
                                                CancelInput::Escape};

inline const char* CancelInputName(CancelInput how) {
  switch (how) {
    case CancelInput::Click:
      return "click";
    case CancelInput::Space:
      return "Space";
    case CancelInput::Return:
      return "Return";
    case CancelInput::Escape:
      return "Escape";
  }
  return "?";
}

inline void PressCancel(QDialog& job, CancelInput how) {
  QWindow* w = job.windowHandle();
  QPushButton* button = job.findChild<QPushButton*>("Button1");
  if (!w || !button) return;
  switch (how) {
    case CancelInput::Click:
      QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, button->mapTo(&job, button->rect().center()));
      break;
    case CancelInput::Space:
      QTest::keyClick(w, Qt::Key_Space);
      break;
    case CancelInput::Return:
      QTest::keyClick(w, Qt::Key_Return);
      break;
    case CancelInput::Escape:
      QTest::keyClick(w, Qt::Key_Escape);
      break;
  }
}
