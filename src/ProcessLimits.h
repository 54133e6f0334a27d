// What both programs may ask of the machine, and how they end when they reach
// it: the widest thread team they start, and a write to standard output or an
// allocation that fails. Each ending is one "Error: ..." line on standard error
// and exit status 1, at once, without running static destructors.
//
// Threads: watchFailures, endOnFailedOutput and refuseExcessThreads run on the
// initial thread; the out-of-memory ending may come from any thread.
#pragma once

#include <string>

// The widest team a parallel part may start; the generator table never holds more.
constexpr int kMaxThreads = 1024;

// From here on a failed write to std::cout throws at the line that failed, and
// a failed allocation ends the process with "Error: Out of memory!". Call
// first in main.
void watchFailures();
// In main's handler of std::exception (the failure that libstdc++ throws is
// not always the std::ios_base::failure a program sees): when standard output
// has failed, names the reason (errno, still that of the failing write) and
// ends the process; any other exception is thrown on.
[[noreturn]] void endOnFailedOutput();
// Ends the process after a failed write to `target` ("standard output", "the
// log file 'runs.csv'"), naming the reason `error`, the errno of the write.
[[noreturn]] void endOnFailedWrite(const std::string& target, int error);
// Ends the process when the OpenMP runtime would start more than kMaxThreads
// threads. Call before anything is printed.
void refuseExcessThreads();
