// libunarj32j.so: ARJ archives, listed and extracted.
#include "archive/libs/Arj.h"
#include "archive/libs/ReadOnlyLibrary.h"

namespace navirt::arc {
namespace {

ReadOnlyLibrary g_arj([](const InputFile& in, const std::string&, std::vector<ArcEntry>& out,
                         std::string& why) { return arj::List(in, out, why); },
                      [](const InputFile& in, const std::string&, const std::vector<ArcEntry>& entries) -> UnpackFn {
                        return [&in, &entries](size_t i, const Sink& sink, std::string& why) {
                          return arj::Unpack(in, entries[i], TrimmingSink(in, sink), why);
                        };
                      },
                      {{"x"}, {"e"}, {"l", "v"}, {"t"}}, true);

}  // namespace
}  // namespace navirt::arc

NAVIRT_ARC_ENTRY_POINTS(Unarj, navirt::arc::g_arj)
