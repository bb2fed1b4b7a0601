#include "app/log_reading.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace kestrum {

namespace {

// Byte totals are doubles. Below 2^53 a double holds every whole number exactly, so whole
// numbers add up to the same total in any grouping; beyond it, additions round.
constexpr double kExactDoubleLimit = 9007199254740992.0;

// Every byte total of the sets added together.
double ByteTotal(const AreaSet& areas, const LinkSet& links) {
  double total = 0;
  for (const AreaRecord& area : areas) total += area.imported_bytes;
  for (const LinkRecord& link : links) total += link.bytes_received + link.bytes_sent;
  return total;
}

// What one thread read: the figures of every chunk it took, tallied into sets that live
// for the whole reading (records in the order the thread first met them), and for each
// of its chunks, in file order, how many records its sets held when the chunk began.
struct ThreadPart {
  struct ChunkMark {
    std::uint64_t chunk = 0;
    std::size_t areas_before = 0;
    std::size_t links_before = 0;
  };
  AreaSet areas;
  LinkSet links;
  LineCounts counts;
  std::optional<TimeFigures> times;  // when the run keeps them
  std::vector<ChunkMark> chunks;
  bool failed = false;
  // The first of its chunks inside which the log ended (a 0x1A byte, or the file
  // shorter than its size), and whether a later chunk of it took any line.
  std::uint64_t ended_in = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t last_chunk_with_lines = 0;  // 0 also when none took a line
  std::uint64_t end = 0;                    // where the log's last chunk ended, if read here
};

// One thread's reading of chunks through the one open log, with a read buffer and a
// period of its own (the period remembers the last stamp it read).
class ChunkReader {
 public:
  ChunkReader(const ReadOnlyFile& log, const ReportPeriod& period, ThreadPart* part) : period_(period), part_(part) {
    log_.Open(log);
  }

  // Reads chunk i, whose lines begin in [from, limit): those starting after the first
  // newline at or after from - 1 (at 0 for the first chunk), up to the first line to
  // start at or after limit.
  void Read(std::uint64_t i, std::uint64_t from, std::uint64_t limit) {
    ThreadPart& part = *part_;
    part.chunks.push_back({i, part.areas.count(), part.links.count()});
    const std::uint32_t read_before = part.counts.read;
    if (!log_.Seek(i == 0 ? 0 : from - 1)) {
      part.failed = true;
      return;
    }
    bool ended = false;
    if (i != 0) {
      // The line under way here, or what is left of it, belongs to the chunk before.
      std::string_view line;
      do {
        if (!log_.ReadLine(LOG_LINE_SIZE - 1, &line)) {
          ended = true;
          break;
        }
      } while (line.back() != '\n');
    }
    if (!ended) {
      LogTally tally{period_, part.areas, part.links, part.counts, part.times ? &*part.times : nullptr};
      std::string_view text;
      ended = !tally.WithTake([&](auto take) {
        return log_.ReadLinesUntil(LOG_LINE_SIZE - 1, limit,
                                   [&](std::string_view piece, bool has_nul) { take(piece, has_nul, &text); });
      });
      if (part.times) part.times->Flush();
    }
    if (log_.Failed()) part.failed = true;
    if (limit == std::numeric_limits<std::uint64_t>::max()) part.end = log_.position();
    if (part.counts.read != read_before) part.last_chunk_with_lines = i;
    if (ended) part.ended_in = std::min(part.ended_in, i);
  }

 private:
  ReportPeriod period_;
  TextReader log_;
  ThreadPart* part_;
};

// Adds the threads' figures to the tally: record by record in the order of the chunks in
// which each thread first met them, so that every record is created where the log first
// names it and the sets come out as a line-by-line reading makes them.
void AddUpParts(const std::vector<std::unique_ptr<ThreadPart>>& parts, LogTally& tally) {
  struct Span {
    std::uint64_t chunk;
    const ThreadPart* part;
    std::size_t areas_from, areas_to, links_from, links_to;
  };
  std::vector<Span> spans;
  for (const auto& part : parts) {
    for (std::size_t k = 0; k < part->chunks.size(); ++k) {
      const ThreadPart::ChunkMark& mark = part->chunks[k];
      const bool last = k + 1 == part->chunks.size();
      spans.push_back({mark.chunk, part.get(), mark.areas_before,
                       last ? part->areas.count() : part->chunks[k + 1].areas_before, mark.links_before,
                       last ? part->links.count() : part->chunks[k + 1].links_before});
    }
    tally.counts += part->counts;
    if (tally.times != nullptr && part->times) *tally.times += *part->times;
  }
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.chunk < b.chunk; });
  for (const Span& span : spans) {
    tally.areas.AccumulateSet(span.part->areas, span.areas_from, span.areas_to);
    tally.links.AccumulateSet(span.part->links, span.links_from, span.links_to);
  }
}

}  // namespace

