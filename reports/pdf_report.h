#pragma once
// The PDF report of one list window, drawn with libharu.

#include <hpdf.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/list_window.h"
#include "reports/report_format.h"

namespace qv {

inline constexpr std::int32_t kPdfDone = 0;
inline constexpr std::int32_t kPdfLibraryFailed = 1;

// Draws the list's report and writes it to folder + '\' + title + ".pdf" (the program passes
// the documents folder + "\Quorvane", or "." when there is none). An empty title builds the
// document but writes nothing. kPdfLibraryFailed, with a diagnostic on standard output, when
// libharu fails or the file cannot be written; the document is freed either way.
std::int32_t ExportPdf(const CGenWindow& list, const std::u16string& folder,
                       AfterExport after = AfterExport::OpenReport,
                       std::u16string* writtenPath = nullptr);

// Text as the report's font shows it: one Windows-1252 byte per character ("WinAnsiEncoding"),
// '?' for a character the encoding lacks and a space for a control character other than TAB.
// One byte per character lets the line breaking count bytes and still break between
// characters.
std::string ToWinAnsi(std::u16string_view text);

// What libharu's error callback records. It never jumps: every drawing step checks it and the
// export unwinds normally, so the document and the C++ objects around it are always released.
struct PdfErrorState {
  HPDF_STATUS error = HPDF_OK;
  HPDF_STATUS detail = 0;
};

struct PdfDocumentState {
  HPDF_Doc document = nullptr;
  HPDF_Font font = nullptr;
  HPDF_Page page = nullptr;
  std::int32_t pageNumber = 1;
  PdfErrorState* errors = nullptr;

  bool Failed() const { return errors->error != HPDF_OK; }
};

// The first error prints "ERROR: error_no=%04X, detail_no=%u" on standard output and is kept
// in the PdfErrorState given as user data; later ones add nothing.
void HPDF_STDCALL PdfErrorHandler(HPDF_STATUS error, HPDF_STATUS detail, void* userData);

// Numbers the current page at its foot, adds the next page and returns its first baseline.
float StartNewPage(PdfDocumentState& pdf);

// The text broken into pieces that fit between x and W - 100, one line of `size` points each,
// continuing on new pages; y ends on the last piece's baseline. An empty text draws nothing.
void DrawWrappedText(PdfDocumentState& pdf, float size, float x, float& y,
                     std::u16string_view text);

// For tests of the failure path: while it lives, libharu's allocations stop succeeding once
// they have taken `bytes` bytes in all. One at a time.
class ScopedPdfMemoryLimit {
 public:
  explicit ScopedPdfMemoryLimit(std::size_t bytes);
  ~ScopedPdfMemoryLimit();
  ScopedPdfMemoryLimit(const ScopedPdfMemoryLimit&) = delete;
  ScopedPdfMemoryLimit& operator=(const ScopedPdfMemoryLimit&) = delete;
};

}  // namespace qv
