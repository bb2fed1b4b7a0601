#include "app/log_reading.h"

#include <algorithm>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "stats/area_parser.h"
#include "stats/link_parser.h"

namespace kestrum {

namespace {

// Where a log line's text begins after its time stamp: offset 20, or 25 when the
// characters at 20 and 23 are the brackets of a "[xx]" tag. A line too short for its
// offset has an empty text.
std::string_view LineText(std::string_view line) {
  std::size_t offset = 20;
  if (line.size() > 23 && line[20] == '[' && line[23] == ']') offset = 25;
  return offset < line.size() ? line.substr(offset) : std::string_view();
}

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

// The figures of one chunk of the log, tallied apart.
struct Chunk {
  std::uint64_t start = 0;   // where its first line begins
  bool reached_end = false;  // the log ended inside it
  bool failed = false;
  LineCounts counts;
  AreaSet areas;
  LinkSet links;
};

// One thread's reading of chunks through the one open log, with a read buffer and a
// period of its own (the period remembers the last stamp it read).
class ChunkReader {
 public:
  ChunkReader(const ReadOnlyFile& log, const ReportPeriod& period) : period_(period) { log_.Open(log); }

  // Reads the chunk whose lines begin in [from, limit): those starting after the first
  // newline at or after from - 1 (at 0 for the first chunk), up to the first line to
  // start at or after limit.
  void Read(bool first, std::uint64_t from, std::uint64_t limit, Chunk* chunk) {
    if (!log_.Seek(first ? 0 : from - 1)) {
      chunk->failed = true;
      return;
    }
    std::string_view line;
    if (!first) {
      // The line under way here, or what is left of it, belongs to the chunk before.
      do {
        if (!log_.ReadLine(LOG_LINE_SIZE - 1, &line)) {
          chunk->start = log_.position();
          chunk->reached_end = true;
          chunk->failed = log_.Failed();
          return;
        }
      } while (line.back() != '\n');
    }
    chunk->start = log_.position();
    LogTally tally{period_, chunk->areas, chunk->links, chunk->counts};
    std::string_view text;
    chunk->reached_end = !log_.ReadLinesUntil(
        LOG_LINE_SIZE - 1, limit, [&](std::string_view piece, bool has_nul) { tally.Take(piece, has_nul, &text); });
    chunk->failed = log_.Failed();
  }

 private:
  ReportPeriod period_;
  TextReader log_;
};

// Adds a chunk's figures to the tally, in file order; answers true when reading ends
// with it: the log ended inside it, it failed (result says so), or its byte totals would
// round (result says where reading alone goes on).
bool AddUpChunk(const Chunk& chunk, LogTally& tally, double* total, ChunkedReading* result) {
  if (chunk.failed) {
    result->outcome = ChunkedReading::kFailed;
    return true;
  }
  const double chunk_total = ByteTotal(chunk.areas, chunk.links);
  if (!(*total + chunk_total < kExactDoubleLimit)) {
    *result = ChunkedReading{ChunkedReading::kGoOnAlone, chunk.start};
    return true;
  }
  *total += chunk_total;
  tally.areas.AccumulateSet(chunk.areas);
  tally.links.AccumulateSet(chunk.links);
  tally.counts += chunk.counts;
  return chunk.reached_end;
}

}  // namespace

LineCounts& LineCounts::operator+=(const LineCounts& other) {
  read += other.read;
  in_period += other.in_period;
  area_lines += other.area_lines;
  link_lines += other.link_lines;
  return *this;
}

LineUse LogTally::TakeInside(std::string_view line, std::string_view* text) {
  ++counts.in_period;
  *text = LineText(line);
  if (ParseAreaLine(areas, *text)) {
    ++counts.area_lines;
    return LineUse::kArea;
  }
  if (ParseLinkLine(links, *text)) {
    ++counts.link_lines;
    return LineUse::kLink;
  }
  return LineUse::kOther;
}

ChunkedReading ReadLogInChunks(const ReadOnlyFile& log, std::uint64_t size, std::uint64_t chunk_size, unsigned threads,
                               LogTally& tally) {
  chunk_size = std::max<std::uint64_t>(chunk_size, 1);
  threads = std::max(threads, 1U);
  const std::uint64_t chunk_count = std::max<std::uint64_t>(1, size / chunk_size + (size % chunk_size != 0));
  // Chunks are read at most this far ahead of the one to be added up next, which bounds
  // the memory their figures take.
  const std::uint64_t ahead = 2 * std::uint64_t{threads};

  std::mutex mutex;
  std::condition_variable changed;
  std::uint64_t next = 0;   // the next chunk to read
  std::uint64_t added = 0;  // chunks added up so far
  bool stop = false;
  std::vector<std::unique_ptr<Chunk>> done(ahead);  // chunk i at i % ahead

  const auto read_chunk = [&](ChunkReader& reader, std::uint64_t i) {
    auto chunk = std::make_unique<Chunk>();
    const bool last = i + 1 == chunk_count;
    reader.Read(i == 0, i * chunk_size, last ? std::numeric_limits<std::uint64_t>::max() : (i + 1) * chunk_size,
                chunk.get());
    return chunk;
  };

  // Helpers only read; this thread reads too, and adds up the chunks in order.
  const auto help = [&] {
    ChunkReader reader(log, tally.period);
    std::unique_lock lock(mutex);
    while (true) {
      changed.wait(lock, [&] { return stop || next >= chunk_count || next < added + ahead; });
      if (stop || next >= chunk_count) return;
      const std::uint64_t i = next++;
      lock.unlock();
      std::unique_ptr<Chunk> chunk = read_chunk(reader, i);
      lock.lock();
      done[i % ahead] = std::move(chunk);
      changed.notify_all();
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(help);
    } catch (const std::system_error&) {
      break;  // fewer threads read; the result is the same
    }
  }

  ChunkReader reader(log, tally.period);
  double total = ByteTotal(tally.areas, tally.links);
  ChunkedReading result;
  std::unique_lock lock(mutex);
  while (added < chunk_count) {
    changed.wait(lock, [&] { return done[added % ahead] != nullptr || (next < chunk_count && next < added + ahead); });
    if (std::unique_ptr<Chunk> chunk = std::move(done[added % ahead])) {
      lock.unlock();
      const bool finished = AddUpChunk(*chunk, tally, &total, &result);
      lock.lock();
      ++added;
      if (finished) stop = true;
      changed.notify_all();
      if (stop) break;
      continue;
    }
    const std::uint64_t i = next++;
    lock.unlock();
    std::unique_ptr<Chunk> chunk = read_chunk(reader, i);
    lock.lock();
    done[i % ahead] = std::move(chunk);
  }
  stop = true;
  changed.notify_all();
  lock.unlock();
  for (std::thread& helper : helpers) helper.join();
  return result;
}

}  // namespace kestrum
