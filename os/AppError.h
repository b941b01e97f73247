#pragma once

#include <stdexcept>
#include <string>

// The one exception type of the program. Components raise it with a message that
// already carries their name ("MailMessage1: MailMessage unassigned"); windows catch
// it at the edge of an event handler and show the message. Messages are UTF-8, so a file
// name in any script reaches the user whole.
class AppError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
