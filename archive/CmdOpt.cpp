// The switches of the archive-file object, the command-line builder, and
// the base handler, which has no library and supports nothing.
#include <cstdio>

#include "archive/HandlerBase.h"

namespace navirt {

using namespace arcimpl;

// ---- options and command lines -------------------------------------------

void TArchiverOptions::Reset() {
  a = c = e = f = h = i = l = m = n = o = p = r = s = t = u = -1;
  w.clear();
  x = y = z = jc = jd = je = jf = jh = ji = jm = jn = -1;
  jo.clear();
  job.clear();
  jp = jr = jss = jw = -1;
  jx.clear();
  jyc = jyd = jyk = jyn = jyo = -1;
  jz.clear();
  ga = gd = ge = gf = gj = gm = gn = go = gp = -1;
  gr.clear();
  gs = gu = gw = -1;
  UserOptions.clear();
  UserFileList.clear();
  PackFilter = pfComponent;
  ResFileName.clear();
  ResFileUsage = ruOnPack | ruOnUnpack | ruOnRemoveItem;
  SjisNames = false;
  ReplaceList.clear();
}

void TCmdOpt::Num(const std::string& name, int n) {
  if (n != -1) Fixed("-" + name + std::to_string(n));
}

void TCmdOpt::Flag(const std::string& name, bool on) {
  if (on) Fixed("-" + name);
}

void TCmdOpt::Quoted(const std::string& name, const std::string& value, bool tarStyle) {
  if (value.empty()) return;
  if (name.empty()) {
    Fixed("\"" + value + "\"");
    return;
  }
  std::string sw = name[0] == ' ' ? name.substr(1) : "-" + name;
  if (tarStyle)
    Fixed(sw + " \"" + value + "\"");
  else
    Fixed("\"" + sw + value + "\"");
}

void TCmdOpt::Folder(const std::string& name, const std::string& folder, bool tarStyle) {
  if (folder.empty()) return;
  // Paths here are this system's: "/" ends a folder, "\" is a character.
  std::string f = folder.back() == '/' ? folder : folder + "/";
  Quoted(name, f, tarStyle);
}

bool TCmdOpt::Files(const std::vector<std::string>& names, const std::function<std::string(const std::string&)>& filter,
                    const std::string& resFile, bool useResFile) {
  if (useResFile) {
    std::string body;
    for (const auto& n : names) body += "\"" + (filter ? filter(n) : n) + "\"\r\n";
    std::FILE* f = std::fopen(resFile.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(body.data(), 1, body.size(), f) == body.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) return false;
    Quoted("", "@" + resFile);
    return true;
  }
  for (const auto& n : names) Quoted("", filter ? filter(n) : n);
  return true;
}

// ---- the base handler ------------------------------------------------------

void TArchiver::LoadDLL() { throw EArchiver("Abstract method 'TArchiver.LoadDLL' was called"); }
void TArchiver::FreeDLL() { throw EArchiver("Abstract method 'TArchiver.FreeDLL' was called"); }
int TArchiver::Extract(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
                       const std::string&) {
  // Every handler unpacks; the base has no library to ask.
  throw EArchiver("Abstract method 'TArchiver.Extract' was called");
}
int TArchiver::Pack(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
                    const std::string&) {
  throw EArchiver(kMsgPack);
}
int TArchiver::RemoveItems(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&) {
  throw EArchiver(kMsgRemove);
}
int TArchiver::Update(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
                      const std::string&) {
  throw EArchiver(kMsgUpdate);
}
int TArchiver::MakeSfx(void*, const TArchiverOptions&, const std::string&, const std::string&) {
  throw EArchiver(kMsgSfx);
}
int TArchiver::ExtractToMemory(void*, const std::string&, const std::string&, std::string&) {
  throw EArchiver(kMsgToMemory);
}
bool TArchiver::CheckArchive(const std::string&, int) { throw EArchiver(kMsgCheck); }

}  // namespace navirt
