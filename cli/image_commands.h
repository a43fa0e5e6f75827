#pragma once
// The image subsystem's subcommands.

#include <ostream>
#include <span>
#include <string>

namespace qv::cli {

// png-decode FILE OUT: FILE decoded as the toolbar loads it. On success prints
// "WIDTH HEIGHT BYTES_PER_PIXEL" and writes the samples to OUT (rows top to bottom without
// their filter bytes, RGB or RGBA as decoded); a refused file is exit 1 with the decoder's
// reason on standard error.
int PngDecode(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// inflate IN OUT: the raw DEFLATE data in IN decoded into at most 64 MiB; prints
// "result CODE CONSUMED WRITTEN" with the lengths as InflateRaw leaves them, and writes the
// output to OUT when the code is 0. Any other code exits 1.
int Inflate(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qv::cli
