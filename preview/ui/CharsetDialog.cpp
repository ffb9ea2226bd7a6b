#include "preview/ui/CharsetDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QVBoxLayout>

#include "edit/ui/RichEdit.h"
#include "preview/ReadSettingDialog.h"

namespace {

// Qt fonts have no character-set field; the number rides on the widget and
// picks the writing system the font is matched for.
QFontDatabase::WritingSystem WritingSystemOf(int charset) {
  switch (charset) {
    case 128:
      return QFontDatabase::Japanese;
    case 129:
    case 130:
      return QFontDatabase::Korean;
    case 134:
      return QFontDatabase::SimplifiedChinese;
    case 136:
      return QFontDatabase::TraditionalChinese;
    case 161:
      return QFontDatabase::Greek;
    case 162:
      return QFontDatabase::Latin;
    case 163:
      return QFontDatabase::Vietnamese;
    case 177:
      return QFontDatabase::Hebrew;
    case 178:
      return QFontDatabase::Arabic;
    case 186:
      return QFontDatabase::Latin;
    case 204:
      return QFontDatabase::Cyrillic;
    case 222:
      return QFontDatabase::Thai;
    case 2:
      return QFontDatabase::Symbol;
    default:
      return QFontDatabase::Any;
  }
}

}  // namespace

void TForm8::ApplyCharset(QFont& f, int cs) {
  QStringList families = QFontDatabase::families(WritingSystemOf(cs));
  if (!families.contains(f.family()) && !families.isEmpty() && WritingSystemOf(cs) != QFontDatabase::Any)
    f.setFamilies({f.family(), families.first()});
}

int TForm8::PaneCharset(const TRichEdit* pane) {
  QVariant v = pane->property("navirtCharset");
  return v.isValid() ? v.toInt() : 128;
}

TForm8::TForm8(QWidget* parent, TRichEdit* pane) : QDialog(parent) {
  setObjectName("Form8");
  setWindowTitle("ﾃｷｽﾄ表示の文字種類の設定");
  auto* v = new QVBoxLayout(this);
  auto* label = new QLabel("文字種類(&J)", this);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName("ComboBox1");
  label->setBuddy(ComboBox1);
  int n = 0;
  const navirt::CharsetEntry* t = navirt::Charsets(n);
  for (int i = 0; i < n; ++i) ComboBox1->addItem(QString::fromUtf8(t[i].label), t[i].number);
  ComboBox1->setCurrentIndex(navirt::CharsetIndexOf(PaneCharset(pane)));
  connect(ComboBox1, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [pane, this](int idx) {
    if (idx < 0) return;
    int cs = ComboBox1->itemData(idx).toInt();
    pane->setProperty("navirtCharset", cs);
    QFont f = pane->font();
    ApplyCharset(f, cs);
    pane->setFont(f);
  });
  auto* note = new QLabel("外国語用フォントなどで表示がおかしいときは変更して下さい。", this);
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
  v->addWidget(label);
  v->addWidget(ComboBox1);
  v->addWidget(note);
  v->addWidget(buttons);
}
