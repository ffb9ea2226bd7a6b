#pragma once
// Shut down, reboot, log off and standby. The first three end every
// program's unsaved work, so they ask once (Yes/No) before they act; the
// window only shows the box the asker stands for. Standby acts at once.
#include <functional>
#include <string>

#include "platform/DesktopServices.h"

namespace navirt {

enum class PowerAction { PowerOff, Reboot, LogOff, Suspend };

bool NeedsConfirmation(PowerAction a);
// The question of the confirmation box (UTF-8).
std::string ConfirmationText(PowerAction a);

// Asks through askYesNo when the action needs it; a No does nothing.
// Returns whether the service was called and what it answered.
struct PowerOutcome {
  bool asked = false;
  bool ran = false;
  StartResult result;
};
PowerOutcome RunPowerAction(PowerAction a, TDesktopServices& services,
                            const std::function<bool(const std::string& question)>& askYesNo);

}  // namespace navirt
