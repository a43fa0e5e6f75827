#pragma once
// Texts in quorvane-cli's output, quoted so that any character survives a line-based reader.

#include <string>
#include <string_view>

namespace qv::cli {

// A JSON string literal in UTF-8: quote, backslash, control characters and unpaired
// surrogates escaped; everything else, pairs included, as itself.
std::string JsonString(std::u16string_view text);

}  // namespace qv::cli
