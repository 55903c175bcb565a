// What a record sink throws when its output cannot be written (a closed pipe, a full disk): the
// receiver stops the stream on it and tells the host once, rather than taking it for a fault of
// the import.
#pragma once

#include <stdexcept>

namespace Host
{

// The text names what could not be written and why.
class COutputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace Host
