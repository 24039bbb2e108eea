#pragma once

#include <exception>

// Shows what a failed command raised, as the application reports it: a file
// error with the stop icon; lack of memory ("Out of memory.") with the
// exclamation icon; an already-reported failure (CUserException) not at all;
// anything else with its own text, or "Internal application error." when it
// has none. Call it only from the one place that catches a command's failure.
void ReportException(std::exception_ptr failure);
