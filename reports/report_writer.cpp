#include "reports/report_writer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "format/amount.h"
#include "reports/aggregation.h"
#include "reports/product.h"
#include "reports/report_kind.h"

namespace qm {
namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void Append(std::string& out, const char* format, ...) {
  // Rows fit the stack buffer; only a long name or title needs a second pass.
  char buffer[1024];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, copy);
  va_end(copy);
  if (n > 0 && size_t(n) < sizeof buffer) {
    out.append(buffer, size_t(n));
  } else if (n > 0) {
    const size_t at = out.size();
    out.resize(at + size_t(n) + 1);
    std::vsnprintf(&out[at], size_t(n) + 1, format, args);
    out.resize(at + size_t(n));
  }
  va_end(args);
}

const char* Cell(const std::vector<std::string>& row, size_t i) { return i < row.size() ? row[i].c_str() : ""; }

// One row's cell texts, pointing into storage that outlives the row's use.
struct RowTexts {
  std::string_view cells[5];
  size_t count = 0;
};

// Cell strings as texts, each up to its first NUL as printf takes it.
RowTexts TextsOf(const std::vector<std::string>& row) {
  RowTexts t;
  for (size_t i = 0; i < row.size() && i < std::size(t.cells); ++i) t.cells[t.count++] = row[i].c_str();
  return t;
}

// Where the daily, weekly and monthly layouts take their rows from: cell
// strings made beforehand (the reports window exports what its lists
// show), or a report's rows formatted one by one as they are written, so
// that a report of ten years keeps no strings of every row.
class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual size_t Count() const = 0;
  virtual RowTexts Row(size_t i) = 0;
  // No cell of any row is longer.
  virtual size_t LongestCell() const = 0;
};

class StoredRows : public RowSource {
 public:
  explicit StoredRows(const std::vector<std::vector<std::string>>& rows) : rows_(rows) {
    for (const auto& row : rows_) {
      const RowTexts t = TextsOf(row);
      for (size_t i = 0; i < t.count; ++i) longest_ = std::max(longest_, t.cells[i].size());
    }
  }
  size_t Count() const override { return rows_.size(); }
  RowTexts Row(size_t i) override { return TextsOf(rows_[i]); }
  size_t LongestCell() const override { return longest_; }

 private:
  const std::vector<std::vector<std::string>>& rows_;
  size_t longest_ = 0;
};

// Daily rows: date, day name, downloaded, uploaded, both. Weekly and
// monthly rows: number, period, downloaded, uploaded, both. The texts live
// in buffers reused from row to row.
class FormattedRows : public RowSource {
 public:
  FormattedRows(const ReportData& data, const ReportParams& params)
      : kind_(data.kind), rows_(data.rows.rows), dateFormat_(params.dateFormat),
        weekStartDay_(params.Normalized().weekStartDay) {
    for (int day = 0; day < 7; ++day) dayNames_[day] = DayName(day);
  }
  size_t Count() const override { return rows_.size(); }
  // A period: two dates and " -- ".
  size_t LongestCell() const override { return 2 * std::tuple_size_v<DateText> + 4; }
  RowTexts Row(size_t i) override {
    const ReportRow& row = rows_[i];
    std::string_view first, second;
    if (kind_ == ReportKind::Daily) {
      const Date& d = row.period.first;
      first = FormatDate(date_, dateFormat_, d.year, d.month, d.day);
      second = row.dayOfWeek < 7 ? dayNames_[row.dayOfWeek] : std::string_view();
    } else {
      const Date& end = row.period.last;
      const int number = kind_ == ReportKind::Weekly ? WeekOfYear(end.year, end.month, end.day, weekStartDay_)
                                                     : int(end.month);
      number_ = std::to_string(number);
      period_ = FormatDate(dateFormat_, row.period.first);
      period_ += " -- ";
      period_ += FormatDate(dateFormat_, row.period.last);
      first = number_;
      second = period_;
    }
    auto amount = [this](size_t k, uint64_t bytes) {
      return std::string_view(amount_[k].data(), FormatAmount(amount_[k], bytes, true));
    };
    // Made whole rather than cleared and filled in: clearing it was a
    // block store on every row.
    return RowTexts{{first, second, amount(0, row.traffic.download), amount(1, row.traffic.upload),
                     amount(2, row.traffic.Both())},
                    5};
  }

