// Message texts of the module's table, handed to the host's receiver.
#pragma once

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <string>

// The text of a message id from the module's own table; empty when the table has no such entry.
std::wstring LoadMessageText(std::int32_t id);

// Reports the message for the line last announced with SetCurrentLine, through ReportLineError.
void ReportMessage(IGroundDataReceiver* receiver, std::int32_t id);
