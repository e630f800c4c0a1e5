// The runtime's debug log, "B5LOG.TXT" in the current directory: the few
// things that must leave a trace even when no window can show them (every
// diagnostic with a short stack trace, internal check failures). The log is
// created afresh at its first line in each run, so a run without a diagnostic
// leaves no log. When [Brindle 5 Tracing] auxtrace in the system profile is
// not empty, every line is copied to the AUX device (standard error).
//
// Writers are serialised by a critical section; a line produced while a line
// is being written (a diagnostic raised inside the output operation) is
// dropped rather than written from inside the writer.
#pragma once

#include <cstddef>

namespace svc {

// Writes one formatted text; the default writes it to "B5LOG.TXT".
using TraceOutput = void (*)(const char* text, std::size_t length);

// Formats a line with wvsprintfA conventions and writes it. With a null
// format the first argument is the text itself.
void trace(const char* format, ...);

// Writes "Error: <text>", up to ten return addresses of the caller's stack,
// one per line, and a line of 34 hyphens.
void trace_error(const char* text);

// The trace support's start/stop routine for the initialisation table
// (argument 0 at start-up, 1 at shutdown; priority 255, the first to start).
// Stopping closes the log file; lines written after that are dropped.
void trace_support_routine(int argument);

// Replaces the output operation (null restores the default) and gives the
// previous one back.
TraceOutput set_trace_output(TraceOutput output);

// Closes the log and the AUX copy and forgets that they were opened, so the
// next line creates the log afresh in the current directory; restores the
// default output operation. Used between tests.
void reset_debug_log();

}  // namespace svc