 private:
  ReportKind kind_;
  const std::vector<ReportRow>& rows_;
  uint32_t dateFormat_;
  int weekStartDay_;
  std::string_view dayNames_[7];
  std::string number_, period_;
  DateText date_;
  AmountText amount_[3];
};

// Copies of a few bytes without a library call each: a row is a dozen of
// them, and under Wine the C library's memcpy is a generic loop behind a
// call. A copy is made of fixed-size moves that may overlap each other
// (the last one ends on the last byte), so that its branches depend on the
// length's rough size only.
inline char* CopyShort(char* to, const char* from, size_t n) {
  if (n >= 16) {
    for (size_t i = 0; i + 16 <= n; i += 16) __builtin_memcpy(to + i, from + i, 16);
    __builtin_memcpy(to + n - 16, from + n - 16, 16);
  } else if (n >= 8) {
    __builtin_memcpy(to, from, 8);
    __builtin_memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4) {
    __builtin_memcpy(to, from, 4);
    __builtin_memcpy(to + n - 4, from + n - 4, 4);
  } else {
    for (size_t i = 0; i < n; ++i) to[i] = from[i];
  }
  return to + n;
}

// Blanks in steps of eight: up to seven more are written past the end,
// which the caller's room for them allows.
inline char* PadOver(char* to, size_t n) {
  constexpr uint64_t kBlanks = 0x2020202020202020ull;
  for (size_t i = 0; i < n; i += 8) __builtin_memcpy(to + i, &kBlanks, 8);
  return to + n;
}

// A row format read once for all the rows of a report: its runs of text
// and its "%s", "%Ns" and "%-Ns" conversions (padded to N as printf pads),
// which take the row's cells in turn, missing cells empty. Reports have
// thousands of rows, and printf's general machinery was most of their
// time; an HTML row is mostly text.
class RowLayout {
 public:
  // What PadOver may write past a row's end.
  static constexpr size_t kSpill = 8;

  explicit RowLayout(const char* format) {
    for (const char* p = format; *p;) {
      if (*p != '%') {
        const char* text = p;
        while (*p && *p != '%') ++p;
        pieces_.push_back(Piece{std::string_view(text, size_t(p - text)), 0, false, false});
        textLength_ += size_t(p - text);
        continue;
      }
      const bool left = p[1] == '-';
      p += left ? 2 : 1;
      size_t width = 0;
      for (; *p >= '0' && *p <= '9'; ++p) width = width * 10 + size_t(*p - '0');
      if (*p) ++p;  // the 's' of the conversion
      pieces_.push_back(Piece{std::string_view(), width, left, true});
    }
  }

  // The length of the row's text.
  size_t Length(const RowTexts& row) const {
    size_t length = textLength_, cell = 0;
    for (const Piece& piece : pieces_) {
      if (!piece.conversion) continue;
      const size_t size = cell < row.count ? row.cells[cell].size() : 0;
      ++cell;
      length += size < piece.width ? piece.width : size;
    }
    return length;
  }

  // The length of any row whose cells are no longer than `longestCell`.
  size_t Bound(size_t longestCell) const {
    size_t length = textLength_;
    for (const Piece& piece : pieces_)
      if (piece.conversion) length += std::max(piece.width, longestCell);
    return length;
  }

  // Writes the row at `to`, which has room for Length(row) + kSpill bytes;
  // its end.
  char* Write(char* to, const RowTexts& row) const {
    size_t cell = 0;
    for (const Piece& piece : pieces_) {
      if (!piece.conversion) {
        to = CopyShort(to, piece.text.data(), piece.text.size());
        continue;
      }
      const std::string_view text = cell < row.count ? row.cells[cell] : std::string_view();
      ++cell;
      const size_t padding = text.size() < piece.width ? piece.width - text.size() : 0;
      if (!piece.left) to = PadOver(to, padding);
      to = CopyShort(to, text.data(), text.size());
      if (piece.left) to = PadOver(to, padding);
    }
    return to;
  }

  void Append(std::string& out, const RowTexts& row) const {
    const size_t at = out.size(), length = Length(row);
    out.resize(at + length + kSpill);
    Write(&out[at], row);
    out.resize(at + length);
  }

 private:
  struct Piece {
    std::string_view text;  // a run of text, or
    size_t width;           // a conversion
    bool left;
    bool conversion;
  };
  std::vector<Piece> pieces_;
  size_t textLength_ = 0;
};

