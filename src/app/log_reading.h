// Reading the tosser log into a run's area and link sets and line counts. A long log can
// be read in chunks by several threads at once, each thread tallying its chunks into sets
// of its own that are added up once, in the file order of the chunks where each record
// was first met: the sets and counts come out exactly as reading the log line by line
// makes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "platform/read_only_file.h"
#include "platform/text_file.h"
#include "stats/area_parser.h"
#include "stats/area_set.h"
#include "stats/link_parser.h"
#include "stats/link_set.h"
#include "stats/period.h"
#include "stats/time_figures.h"

namespace kestrum {

// A log read takes at most LOG_LINE_SIZE - 1 characters; a longer line is read in pieces.
inline constexpr std::size_t LOG_LINE_SIZE = 250;

// Counters of log lines; like every counter of the tosser's figures they wrap modulo 2^32.
struct LineCounts {
  std::uint32_t read = 0;
  std::uint32_t in_period = 0;
  std::uint32_t area_lines = 0;
  std::uint32_t link_lines = 0;

  LineCounts& operator+=(const LineCounts& other);
};

// What became of a log line.
enum class LineUse { kOutsidePeriod, kArea, kLink, kOther };

// Where a line's figures go: the period filters, the sets and counts take the figures,
// and the day and hour figures, when a report shows them, the shown areas' figures.
struct LogTally {
  const ReportPeriod& period;
  AreaSet& areas;
  LinkSet& links;
  LineCounts& counts;
  TimeFigures* times;  // nullptr when no report shows days or hours

  // Takes one line (a piece of at most LOG_LINE_SIZE - 1 characters) as read: counts it,
  // and parses it when its stamp lies inside the period, adding an area line's figures
  // to its day and hour when kTimed (times must then be set). A NUL ends the line for
  // anything but the reading, so a line holding one is cut there; *text is set to what
  // the area and link parsers were given. Inline, with the parsers' first tests: it runs
  // for every line of the log, and most lines go no further than those tests.
  template <bool kTimed>
  [[gnu::always_inline]] LineUse Take(std::string_view& line, bool has_nul, std::string_view* text) {
    if (has_nul) line = line.substr(0, line.find('\0'));
    ++counts.read;
    if (!period.Contains(line)) return LineUse::kOutsidePeriod;
    ++counts.in_period;
    *text = LineText(line);
    AreaLine area_line;
    if constexpr (kTimed) times->Stamp(period.last_stamp_local());
    if (ParseAreaLine(areas, *text, kTimed ? &area_line : nullptr)) {
      ++counts.area_lines;
      if constexpr (kTimed) times->Add(area_line.area->flags, area_line.figures);
      return LineUse::kArea;
    }
    if (ParseLinkLine(links, *text)) {
      ++counts.link_lines;
      return LineUse::kLink;
    }
    return LineUse::kOther;
  }

  // Calls read(take) with take(line, has_nul, text) the Take for this tally, with or
  // without day and hour figures: a reading loop of its own for each, in which it stays
  // inline.
  template <typename Read>
  auto WithTake(Read&& read) {
    if (times != nullptr) {
      return read([this](std::string_view& line, bool has_nul, std::string_view* text) {
        return Take<true>(line, has_nul, text);
      });
    }
    return read([this](std::string_view& line, bool has_nul, std::string_view* text) {
      return Take<false>(line, has_nul, text);
    });
  }

  // Where a log line's text begins after its time stamp: offset 20, or 25 when the
  // characters at 20 and 23 are the brackets of a "[xx]" tag. A line too short for its
  // offset has an empty text.
  static std::string_view LineText(std::string_view line) {
    std::size_t offset = 20;
    if (line.size() > 23 && line[20] == '[' && line[23] == ']') offset = 25;
    return offset < line.size() ? line.substr(offset) : std::string_view();
  }
};

// Reads the open reader to its end on this thread, calling on_line(use, line, text) for
// every line inside the period (line cut at a NUL). False when reading failed.
template <typename OnLine>
bool ReadLogAlone(TextReader& log, LogTally& tally, OnLine&& on_line) {
  std::string_view text;
  tally.WithTake([&](auto take) {
    return log.ReadLinesUntil(LOG_LINE_SIZE - 1, std::numeric_limits<std::uint64_t>::max(),
                              [&](std::string_view line, bool has_nul) {
                                const LineUse use = take(line, has_nul, &text);
                                if (use != LineUse::kOutsidePeriod) on_line(use, line, text);
                              });
  });
  if (tally.times != nullptr) tally.times->Flush();
  return !log.Failed();
}

// How reading a log in chunks ended.
struct ChunkedReading {
  enum Outcome {
    kComplete,  // every line has been tallied
    kFailed,    // the log could not be read
    kGoOnAlone  // nothing tallied; read the whole log alone, from its start
  };
  Outcome outcome = kComplete;
  std::uint64_t end = 0;  // where reading stopped, when complete
};

// Reads the open log, `size` bytes long when reading starts, in chunks of about
// chunk_size bytes on `threads` threads (this one among them), every thread reading
// through that one open file by offset, and adds up the figures. Chunks begin after a
// newline, so the pieces of a long line and the text-mode reading are the same as
// reading the whole log at once. Should the byte totals reach what a double holds
// exactly, adding up the threads' totals could round otherwise than adding line by line;
// should the log end inside a chunk (a 0x1A byte) with later chunks already read: then
// nothing is added and the answer is to read the whole log alone.
ChunkedReading ReadLogInChunks(const ReadOnlyFile& log, std::uint64_t size, std::uint64_t chunk_size, unsigned threads,
                               LogTally& tally);

// Takes out of the day and hour figures what was added for the shown areas that the area
// reports list nowhere for want of messages, although their lines brought bytes: which
// areas those are is known only once the whole log has been read. A tosser writes no
// bytes without messages, so such areas are rare, and only for them is the log read once
// more, up to `end`, where the first reading stopped. False when that reading failed.
bool TakeOutUnlistedAreas(const ReadOnlyFile& log, std::uint64_t end, LogTally& tally);

}  // namespace kestrum
