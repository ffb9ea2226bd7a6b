// The dialog's checks and what OK stores are here, without the widget, so
// the tests can drive them and the window only shows them.
#include "print/PrintSettings.h"

#include "print/PaperNames.h"

namespace navirt {

namespace {
constexpr const char* kSection = "Print";
constexpr const char* kKeys[] = {"Yohaku_T", "Yohaku_L", "Yohaku_R", "Yohaku_B"};
}  // namespace

const char* MarginKey(MarginField f) { return kKeys[f]; }

Margins StoredMargins(const TIniFile& ini) {
  Margins m;
  m.top = MarginValue(ini.ReadString(kSection, kKeys[mfTop], "0"));
  m.left = MarginValue(ini.ReadString(kSection, kKeys[mfLeft], "0"));
  m.right = MarginValue(ini.ReadString(kSection, kKeys[mfRight], "0"));
  m.bottom = MarginValue(ini.ReadString(kSection, kKeys[mfBottom], "0"));
  return m;
}

void TPrintSettingsModel::Open(const TIniFile& ini, const PrinterMetrics& m, std::optional<int> paperCode,
                               int screenPpi) {
  metrics_ = m;
  ranges_[mfLeft] = {DotsToMm(m.offsetX, m.dpiX), DotsToMm(m.offsetX + m.width, m.dpiX)};
  ranges_[mfTop] = {DotsToMm(m.offsetY, m.dpiY), DotsToMm(m.offsetY + m.height, m.dpiY)};
  ranges_[mfRight] = {DotsToMm(m.RightStrip(), m.dpiX), DotsToMm(m.width, m.dpiX)};
  ranges_[mfBottom] = {DotsToMm(m.BottomStrip(), m.dpiY), DotsToMm(m.height, m.dpiY)};
  for (auto& f : fields_) f = "0";
  ApplyRanges();
  for (int f = mfTop; f <= mfBottom; ++f) {
    // An absent key leaves the field empty, which an empty field turns into "0".
    std::string v = ini.ReadString(kSection, kKeys[f], "");
    // Blanks around a stored number do not make it another number.
    size_t b = v.find_first_not_of(' '), e = v.find_last_not_of(' ');
    v = b == std::string::npos ? std::string() : v.substr(b, e - b + 1);
    if (v.empty() || !SetField(static_cast<MarginField>(f), v)) fields_[f] = "0";
  }
  ApplyRanges();
  rect_ = ComputePageRect(metrics_, FieldMargins());
  int dx = m.dpiX, dy = m.dpiY;
  if (dy <= 0) dx = dy = screenPpi;
  paper_ = PaperLabel(paperCode, static_cast<int>(DotsToMm(m.paperWidth, dx)),
                      static_cast<int>(DotsToMm(m.paperHeight, dy)));
}

bool TPrintSettingsModel::SetField(MarginField f, const std::string& text, std::string* message) {
  if (text.empty()) {
    fields_[f] = "0";
    return true;
  }
  bool digits = text.size() <= kMaxDigits;
  for (char c : text)
    if (c < '0' || c > '9') digits = false;
  if (!digits) {
    if (message) *message = "余白には0から9999までの数を入力して下さい。";
    return false;
  }
  fields_[f] = text;
  return true;
}

std::string TPrintSettingsModel::RangeText(MarginField f) const {
  return std::to_string(ranges_[f].min) + "-" + std::to_string(ranges_[f].max);
}

std::vector<MarginField> TPrintSettingsModel::ApplyRanges() {
  std::vector<MarginField> changed;
  for (int f = mfTop; f <= mfBottom; ++f) {
    if (fields_[f].empty()) fields_[f] = "0";
    int64_t v = MarginValue(fields_[f]);
    const MarginRange& r = ranges_[f];
    if (v < r.min || v > r.max) {
      std::string now = std::to_string(r.min);
      if (now != fields_[f]) changed.push_back(static_cast<MarginField>(f));
      fields_[f] = now;
    }
  }
  return changed;
}

Margins TPrintSettingsModel::FieldMargins() const {
  Margins m;
  m.top = MarginValue(fields_[mfTop]);
  m.left = MarginValue(fields_[mfLeft]);
  m.right = MarginValue(fields_[mfRight]);
  m.bottom = MarginValue(fields_[mfBottom]);
  return m;
}

PageRect TPrintSettingsModel::Accept(TIniFile& ini) {
  ApplyRanges();
  for (int f = mfTop; f <= mfBottom; ++f) ini.WriteString(kSection, kKeys[f], fields_[f]);
  rect_ = StoredPageRect(ini, metrics_);
  return rect_;
}

}  // namespace navirt
