#pragma once
// TFakeHost with the real pane widget, for window tests of the subsystems
// that work on the pane's text (they link navirt_edit_ui anyway): the text
// lives in the TRichEdit as it does in the main window, program output
// (any marker but red) clears the modified flag, a change of the file's
// text (red) stays one undo step.
#include "edit/ui/RichEdit.h"
#include "tests/FakeHost.h"

class TFakePaneHost : public TFakeHost {
 public:
  TFakePaneHost() : edit(new TRichEdit(this)) {
    edit->setObjectName("RichEdit1");
    pane = edit;
    setCentralWidget(edit);
  }

  std::string PaneText() const override { return edit->Text(); }
  std::vector<std::string> PaneLines() const override { return edit->Lines(); }
  void SetPaneText(std::string_view bytes, navirt::TColor marker) override {
    if (marker == navirt::clRed) {
      edit->ReplaceText(bytes);
    } else {
      edit->SetText(bytes);
      edit->SetModified(false);
    }
    SetInfoColor(marker);
  }
  void SetPaneLines(const std::vector<std::string>& lines, navirt::TColor marker) override {
    if (marker != navirt::clRed) edit->ForgetUnicode();
    edit->SetLines(lines, marker == navirt::clRed);
    if (marker != navirt::clRed) edit->SetModified(false);
    SetInfoColor(marker);
  }

  TRichEdit* edit;
};