void AppendRow(std::string& out, const char* format, const RowTexts& row) { RowLayout(format).Append(out, row); }

// CSV and HTML rows of the daily, weekly and monthly reports: five cells
// into one format. Rows are put together in a block that goes to `out`
// when it may not hold the next one; with cells too long for the block,
// each row is appended alone.
void AppendRows(std::string& out, const char* format, RowSource& rows) {
  const RowLayout layout(format);
  const size_t count = rows.Count();
  char block[16384];
  const size_t room = layout.Bound(rows.LongestCell()) + RowLayout::kSpill;
  if (room > sizeof block) {
    for (size_t i = 0; i < count; ++i) layout.Append(out, rows.Row(i));
    return;
  }
  char* const end = block + sizeof block;
  char* at = block;
  for (size_t i = 0; i < count; ++i) {
    if (room > size_t(end - at)) {
      out.append(block, size_t(at - block));
      at = block;
    }
    at = layout.Write(at, rows.Row(i));
  }
  out.append(block, size_t(at - block));
}
constexpr char kCsvRow[] = "%s,%s,%s,%s,%s\r\n";

std::string Amount(uint64_t bytes) { return FormatAmount(bytes, true); }

void AppendAmounts(std::vector<std::string>& row, const Traffic& t) {
  AmountText text;
  for (uint64_t bytes : {t.download, t.upload, t.Both()})
    row.emplace_back(text.data(), FormatAmount(text, bytes, true));
}

constexpr char kFixedFontNote[] = "IMPORTANT: This report is best viewed with a fixed width font. (Courier)\r\n\r\n";
constexpr char kDailyRule[] = "------------------------------------------------------------------------\r\n";
constexpr char kPeriodRule[] = "--------------------------------------------------------------------------------\r\n";
constexpr char kSummaryRule[] = "---------------------------------------------------------------\r\n";
constexpr char kHtmlHead[] =
    "<html><head><title>%s</title>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
    "charset=windows-1252\"></head>\r\n<body bgcolor=\"#FFFFFF\" text=\"#000000\">\r\n<h1>%s</h1>\r\n";
constexpr char kPeriodTableHead[] =
    "<table width=\"626\" border=\"0\" cellpadding=\"3\" cellspacing=\"1\" bgcolor=\"#000000\">\r\n"
    "<tr bgcolor=\"#CCCCCC\" align=\"right\">\r\n<td width=\"35\" align=\"center\"><b>#</b></td>\r\n"
    "<td width=\"210\" align=\"center\"><b>%s</b></td>\r\n<td width=\"115\"><b>Downloaded</b></td>\r\n"
    "<td width=\"115\"><b>Uploaded</b></td>\r\n<td width=\"115\"><b>Both</b></td></tr>\r\n";
constexpr char kSummaryHtmlBlackLine[] = "<tr bgcolor=\"#000000\"><td colspan=\"6\" height=\"1\"></td></tr>\r\n";

// The note and the title in a box of hyphens two longer than the title.
void AppendTextHead(std::string& out, const char* title) {
  out += kFixedFontNote;
  const std::string box = std::string(std::strlen(title) + 2, '-') + "\r\n";
  out += box;
  Append(out, " %s\r\n", title);
  out += box;
  out += "\r\n";
}

void AppendTextFooter(std::string& out, const char* rule) {
  out += rule;
  Append(out, "\r\n\r\nThe report was generated by %s %s\r\n", kProductName, kHomePageAddress);
}

void AppendCsvFooter(std::string& out) {
  Append(out, "\r\n\r\nThe report was generated by %s %s\r\n", kProductName, kHomePageAddress);
}

void AppendHtmlFooter(std::string& out) {
  Append(out,
         "</table><br><br>\r\n<p><font size=\"2\">The report was generated by <a href=\"%s\">%s</a>.</font></p>\r\n"
         "</body></html>",
         kHomePageAddress, kProductName);
}

// --- Daily -----------------------------------------------------------------

