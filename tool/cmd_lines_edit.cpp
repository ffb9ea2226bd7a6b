// The editing commands of `navirt-tool lines`.
#include "tool/LinesFace.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

const LinesCommand kEditLinesCommands[] = {
    {nullptr, 0, nullptr, nullptr, nullptr},  // placeholder row until the first command; skipped
};
const std::size_t kEditLinesCommandCount = 0;

}  // namespace navirt::tool
