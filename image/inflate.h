#pragma once
// Raw DEFLATE data (RFC 1951) decoded into a caller's buffer of fixed size. The zlib framing
// around it (RFC 1950) belongs to the caller.

#include <cstddef>
#include <cstdint>

namespace qv {

// InflateRaw's results: 0 done, positive when a buffer was too short, negative for bad data.
inline constexpr int kInflateDone = 0;
inline constexpr int kInflateOutputFull = 1;
inline constexpr int kInflateInputEnded = 2;
inline constexpr int kInflateBadBlockType = -1;
inline constexpr int kInflateStoredLengthMismatch = -2;
inline constexpr int kInflateTooManyCodes = -3;
inline constexpr int kInflateBadCodeLengthCode = -4;
inline constexpr int kInflateRepeatWithoutLength = -5;
inline constexpr int kInflateRepeatTooLong = -6;
inline constexpr int kInflateBadLiteralLengthCode = -7;
inline constexpr int kInflateBadDistanceCode = -8;
inline constexpr int kInflateBadSymbol = -9;
inline constexpr int kInflateDistanceTooFar = -10;

// Decodes from source into destination until the final block ends. On entry destinationLength
// is the capacity and sourceLength the bytes available. When the result is kInflateDone or
// negative they become the bytes written and the bytes consumed (a partly used last byte
// counts as consumed); for kInflateOutputFull and kInflateInputEnded they are left as they
// were, although the destination may have been written to.
int InflateRaw(std::uint8_t* destination, std::size_t& destinationLength,
               const std::uint8_t* source, std::size_t& sourceLength);

}  // namespace qv