void RenderDaily(const ReportCells& c, RowSource& rows, ReportForm form, std::string& out) {
  const char* title = ReportKindTitle(c.kind);
  const char* first = c.rangeFirst.c_str();
  const char* last = c.rangeLast.c_str();
  switch (form) {
    case ReportForm::Text:
      AppendTextHead(out, title);
      Append(out, "%s [%s --- %s]\r\n\r\n\r\n", c.subjectName.c_str(), first, last);
      out += kDailyRule;
      Append(out, " %-*s%-*s%15s%15s%15s\r\n", 13, "Date", 12, "Day", "Downloaded", "Uploaded", "Both");
      out += kDailyRule;
      AppendRows(out, " %-13s%-12s%15s%15s%15s\r\n", rows);
      AppendTextFooter(out, kDailyRule);
      break;
    case ReportForm::Csv:
      Append(out, "%s\r\n\r\n%s [%s --- %s]\r\n\r\n", title, c.subjectName.c_str(), first, last);
      Append(out, kCsvRow, "Date", "Day", "Downloaded", "Uploaded", "Both");
      AppendRows(out, kCsvRow, rows);
      AppendCsvFooter(out);
      break;
    case ReportForm::Html:
      Append(out, kHtmlHead, title, title);
      Append(out,
             "<h3>%s [%s --- %s]</h3>\r\n"
             "<table width=\"616\" border=\"0\" cellpadding=\"3\" cellspacing=\"1\" bgcolor=\"#000000\">\r\n"
             "<tr bgcolor=\"#CCCCCC\" align=\"right\">\r\n<td width=\"110\" align=\"center\"><b>Date</b></td>\r\n"
             "<td width=\"110\" align=\"center\"><b>Day</b></td>\r\n<td width=\"120\"><b>Downloaded</b></td>\r\n"
             "<td width=\"120\"><b>Uploaded</b></td>\r\n<td width=\"120\"><b>Both</b></td></tr>\r\n",
             HtmlEscape(c.subjectName).c_str(), first, last);
      AppendRows(out,
                 "<tr bgcolor=\"#FFFFFF\" align=\"right\">\r\n<td width=\"110\" align=\"center\">%s</td>\r\n"
                 "<td width=\"110\" align=\"center\">%s</td>\r\n<td width=\"120\">%s</td>\r\n"
                 "<td width=\"120\">%s</td>\r\n<td width=\"120\">%s</td></tr>\r\n",
                 rows);
      AppendHtmlFooter(out);
      break;
  }
}

// --- Weekly and monthly ----------------------------------------------------

void RenderPeriods(const ReportCells& c, RowSource& rows, ReportForm form, std::string& out) {
  const bool weekly = c.kind == ReportKind::Weekly;
  const char* title = ReportKindTitle(c.kind);
  const char* column = weekly ? "Week" : "Month";
  const char* name = c.subjectName.c_str();
  const char* first = c.rangeFirst.c_str();
  const char* last = c.rangeLast.c_str();
  const char* weekStart = DayName(c.weekStartDay);
  switch (form) {
    case ReportForm::Text:
      AppendTextHead(out, title);
      if (weekly)
        Append(out, "Start day of week is: %s\r\n\r\n\r\n", weekStart);
      else
        Append(out, "Start day of month is: %d\r\n\r\n\r\n", c.monthStartDay);
      Append(out, "%s [%s --- %s]\r\n\r\n\r\n", name, first, last);
      out += kPeriodRule;
      Append(out, "  #   %-*s%15s%15s%15s\r\n", 28, column, "Downloaded", "Uploaded", "Both");
      out += kPeriodRule;
      AppendRows(out, " %2s   %-28s%15s%15s%15s\r\n", rows);
      AppendTextFooter(out, kPeriodRule);
      break;
    case ReportForm::Csv:
      if (weekly)
        Append(out, "%s\r\n\r\nStart day of week is: %s\r\n\r\n\r\n%s [%s --- %s]\r\n\r\n", title, weekStart, name,
               first, last);
      else  // two hyphens here, three everywhere else
        Append(out, "%s\r\n\r\nStart day of month is: %d\r\n\r\n\r\n%s [%s -- %s]\r\n\r\n", title, c.monthStartDay,
               name, first, last);
      Append(out, kCsvRow, "#", column, "Downloaded", "Uploaded", "Both");
      AppendRows(out, kCsvRow, rows);
      AppendCsvFooter(out);
      break;
    case ReportForm::Html: {
      Append(out, kHtmlHead, title, title);
      const std::string escaped = HtmlEscape(c.subjectName);
      if (weekly)
        Append(out, "Start day of week is: %s<br><h3>%s [%s --- %s]</h3>\r\n", weekStart, escaped.c_str(), first, last);
      else
        Append(out, "Start day of month is: %d<br><h3>%s [%s --- %s]</h3>\r\n", c.monthStartDay, escaped.c_str(),
               first, last);
      Append(out, kPeriodTableHead, column);
      AppendRows(out,
                 "<tr bgcolor=\"#FFFFFF\" align=\"right\">\r\n<td align=\"center\" width=\"35\">%s</td>\r\n"
                 "<td align=\"center\" width=\"210\">%s</td>\r\n<td width=\"115\">%s</td>\r\n"
                 "<td width=\"115\">%s</td>\r\n<td width=\"115\">%s</td></tr>\r\n",
                 rows);
      AppendHtmlFooter(out);
      break;
    }
  }
}

