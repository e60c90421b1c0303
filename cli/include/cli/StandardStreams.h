#pragma once

namespace mouthkey {

// Makes the standard streams safe to use for a command-line tool, before
// anything opens a file:
//  - a closed standard stream is held by /dev/null, opened so that using it
//    fails, so no file opened later can take its number and receive output
//    meant for the stream;
//  - a reader that goes away makes writes fail with an error the tool can
//    report, instead of killing it with SIGPIPE; for standard output,
//    endIfReaderLeft then ends it quietly all the same.
void guardStandardStreams();

// Called with the cause of a failed write to standard output. When the
// reader has gone (EPIPE), ends the process as SIGPIPE ends cat, without a
// word; any other cause returns, to be reported.
void endIfReaderLeft(int writeError);

} // namespace mouthkey
