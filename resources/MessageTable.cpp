#include "resources/MessageTable.h"

namespace Resources
{

const MessageEntry MessageTable[] = {
#define ORVA_MESSAGE(id, text) {id, L"" text},
#include "resources/Messages.inc"
#undef ORVA_MESSAGE
};

const std::size_t MessageTableSize = sizeof MessageTable / sizeof MessageTable[0];

} // namespace Resources
