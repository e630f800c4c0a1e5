// The call's draft as a tree (mime/message.h): filled from the thirteen
// arguments of the message procedure and the queues of body lines (GBQ) and
// attached files (GLQ), then written by the one writer through the message
// file's records.
#pragma once

#include "app/html_body.h"
#include "mime/message.h"

namespace app {

struct MessageArguments;

// Fills `message` with the call's headers and parts. As the checks see it
// (`files` named) it holds a part for every file the call names, each with
// its size. As it is written (settled), the pictures the body lines name
// are copied into the work directory to see that they can be had: one that
// cannot stays a reference in the HTML and gets no part. False, with the
// failure noted in run_outcome(), when the run cannot go on.
bool build_call_message(const MessageArguments& args, CallFiles files, mime::Message& message);

}  // namespace app
