#include "search/ui/TokenPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Cp932.h"
#include "search/RegexReplace.h"

using namespace navirt;

namespace {
int BytesOf(const QString& s, int chars) { return static_cast<int>(Utf8ToCp932(s.left(chars).toStdString()).size()); }
int CharsOf(const std::string& sjis, int bytes) {
  return static_cast<int>(QString::fromStdString(Cp932ToUtf8(sjis.substr(0, size_t(bytes)))).size());
}
}  // namespace

QWidget* MakeTokenPanel(QWidget* parent, std::function<void(const RegexToken&)> press) {
  auto* panel = new QWidget(parent);
  panel->setObjectName("PanelTokens");
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);
  int i = 0;
  auto add = [&](const RegexToken& t) {
    auto* b = new QPushButton(QString::fromUtf8(t.caption), panel);
    b->setFocusPolicy(Qt::NoFocus);
    if (*t.hint) {
      b->setToolTip(QString::fromStdString(TokenHintShort(t.hint)));
      b->setStatusTip(QString::fromStdString(TokenHintLong(t.hint)));
    }
    QObject::connect(b, &QPushButton::clicked, panel, [press, &t] { press(t); });
    grid->addWidget(b, i / 6, i % 6);
    ++i;
  };
  for (const RegexToken& t : RegexTokenButtons()) add(t);
  add(kTokenLineHead);
  add(kTokenLineTail);
  return panel;
}

void ApplyTokenToCombo(QComboBox* box, const RegexToken& token) {
  QLineEdit* edit = box->lineEdit();
  if (!edit) return;
  const QString text = edit->text();
  int selStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  int selLen = edit->hasSelectedText() ? static_cast<int>(edit->selectedText().size()) : 0;
  const std::string sjis = Utf8ToCp932(text.toStdString());
  TokenEdit e;
  if (&token == &kTokenLineHead)
    e = PrependLineHead(sjis);
  else if (&token == &kTokenLineTail)
    e = AppendLineTail(sjis);
  else
    e = InsertToken(sjis, BytesOf(text, selStart), BytesOf(text.mid(selStart), selLen), token);
  edit->setText(QString::fromStdString(Cp932ToUtf8(e.text)));
  edit->setCursorPosition(CharsOf(e.text, e.caret));
}
