// Any bytes as raw DEFLATE data: the first two give the output capacity, the rest the stream.
// Besides staying in bounds, every stream zlib decodes in full must decode to the same bytes
// here: the inflater accepts all that zlib accepts.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/inflate.h"

namespace {

// zlib's result for the same input and capacity, or false when zlib refuses or needs more.
bool ZlibInflate(const std::uint8_t* in, std::size_t size, std::vector<std::uint8_t>& out,
                 std::size_t& consumed) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&z, Z_FINISH);
  out.resize(z.total_out);
  consumed = z.total_in;
  inflateEnd(&z);
  return result == Z_STREAM_END;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t capacity = std::size_t{data[0]} << 8 | data[1];
  const std::uint8_t* stream = data + 2;
  const std::size_t length = size - 2;

  std::vector<std::uint8_t> ours(capacity);
  std::size_t written = capacity;
  std::size_t consumed = length;
  const int result = qv::InflateRaw(ours.data(), written, stream, consumed);
  if (result < qv::kInflateDistanceTooFar || result > qv::kInflateInputEnded) std::abort();
  if (result > 0 && (written != capacity || consumed != length)) std::abort();
  if (written > capacity || consumed > length) std::abort();

  std::vector<std::uint8_t> theirs(capacity);
  std::size_t zlibConsumed = 0;
  if (ZlibInflate(stream, length, theirs, zlibConsumed)) {
    if (result != qv::kInflateDone || written != theirs.size() || consumed != zlibConsumed) {
      std::abort();
    }
    if (written > 0 && std::memcmp(ours.data(), theirs.data(), written) != 0) std::abort();
  }
  return 0;
}