LineCounts& LineCounts::operator+=(const LineCounts& other) {
  read += other.read;
  in_period += other.in_period;
  area_lines += other.area_lines;
  link_lines += other.link_lines;
  return *this;
}

ChunkedReading ReadLogInChunks(const ReadOnlyFile& log, std::uint64_t size, std::uint64_t chunk_size, unsigned threads,
                               LogTally& tally) {
  chunk_size = std::max<std::uint64_t>(chunk_size, 1);
  threads = std::max(threads, 1U);
  const std::uint64_t chunk_count = std::max<std::uint64_t>(1, size / chunk_size + (size % chunk_size != 0));

  // Every thread, this one among them, takes the next chunk not yet taken; so each one's
  // chunks come to it in file order.
  std::atomic<std::uint64_t> next{0};
  const auto read_chunks = [&](ThreadPart* part) {
    ChunkReader reader(log, tally.period, part);
    for (std::uint64_t i = next++; i < chunk_count; i = next++) {
      const bool last = i + 1 == chunk_count;
      reader.Read(i, i * chunk_size, last ? std::numeric_limits<std::uint64_t>::max() : (i + 1) * chunk_size);
      if (part->failed) {
        next = chunk_count;
        return;
      }
    }
  };
  std::vector<std::unique_ptr<ThreadPart>> parts;
  const auto new_part = [&] {
    auto part = std::make_unique<ThreadPart>();
    // Whether the day and hour figures count an area is told by its flags: the run's.
    if (tally.times != nullptr) {
      part->times.emplace(tally.times->EmptyCopy());
      part->areas.TakeFlagsFrom(tally.areas);
    }
    return part;
  };
  parts.push_back(new_part());
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      parts.push_back(new_part());
      helpers.emplace_back(read_chunks, parts.back().get());
    } catch (const std::system_error&) {
      parts.pop_back();
      break;  // fewer threads read; the result is the same
    }
  }
  read_chunks(parts.front().get());
  for (std::thread& helper : helpers) helper.join();

  std::uint64_t ended_in = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t end = 0;
  double total = ByteTotal(tally.areas, tally.links);
  for (const auto& part : parts) {
    if (part->failed) return ChunkedReading{ChunkedReading::kFailed};
    ended_in = std::min(ended_in, part->ended_in);
    end = std::max(end, part->end);
    total += ByteTotal(part->areas, part->links);
  }
  // A chunk after the one in which the log ended must have taken nothing: a 0x1A byte
  // seen by one thread ends the log for all. And only below 2^53 do the threads' totals
  // add up to what adding line by line gives. Otherwise the log is read alone from its
  // start, the tally untouched.
  bool read_past_end = false;
  for (const auto& part : parts) read_past_end = read_past_end || part->last_chunk_with_lines > ended_in;
  if (read_past_end || !(total < kExactDoubleLimit)) return ChunkedReading{ChunkedReading::kGoOnAlone};
  AddUpParts(parts, tally);
  return ChunkedReading{ChunkedReading::kComplete, end};
}

bool TakeOutUnlistedAreas(const ReadOnlyFile& log, std::uint64_t end, LogTally& tally) {
  if (tally.times == nullptr) return true;
  // The areas to take out are those shown without messages whose lines brought bytes.
  // The log is read again into sets in which they alone are counted: every other area
  // of the run is there flagged ignored, and any area new to this reading is unknown.
  const std::uint32_t shown_mask = tally.times->hidden_flags();
  AreaSet again;
  bool any = false;
  for (const AreaRecord& area : tally.areas) {
    const bool listed = area.imported != 0 || area.exported != 0 || area.dupes != 0;
    const bool unlisted = (area.flags & shown_mask) == 0 && !listed && area.imported_bytes != 0.0;
    again.Add(area.name).flags = unlisted ? 0U : static_cast<std::uint32_t>(AREA_IGNORED);
    any = any || unlisted;
  }
  if (!any) return true;

  ReportPeriod period = tally.period;
  TimeFigures unlisted(tally.times->EmptyCopy(AREA_IGNORED | AREA_UNKNOWN));
  LinkSet links;
  LineCounts counts;
  LogTally again_tally{period, again, links, counts, &unlisted};
  TextReader reader;
  reader.Open(log);
  std::string_view text;
  reader.ReadLinesUntil(LOG_LINE_SIZE - 1, end,
                        [&](std::string_view line, bool has_nul) { again_tally.Take<true>(line, has_nul, &text); });
  if (reader.Failed()) return false;
  unlisted.Flush();
  *tally.times -= unlisted;
  return true;
}

}  // namespace kestrum