// --- General summary -------------------------------------------------------

void AppendSummaryHtmlRow(std::string& out, size_t index, const std::vector<std::string>& r) {
  // The rows differ in small ways (the first one's last cell lists its
  // attributes the other way round; Total sits between two black lines).
  const char* lastCell = index == 0 ? "<td height=\"30\" width=\"30\"></td></tr>\r\n"
                                    : "<td width=\"30\" height=\"30\"></td></tr>\r\n";
  if (index == 5) out += kSummaryHtmlBlackLine;
  Append(out,
         "<tr valign=\"middle\" align=\"right\">\r\n<td width=\"30\" height=\"30\"></td>\r\n"
         "<td align=\"left\" width=\"130\" height=\"30\"><b>%s</b></td>\r\n<td height=\"30\" width=\"140\">%s</td>\r\n"
         "<td height=\"30\" width=\"140\">%s</td>\r\n<td height=\"30\" width=\"140\">%s</td>\r\n%s",
         Cell(r, 0), Cell(r, 1), Cell(r, 2), Cell(r, 3), lastCell);
  if (index == 5) out += kSummaryHtmlBlackLine;
}

void RenderSummary(const ReportCells& c, ReportForm form, std::string& out) {
  const char* title = ReportKindTitle(c.kind);
  const char* first = c.rangeFirst.c_str();
  const char* last = c.rangeLast.c_str();
  switch (form) {
    case ReportForm::Text:
      AppendTextHead(out, title);
      Append(out, "%s [%s --- %s]\r\n\r\n\r\n", c.subjectName.c_str(), first, last);
      out += kSummaryRule;
      Append(out, " %-*s%15s%15s%15s\r\n", 16, "", "Downloaded", "Uploaded", "Both");
      out += kSummaryRule;
      for (size_t i = 0; i < c.rows.size(); ++i) {
        if (i == 5) out += kSummaryRule;  // before Total
        const auto& r = c.rows[i];
        AppendRow(out, " %-16s%15s%15s%15s\r\n", TextsOf(r));
      }
      AppendTextFooter(out, kSummaryRule);
      break;
    case ReportForm::Csv:
      Append(out, "%s\r\n\r\n%s [%s --- %s]\r\n\r\n", title, c.subjectName.c_str(), first, last);
      Append(out, "%s,%s,%s,%s\r\n", "", "Downloaded", "Uploaded", "Both");
      for (const auto& r : c.rows) AppendRow(out, "%s,%s,%s,%s\r\n", TextsOf(r));
      AppendCsvFooter(out);
      break;
    case ReportForm::Html:
      Append(out, kHtmlHead, title, title);
      Append(out,
             "<h3>%s [%s --- %s]</h3>\r\n<table width=\"610\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\">\r\n"
             "%s<tr valign=\"middle\" align=\"right\">\r\n<td width=\"30\" height=\"33\"></td>\r\n"
             "<td width=\"130\" height=\"33\"><b></b></td>\r\n<td width=\"140\" height=\"33\"><b>Downloaded</b></td>\r\n"
             "<td width=\"140\" height=\"33\"><b>Uploaded</b></td>\r\n<td width=\"140\" height=\"33\"><b>Both</b></td>\r\n"
             "<td width=\"30\" height=\"33\"></td></tr>\r\n%s",
             HtmlEscape(c.subjectName).c_str(), first, last, kSummaryHtmlBlackLine, kSummaryHtmlBlackLine);
      for (size_t i = 0; i < c.rows.size(); ++i) AppendSummaryHtmlRow(out, i, c.rows[i]);
      AppendHtmlFooter(out);
      break;
  }
}

}  // namespace

