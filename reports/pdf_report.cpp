#include "reports/pdf_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace qv {
namespace {

constexpr float kBottomLimit = 40;    // a baseline at or below it goes to a new page
constexpr float kPageTopMargin = 40;  // first baseline of a continued page below the top
constexpr float kTitleSize = 24;
constexpr float kTitleBaseline = 50;  // below the top
constexpr float kFirstEntryBaseline = 79;
constexpr float kTitleToFirstEntry = kFirstEntryBaseline - kTitleBaseline;
constexpr float kRightColumnFromRight = 100;  // also the right edge of wrapped text
constexpr float kDetailSize = 6;
constexpr float kDetailStep = 8;
constexpr float kNameSize = 12;
constexpr float kNameX = 20;
constexpr float kRemarksSize = 8;
constexpr float kRemarksX = 30;
constexpr float kAfterName = 14;
constexpr float kAfterRemarksPiece = 10;
constexpr float kMinimumEntryHeight = 40;
constexpr float kRuleEnd = 500;
constexpr float kAfterRule = 15;
constexpr float kPageNumberSize = 10;
constexpr float kPageNumberBaseline = 20;

// Windows-1252 0x80..0x9F; 0 where the code page has no character.
constexpr std::array<char16_t, 32> kWinAnsiHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Test seam: a total allocation budget for libharu (ScopedPdfMemoryLimit).
bool g_memoryLimited = false;
std::size_t g_memoryLeft = 0;

void* HPDF_STDCALL PdfAlloc(HPDF_UINT size) {
  if (g_memoryLimited) {
    if (size > g_memoryLeft) return nullptr;
    g_memoryLeft -= size;
  }
  return std::malloc(size);
}

void HPDF_STDCALL PdfFree(void* block) {
  std::free(block);
}

struct DocumentDeleter {
  void operator()(HPDF_Doc document) const { HPDF_Free(document); }
};
using DocumentOwner = std::unique_ptr<std::remove_pointer_t<HPDF_Doc>, DocumentDeleter>;

float PageWidth(const PdfDocumentState& pdf) {
  return HPDF_Page_GetWidth(pdf.page);
}
float PageHeight(const PdfDocumentState& pdf) {
  return HPDF_Page_GetHeight(pdf.page);
}

void TextAt(const PdfDocumentState& pdf, float x, float y, const std::string& text) {
  HPDF_Page_BeginText(pdf.page);
  HPDF_Page_TextOut(pdf.page, x, y, text.c_str());
  HPDF_Page_EndText(pdf.page);
}

void DrawPageNumber(const PdfDocumentState& pdf) {
  std::array<char, 32> number{};
  std::snprintf(number.data(), number.size(), "%i", static_cast<int>(pdf.pageNumber));
  HPDF_Page_SetFontAndSize(pdf.page, pdf.font, kPageNumberSize);
  const float width = HPDF_Page_TextWidth(pdf.page, number.data());
  TextAt(pdf, (PageWidth(pdf) - width) * 0.5f, kPageNumberBaseline, number.data());
}

// y moved down by step, onto a new page when it reaches the bottom limit.
void Advance(PdfDocumentState& pdf, float& y, float step) {
  y -= step;
  if (y <= kBottomLimit) y = StartNewPage(pdf);
}

void DrawDetails(PdfDocumentState& pdf, const TaskInfo& task, float y) {
  const float x = PageWidth(pdf) - kRightColumnFromRight;
  const auto line = [&](std::u16string_view label, const std::u16string& value, int row) {
    TextAt(pdf, x, y - kDetailStep * static_cast<float>(row),
           ToWinAnsi(std::u16string(label) + value));
  };
  HPDF_Page_SetFontAndSize(pdf.page, pdf.font, kDetailSize);
  line(u"Priority: ", FormatUInt(task.priority), 0);
  line(u"Difficult: ", FormatUInt(task.difficulty), 1);
  line(u"Started:\t ", FormatReportTime(task.startTime), 2);
  line(u"Deadline:\t ", FormatReportTime(task.deadline), 3);
  if (task.state == static_cast<std::uint32_t>(TaskState::Solved)) {
    HPDF_Page_SetRGBFill(pdf.page, 0, 1, 0);
    line(u"Solved:\t ", FormatReportTime(task.closedTime), 4);
  } else if (task.state == static_cast<std::uint32_t>(TaskState::Cancelled)) {
    HPDF_Page_SetRGBFill(pdf.page, 1, 0, 0);
    line(u"Cancelled:\t ", FormatReportTime(task.closedTime), 4);
  }
  HPDF_Page_SetRGBFill(pdf.page, 0, 0, 0);
}

void DrawEntry(PdfDocumentState& pdf, const TaskInfo& task, float& y) {
  const float start = y;
  DrawDetails(pdf, task, y);
  if (task.name) DrawWrappedText(pdf, kNameSize, kNameX, y, *task.name);
  Advance(pdf, y, kAfterName);
  if (task.remarks) {
    std::u16string_view rest = *task.remarks;
    for (;;) {
      const std::size_t end = rest.find(u"\r\n");
      DrawWrappedText(pdf, kRemarksSize, kRemarksX, y, rest.substr(0, end));
      Advance(pdf, y, kAfterRemarksPiece);
      if (end == std::u16string_view::npos || pdf.Failed()) break;
      rest.remove_prefix(end + 2);
    }
  }
  // A short entry still takes its full height; one that crossed a page is left as it is.
  if (y < start && start - y < kMinimumEntryHeight) {
    y = start - kMinimumEntryHeight;
    if (y <= kBottomLimit) y = StartNewPage(pdf);
  }
  HPDF_Page_MoveTo(pdf.page, 0, y);
  HPDF_Page_LineTo(pdf.page, kRuleEnd, y);
  HPDF_Page_Stroke(pdf.page);
  Advance(pdf, y, kAfterRule);
}

// The whole document into memory, so that the file goes through the platform's UTF-16 paths
// rather than libharu's 8-bit file names.
bool SaveToMemory(PdfDocumentState& pdf, std::vector<std::uint8_t>& bytes) {
  if (HPDF_SaveToStream(pdf.document) != HPDF_OK) return false;
  HPDF_UINT32 size = HPDF_GetStreamSize(pdf.document);
  bytes.resize(size);
  if (size == 0 || HPDF_ResetStream(pdf.document) != HPDF_OK) return false;
  const HPDF_STATUS read = HPDF_ReadFromStream(pdf.document, bytes.data(), &size);
  return (read == HPDF_OK || read == HPDF_STREAM_EOF) && size == bytes.size() && !pdf.Failed();
}

// A file error reported as libharu reports its own, with the system's error as detail.
void ReportFileError(PdfErrorState& errors, Win32Error error) {
  PdfErrorHandler(HPDF_FILE_IO_ERROR, error, &errors);
}

std::int32_t Draw(PdfDocumentState& pdf, const CGenWindow& list, const std::u16string& folder,
                  AfterExport after, std::u16string* writtenPath) {
  HPDF_SetCompressionMode(pdf.document, HPDF_COMP_ALL);
  pdf.font = HPDF_GetFont(pdf.document, "Helvetica", "WinAnsiEncoding");
  pdf.page = HPDF_AddPage(pdf.document);
  if (pdf.Failed()) return kPdfLibraryFailed;

  const std::u16string title = ReportTitle(list);
  float y = PageHeight(pdf) - kFirstEntryBaseline;
  if (!title.empty()) {
    HPDF_Page_SetFontAndSize(pdf.page, pdf.font, kTitleSize);
    const float width = HPDF_Page_TextWidth(pdf.page, ToWinAnsi(title).c_str());
    // A title wider than the page starts at the names' margin instead of off the page.
    const float x = std::max((PageWidth(pdf) - width) * 0.5f, kNameX);
    float titleY = PageHeight(pdf) - kTitleBaseline;
    DrawWrappedText(pdf, kTitleSize, x, titleY, title);
    // A title of several lines pushes the first entry down rather than overlapping it.
    y = std::min(PageHeight(pdf) - kFirstEntryBaseline, titleY - kTitleToFirstEntry);
  }
  HPDF_Page_SetTextRenderingMode(pdf.page, HPDF_FILL);
  HPDF_Page_SetLineWidth(pdf.page, 0);

  for (const auto& item : list.tasks) {
    if (pdf.Failed()) return kPdfLibraryFailed;
    if (item) DrawEntry(pdf, item->task, y);
  }
  DrawPageNumber(pdf);
  if (pdf.Failed()) return kPdfLibraryFailed;
  if (title.empty()) return kPdfDone;

  std::u16string path;
  if (!BuildReportPath(folder, title, u".pdf", path)) {
    ReportFileError(*pdf.errors, kErrorInvalidHandle);
    return kPdfLibraryFailed;
  }
  std::vector<std::uint8_t> bytes;
  if (!SaveToMemory(pdf, bytes)) {
    if (!pdf.Failed()) ReportFileError(*pdf.errors, kErrorGenFailure);
    return kPdfLibraryFailed;
  }
  const Win32Error written = WriteWholeFile(path, bytes);
  if (written != kErrorSuccess) {
    ReportFileError(*pdf.errors, written);
    return kPdfLibraryFailed;
  }
  if (after == AfterExport::OpenReport) OpenWithDefaultProgram(path);
  if (writtenPath != nullptr) *writtenPath = std::move(path);
  return kPdfDone;
}

}  // namespace

