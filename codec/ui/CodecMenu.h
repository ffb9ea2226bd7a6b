#pragma once
// The code, transfer-encoding, line-end and width commands of the menu
// "変換(&C)", the code button with PopupMenu3, and the
// enabling of "文字コード変換(&J)" when it opens.
//
// Action names, for the key list and for tests: Mcodeauto, Mjis2sjis,
// Meuc2sjis, Msjis2jis, Meuc2jis, Msjis2euc, Mjis2euc, Mutf82sjis,
// Msjis2utf8, Mutf162sjis, Meuc2utf8, Mbase64enc,
// Mbase64dec, Mmimeenc, Mmimedec, Muuenc, Muudec, Mbinhexenc, Mbinhexdec;
// Mcrlfauto, Mcr2crlf, Mlf2crlf, Mcrlf2cr, Mlf2cr, Mcrlf2lf, Mcr2lf;
// Mhan2zen, Mzen2han, Mhankana2zen, Mzenspace2han.
#include "codec/CodecCommands.h"

class IHost;

void InstallCodecCommands(IHost& host);

// What the items do, callable without a menu.
void RunCodeCommand(IHost& host, navirt::CodeCommand cmd);
void RunUnicodeCommand(IHost& host, navirt::UnicodeCommand cmd);
void RunLineEndCommand(IHost& host, navirt::LineEndCommand cmd);
void RunWidthCommand(IHost& host, navirt::WidthCommand cmd);
