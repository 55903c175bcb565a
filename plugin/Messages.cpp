#include "plugin/Messages.h"

#include "platform/Platform.h"

std::wstring LoadMessageText(std::int32_t id)
{
    std::wstring text;
    if (!Platform::LoadModuleString(id, text))
        text.clear();
    return text;
}

// No message of the table takes arguments, so its text goes to the host as it stands: run
// through a printf-style formatter without arguments, a stray % in a text would read memory that
// was never passed.
void ReportMessage(IGroundDataReceiver* receiver, std::int32_t id)
{
    if (!receiver)
        return;
    std::wstring text;
    try
    {
        text = LoadMessageText(id);
    }
    catch (...)
    {
        // Out of memory: the host still learns that something went wrong with this line.
        text.clear();
    }
    receiver->ReportLineError(text.c_str());
}
