#pragma once
// A command's name: the menu item name the whole program knows it by
// ("Mfilecopy", "MserchNext"). Names are constants declared in each
// subsystem's command list (…/ui/*CommandIds.h), so a misspelt name fails to
// compile and one list answers "which commands exist?".
#include <string_view>

struct CommandName {
  const char* text;
  constexpr bool operator==(const CommandName& o) const { return std::string_view(text) == std::string_view(o.text); }
};

// In a subsystem's list: #define NAVIRT_XXX_COMMANDS(X) X(Mfoo) X(Mbar)
#define NAVIRT_DECLARE_COMMAND(name) inline constexpr CommandName name{#name};
#define NAVIRT_LIST_COMMAND(name) cmd::name,
