#pragma once
// Every toolbar button, by the name the settings file keeps its shown/hidden
// state under ("ToolButton4" in [ToolBar1]). The toolbar lists, the toolbar
// dialog and the window name buttons through these constants only, so a
// misspelt button fails to compile and this one list answers "which buttons
// exist?".
#include <cstring>

namespace navirt {

struct ToolButtonId {
  const char* key;
  bool operator==(const ToolButtonId& o) const { return std::strcmp(key, o.key) == 0; }
};

}  // namespace navirt

namespace btn {
using navirt::ToolButtonId;
// The main toolbar (ToolBar1).
inline constexpr ToolButtonId Print{"ToolButton36"};
inline constexpr ToolButtonId PrintSetup{"ToolButton35"};
inline constexpr ToolButtonId FileCopy{"ToolButton4"};
inline constexpr ToolButtonId FileMove{"ToolButton5"};
inline constexpr ToolButtonId FileDelete{"ToolButton3"};
inline constexpr ToolButtonId Rename{"ToolButton6"};
inline constexpr ToolButtonId Attributes{"ToolButton40"};
inline constexpr ToolButtonId Drive{"ToolButton38"};
inline constexpr ToolButtonId Up{"ToolButton55"};
inline constexpr ToolButtonId Sort{"ToolButton46"};
inline constexpr ToolButtonId RegisteredFolders{"ToolButton11"};
inline constexpr ToolButtonId Folder{"ToolButton41"};
inline constexpr ToolButtonId Mask{"ToolButton12"};
inline constexpr ToolButtonId DirCommand{"ToolButton47"};
inline constexpr ToolButtonId LargeIcons{"ToolButton13"};
inline constexpr ToolButtonId SmallIcons{"ToolButton22"};
inline constexpr ToolButtonId List{"ToolButton27"};
inline constexpr ToolButtonId Details{"ToolButton28"};
inline constexpr ToolButtonId Editor{"ToolButton30"};
inline constexpr ToolButtonId Run{"ToolButton34"};
inline constexpr ToolButtonId ArcExtract{"ToolButton42"};
inline constexpr ToolButtonId ArcCreate{"ToolButton43"};
inline constexpr ToolButtonId ArcList{"ToolButton44"};
inline constexpr ToolButtonId Help{"ToolButton8"};
inline constexpr ToolButtonId Exit{"ToolButton2"};
// The text toolbar (ToolBar2).
inline constexpr ToolButtonId HidePane{"SBeditview"};
inline constexpr ToolButtonId Show{"ToolButton49"};
inline constexpr ToolButtonId Refresh{"ToolButton17"};
inline constexpr ToolButtonId Cut{"ToolButton10"};
inline constexpr ToolButtonId Copy{"ToolButton14"};
inline constexpr ToolButtonId Paste{"ToolButton19"};
inline constexpr ToolButtonId Delete{"ToolButton21"};
inline constexpr ToolButtonId Save{"ToolButton54"};
inline constexpr ToolButtonId SaveAs{"ToolButton20"};
inline constexpr ToolButtonId Top{"ToolButton25"};
inline constexpr ToolButtonId End{"ToolButton26"};
inline constexpr ToolButtonId Find{"ToolButton33"};
inline constexpr ToolButtonId Replace{"ToolButton53"};
inline constexpr ToolButtonId Url{"ToolButton48"};
inline constexpr ToolButtonId HtmlToText{"ToolButton51"};
inline constexpr ToolButtonId Code{"ToolButton52"};
inline constexpr ToolButtonId EditMode{"ToolButton7"};
inline constexpr ToolButtonId WordWrap{"ToolButton39"};
}  // namespace btn
