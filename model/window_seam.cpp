#include "model/window_seam.h"

namespace qv {

std::u16string ReadTitleWithLimit(std::u16string_view title) {
  if (title.size() > kTitleReadLimit) return {};
  return std::u16string(title.substr(0, kTitleReadLimit - 1));
}

}  // namespace qv