std::string ToWinAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\t' || (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += ' ';
    } else if (const auto* found = std::find(kWinAnsiHigh.begin(), kWinAnsiHigh.end(), c);
               found != kWinAnsiHigh.end()) {
      out += static_cast<char>(0x80 + (found - kWinAnsiHigh.begin()));
    } else {
      // A surrogate pair is one character, so it becomes one '?'.
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        ++i;
      }
      out += '?';
    }
  }
  return out;
}

void HPDF_STDCALL PdfErrorHandler(HPDF_STATUS error, HPDF_STATUS detail, void* userData) {
  auto* state = static_cast<PdfErrorState*>(userData);
  if (state == nullptr || state->error != HPDF_OK) return;
  state->error = error;
  state->detail = detail;
  std::printf("ERROR: error_no=%04X, detail_no=%u\n", static_cast<unsigned>(error),
              static_cast<unsigned>(detail));
  std::fflush(stdout);
}

float StartNewPage(PdfDocumentState& pdf) {
  DrawPageNumber(pdf);
  ++pdf.pageNumber;
  pdf.page = HPDF_AddPage(pdf.document);
  HPDF_Page_SetLineWidth(pdf.page, 0);
  return PageHeight(pdf) - kPageTopMargin;
}

void DrawWrappedText(PdfDocumentState& pdf, float size, float x, float& y,
                     std::u16string_view text) {
  const std::string encoded = ToWinAnsi(text);
  if (encoded.empty()) return;
  HPDF_Page_SetFontAndSize(pdf.page, pdf.font, size);
  const auto measure = [&](const char* rest) -> std::size_t {
    const float width = PageWidth(pdf) - kRightColumnFromRight - x;
    return HPDF_Page_MeasureText(pdf.page, rest, width, HPDF_FALSE, nullptr);
  };
  std::size_t offset = 0;
  std::size_t fits = measure(encoded.c_str());
  while (fits > 0 && !pdf.Failed()) {
    TextAt(pdf, x, y, encoded.substr(offset, fits));
    offset += fits;
    fits = offset < encoded.size() ? measure(encoded.c_str() + offset) : 0;
    if (fits > 0) {
      y -= size;
      if (y <= kBottomLimit) {
        y = StartNewPage(pdf);
        HPDF_Page_SetFontAndSize(pdf.page, pdf.font, size);
      }
    }
  }
}

ScopedPdfMemoryLimit::ScopedPdfMemoryLimit(std::size_t bytes) {
  g_memoryLimited = true;
  g_memoryLeft = bytes;
}

ScopedPdfMemoryLimit::~ScopedPdfMemoryLimit() {
  g_memoryLimited = false;
}

std::int32_t ExportPdf(const CGenWindow& list, const std::u16string& folder, AfterExport after,
                       std::u16string* writtenPath) {
  PdfErrorState errors;
  DocumentOwner document(HPDF_NewEx(PdfErrorHandler, PdfAlloc, PdfFree, 0, &errors));
  if (!document) {
    std::printf("error: cannot create PdfDoc object\n");
    std::fflush(stdout);
    return kPdfLibraryFailed;
  }
  PdfDocumentState pdf{document.get(), nullptr, nullptr, 1, &errors};
  try {
    return Draw(pdf, list, folder, after, writtenPath);
  } catch (const std::bad_alloc&) {
    return kPdfLibraryFailed;
  }
}

}  // namespace qv