bool CouldBeReportStart(std::string_view head) {
  auto begins = [head](std::string_view start) {
    const size_t n = std::min(head.size(), start.size());
    return head.substr(0, n) == start.substr(0, n);
  };
  if (begins(kFixedFontNote)) return true;
  for (const ReportKindNames& k : kReportKinds) {
    if (begins(std::string(k.title) + "\r\n\r\n")) return true;  // CSV
    if (begins(std::string("<html><head><title>") + k.title + "</title>")) return true;
  }
  return false;
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch; break;
    }
  }
  return out;
}

std::string SelectionLine(const RowReport& report, const std::vector<size_t>& selected) {
  if (selected.empty()) return "Selected: 0";
  Traffic sum;
  for (size_t i : selected)
    if (i < report.rows.size()) sum.Add(report.rows[i].traffic);
  std::string line;
  Append(line, "Selected: %d   Down: %s   Up: %s   Both: %s", int(selected.size()), Amount(sum.download).c_str(),
         Amount(sum.upload).c_str(), Amount(sum.Both()).c_str());
  return line;
}

namespace {

// Everything but the rows of a daily, weekly or monthly report; the
// summary's six rows included.
ReportCells MakeReportHead(const ReportData& data, const std::string& subjectName, const ReportParams& params) {
  ReportCells c;
  c.kind = data.kind;
  c.subjectName = subjectName;
  const ReportParams normal = params.Normalized();
  c.weekStartDay = normal.weekStartDay;
  c.monthStartDay = normal.monthStartDay;
  const uint32_t fmt = params.dateFormat;

  if (data.kind == ReportKind::Summary) {
    const SummaryReport& s = data.summary;
    c.rangeFirst = FormatDate(fmt, s.range.first);
    c.rangeLast = FormatDate(fmt, s.range.last);
    const struct {
      const char* label;
      Traffic shown;
    } figures[] = {{"Today:", s.live},
                   {"This Week:", s.Shown(s.week)},
                   {"This Month:", s.Shown(s.month)},
                   {"This Year:", s.Shown(s.year)},
                   {nullptr, s.Shown(s.lastDays)},
                   {"Total:", s.Shown(s.total)}};
    for (const auto& f : figures) {
      std::vector<std::string> row;
      if (f.label) {
        row.push_back(f.label);
        AppendAmounts(row, f.shown);
      } else {
        std::string label;
        Append(label, "Last %d Days:", s.lastDaysCount);
        row.push_back(label);
        if (s.LastDaysShown()) AppendAmounts(row, f.shown);
        else row.insert(row.end(), 3, std::string());
      }
      c.rows.push_back(std::move(row));
    }
    return c;
  }
  c.rangeFirst = FormatDate(fmt, data.rows.range.first);
  c.rangeLast = FormatDate(fmt, data.rows.range.last);
  return c;
}

void Render(const ReportCells& cells, RowSource& rows, ReportForm form, std::string& out) {
  out.reserve(out.size() + 1024 + rows.Count() * 256);
  switch (cells.kind) {
    case ReportKind::Daily: RenderDaily(cells, rows, form, out); break;
    case ReportKind::Weekly:
    case ReportKind::Monthly: RenderPeriods(cells, rows, form, out); break;
    case ReportKind::Summary: RenderSummary(cells, form, out); break;
  }
}

}  // namespace

ReportCells MakeReportCells(const ReportData& data, const std::string& subjectName, const ReportParams& params) {
  ReportCells c = MakeReportHead(data, subjectName, params);
  if (data.kind == ReportKind::Summary) return c;
  FormattedRows rows(data, params);
  c.rows.reserve(rows.Count());
  for (size_t i = 0; i < rows.Count(); ++i) {
    const RowTexts t = rows.Row(i);
    c.rows.emplace_back(t.cells, t.cells + t.count);
  }
  return c;
}

std::string RenderReport(const ReportCells& cells, ReportForm form) {
  StoredRows rows(cells.rows);
  std::string out;
  Render(cells, rows, form, out);
  return out;
}

void AppendReport(const ReportData& data, const std::string& subjectName, const ReportParams& params, ReportForm form,
                  std::string& out) {
  FormattedRows rows(data, params);
  Render(MakeReportHead(data, subjectName, params), rows, form, out);
}

}  // namespace qm
