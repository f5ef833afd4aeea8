// Exceptions the layer raises. They report a fault of the calling code (an argument no call
// could use), never a condition of the user's data.
#pragma once

#include <stdexcept>

// An argument the call cannot use: a null class record, a class of the wrong kind.
class CInvalidArgException : public std::invalid_argument
{
public:
    using std::invalid_argument::invalid_argument;
};
