// The power actions are kept apart from the window so the question and the
// refusal paths are tested with a recording starter; a test can never shut
// the machine down.
#include "sysinfo/PowerCommands.h"

namespace navirt {

bool NeedsConfirmation(PowerAction a) { return a != PowerAction::Suspend; }

std::string ConfirmationText(PowerAction a) {
  switch (a) {
    case PowerAction::PowerOff:
      return "コンピューターの電源を切ります。保存していない作業は失われます。よろしいですか？";
    case PowerAction::Reboot:
      return "コンピューターを再起動します。保存していない作業は失われます。よろしいですか？";
    case PowerAction::LogOff:
      return "ログオフします。保存していない作業は失われます。よろしいですか？";
    case PowerAction::Suspend:
      break;
  }
  return "";
}

PowerOutcome RunPowerAction(PowerAction a, TDesktopServices& services,
                            const std::function<bool(const std::string&)>& askYesNo) {
  PowerOutcome out;
  if (NeedsConfirmation(a)) {
    out.asked = true;
    // Without anyone to ask, the answer is No.
    if (!askYesNo || !askYesNo(ConfirmationText(a))) return out;
  }
  out.ran = true;
  switch (a) {
    case PowerAction::PowerOff:
      out.result = services.PowerOff();
      break;
    case PowerAction::Reboot:
      out.result = services.Reboot();
      break;
    case PowerAction::LogOff:
      out.result = services.LogOff();
      break;
    case PowerAction::Suspend:
      out.result = services.Suspend();
      break;
  }
  return out;
}

}  // namespace navirt
