// The search commands of `navirt-tool lines`.
#include "tool/LinesFace.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

const LinesCommand kSearchLinesCommands[] = {
    {nullptr, 0, nullptr, nullptr, nullptr},  // placeholder row until the first command; skipped
};
const std::size_t kSearchLinesCommandCount = 0;

}  // namespace navirt::tool
