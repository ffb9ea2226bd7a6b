// libunrar32.so: RAR archives (RAR4 and RAR5), listed and extracted.
#include <memory>

#include "archive/libs/Rar.h"
#include "archive/libs/ReadOnlyLibrary.h"

namespace navirt::arc {
namespace {

ReadOnlyLibrary g_rar([](const InputFile& in, const std::string&, std::vector<ArcEntry>& out,
                         std::string& why) { return rar::List(in, out, why); },
                      [](const InputFile& in, const std::string& path,
                         const std::vector<ArcEntry>& entries) -> UnpackFn {
                        auto up = std::make_shared<rar::Unpacker>(in, path, entries);
                        return [up](size_t i, const Sink& sink, std::string& why) { return up->Unpack(i, sink, why); };
                      },
                      {{"-x", "x"}, {"-e", "e"}, {"-l", "l", "-v", "v"}, {"-t", "t"}}, false);

}  // namespace
}  // namespace navirt::arc

NAVIRT_ARC_ENTRY_POINTS(Unrar, navirt::arc::g_rar)
