#pragma once
// Texts that follow the user's language: Japanese under a Japanese locale,
// English otherwise. Each subsystem keeps its own table of Msg pairs; the
// window asks for Japanese whatever the locale, as all its texts are.
#include <initializer_list>
#include <string>
#include <string_view>

namespace navirt {

enum class MsgLang { English, Japanese };

// The language LC_ALL, LC_MESSAGES or LANG (the first one set) names:
// Japanese when it starts with "ja".
MsgLang LocaleMessageLanguage();
// The process's choice: the locale's until SetMessageLanguage.
MsgLang MessageLanguage();
void SetMessageLanguage(MsgLang lang);

struct Msg {
  const char* en;
  const char* ja;  // UTF-8
};

// The text in the process's language.
const char* Tr(const Msg& m);
// The same with "{1}", "{2}"... replaced by the arguments: the two
// languages put them in different places.
std::string Tr(const Msg& m, std::initializer_list<std::string_view> args);
// Reason text of an errno value in the process's language (common ones
// translated, the rest as strerror gives them).
std::string ErrorText(int err);
// A table entry whose English text is en, or whose English text is a
// prefix of en followed by the rest ("cannot open " + name): its language's
// text; en itself when the table holds none.
std::string TrFrom(const Msg* table, size_t count, std::string_view en);

}  // namespace navirt
