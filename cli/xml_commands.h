#pragma once
// The XML library's subcommands.

#include <ostream>
#include <span>
#include <string>

namespace qv::cli {

// xml-dump FILE [TAG]: the parse result ("result CODE LINE COLUMN TEXT"), then the returned
// element's subtree, one item per line, indented two spaces per depth:
//   E NAME | D NAME | E       an element, a declaration, the nameless top
//   A NAME [VALUE]            an attribute (no VALUE when it has none), before the content
//   T VALUE                   a text piece
//   C OPEN VALUE CLOSE        a clear section
// NAME, VALUE, OPEN and CLOSE are JSON string literals. TAG defaults to "Root". Exit status
// 0 for codes 0 and 1, 1 otherwise.
int XmlDump(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// xml-rewrite IN OUT: IN parsed for "Root" and written to OUT by the writer. A repaired
// document (warning 1) is written, with the warning on standard error.
int XmlRewrite(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qv::cli
