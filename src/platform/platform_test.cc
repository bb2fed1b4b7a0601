// Tests of the platform layer: CP866 literals, checked formatting, text-mode files, files
// replaced whole and their locks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/cp866.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/format.h"
#include "platform/text_file.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

using TextFileTest = testing_support::TempFolderTest;

TEST(Cp866Test, LiteralsBecomeCp866Bytes) {
  EXPECT_EQ("по"_cp866, "\xAF\xAE");
  EXPECT_EQ("Ёё"_cp866, "\xF0\xF1");
  EXPECT_EQ("АЯапря"_cp866, "\x80\x9F\xA0\xAF\xE0\xEF");
  EXPECT_EQ("╔═╦╗║╠╬╣╚╩╝▄"_cp866, "\xC9\xCD\xCB\xBB\xBA\xCC\xCE\xB9\xC8\xCA\xBC\xDC");
  EXPECT_EQ("c %2i"_cp866, "c %2i");
  // The stored bytes are NUL-terminated, so a literal can serve as a C text.
  EXPECT_EQ("Отчётный"_cp866.data()[8], '\0');
}

TEST(Cp866Test, RunTimeConversionRoundTrips) {
  const std::string utf8 = "Живые эхи: ║▄ ok";
  EXPECT_EQ(Utf8ToCp866(utf8), "Живые эхи: ║▄ ok"_cp866);
  EXPECT_EQ(Cp866ToUtf8(Utf8ToCp866(utf8)), utf8);
  EXPECT_EQ(Utf8ToCp866("€"), "?");
  EXPECT_EQ(Utf8ToCp866("\xD0"), "?");  // a sequence cut short
}

TEST(Cp866Test, EveryByteHasOneCodePointBothWays) {
  for (int byte = 0; byte < 256; ++byte) {
    const char32_t cp = Cp866CodePoint(static_cast<unsigned char>(byte));
    EXPECT_EQ(Cp866FromCodePoint(cp), byte) << byte;
  }
  // The upper half, whole.
  std::string upper;
  for (int byte = 0x80; byte < 0x100; ++byte) upper.push_back(static_cast<char>(byte));
  EXPECT_EQ(Cp866ToUtf8(upper),
            "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
            "рстуфхцчшщъыьэюяЁёЄєЇїЎў°∙·√№¤■\u00A0");
}

TEST(FormatTest, FollowsPrintfForTheProgramsConversions) {
  EXPECT_EQ(Format("c %2i:%02i:00 %2i/%02i/%02i", 0, 0, 4, 7, 2), "c  0:00:00  4/07/02");
  EXPECT_EQ(Format("%c\n%s\n%lu\n%.1f\n", 'P', "Net.News", 5u, 55.55555), "P\nNet.News\n5\n55.6\n");
  EXPECT_EQ(Format("100%c", '%'), "100%");
  EXPECT_EQ(Format("[%-5s|%5s|%s]", "ab", "cd", std::string("ef")), "[ab   |   cd|ef]");
  EXPECT_EQ(Format("%.1fk", 1234.0 / 1024), "1.2k");
  EXPECT_EQ(Format("%lu", 4294967295u), "4294967295");
  EXPECT_EQ(Format("%%"), "%");
}

// Numbers are written without the C library where that is quicker; they must come out
// as printf writes them, halfway cases, signs, padding and the edges of that path included.
TEST(FormatTest, NumbersComeOutAsPrintfWritesThem) {
  const auto printed = [](const char* format, auto value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return std::string(buffer);
  };
  std::mt19937_64 random(20261210);
  std::vector<double> doubles = {0.0,       -0.0,       0.05,      0.25,
                                 0.35,      0.45,       2.5,       -2.5,
                                 0.125,     1e19,       -1e19,     99999999999999999999.0,
                                 1e20,      -1e20,      1e300,     5e-324,
                                 1.0 / 0.0, -1.0 / 0.0, 0.0 / 0.0, 4294967295.0 / 1024};
  for (int i = 0; i < 3000; ++i) {
    doubles.push_back(static_cast<double>(random() % 100000000) / 1024);      // kilobytes
    doubles.push_back(static_cast<double>(random() % 2000001) / 20 - 50000);  // halfway cases
    doubles.push_back(std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 140) - 80));
  }
  for (const double value : doubles) {
    for (const char* format : {"%.1f", "%.0f", "%.2f", "%.20f", "%f", "%8.1f|", "%-8.1f|", "%+.1f", "%08.1f"}) {
      ASSERT_EQ(Format(format, value), printed(format, value)) << format << " " << value;
    }
  }
  for (int i = 0; i < 3000; ++i) {
    const unsigned long long u = i < 20 ? ~0ULL - static_cast<unsigned long long>(i) : random() >> (random() % 64);
    const long long d = static_cast<long long>(u);
    ASSERT_EQ(Format("%lu|%5lu|%-5lu|%.3lu", u, u, u, u),
              printed("%llu|", u) + printed("%5llu|", u) + printed("%-5llu|", u) + printed("%.3llu", u));
    ASSERT_EQ(Format("%d|%i|%7i|%-7d|%+d|%05d", d, d, d, d, d, d), printed("%lld|", d) + printed("%lli|", d) +
                                                                       printed("%7lli|", d) + printed("%-7lld|", d) +
                                                                       printed("%+lld|", d) + printed("%05lld", d));
  }
}

TEST(FormatTest, NullTextsAndMissingArgumentsAreSafe) {
  const char* none = nullptr;
  EXPECT_EQ(Format("Parsing %s... ", none), "Parsing (null)... ");
  EXPECT_EQ(Format("%s and %i"), " and ");
  EXPECT_EQ(Format("%i", "text"), "0");
  EXPECT_EQ(Format("%.1f", 1e300).size(), 303u);
}

TEST_F(TextFileTest, ReaderDropsCarriageReturnsAndStopsAtEndOfFileMark) {
  WriteBytes(dir_ / "in.txt", std::string("one\r\ntw\ro\r\n\r\nlast\x1Ahidden\n", 24));
  TextReader reader;
  ASSERT_TRUE(reader.Open((dir_ / "in.txt").string()));
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.ReadLine(1023, &line)) lines.emplace_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one\n", "two\n", "\n", "last"}));
  EXPECT_FALSE(reader.Failed());
}

TEST_F(TextFileTest, ReaderCutsLongLinesIntoPiecesOfTheLimit) {
  // 600 characters and a newline: pieces of 249, 249 and 102 (the last with the newline).
  const std::string text = std::string(600, 'x') + "\n" + std::string(249, 'y') + "\n";
  WriteBytes(dir_ / "in.txt", text);
  TextReader reader;
  ASSERT_TRUE(reader.Open((dir_ / "in.txt").string()));
  std::vector<std::size_t> sizes;
  std::string_view line;
  while (reader.ReadLine(249, &line)) sizes.push_back(line.size());
  // A line of exactly the limit leaves its newline for the next read.
  EXPECT_EQ(sizes, (std::vector<std::size_t>{249, 249, 103, 249, 1}));
}

TEST_F(TextFileTest, ReaderCountsCharactersAfterCarriageReturnsAreDropped) {
  WriteBytes(dir_ / "in.txt", "ab\r\r\rcd\r\nef");
  TextReader reader;
  ASSERT_TRUE(reader.Open((dir_ / "in.txt").string()));
  std::string_view line;
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "abcd");
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "\n");
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "ef");
  EXPECT_FALSE(reader.ReadLine(4, &line));
}

TEST_F(TextFileTest, ReaderKeepsLinesWholeAcrossItsBlocks) {
  // Lines of varying length with CR LF ends over several read blocks.
  std::string text;
  std::vector<std::string> expected;
  for (int i = 0; i < 40000; ++i) {
    std::string body(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
    text += body + "\r\n";
    expected.push_back(body + "\n");
  }
  WriteBytes(dir_ / "in.txt", text);
  TextReader reader;
  ASSERT_TRUE(reader.Open((dir_ / "in.txt").string()));
  std::string_view line;
  std::size_t index = 0;
  while (reader.ReadLine(249, &line)) {
    ASSERT_LT(index, expected.size());
    ASSERT_EQ(line, expected[index]) << "line " << index;
    ++index;
  }
  EXPECT_EQ(index, expected.size());
}

// The text-mode reading by its definition: everything from the first 0x1A on is gone,
// every CR is dropped, and the rest is cut after each newline and into pieces of at most
// max_chars characters.
std::vector<std::string> PlainLines(std::string text, std::size_t max_chars) {
  text = text.substr(0, text.find('\x1A'));
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  std::vector<std::string> lines;
  std::string line;
  for (const char c : text) {
    line += c;
    if (c == '\n' || line.size() == max_chars) lines.push_back(std::exchange(line, std::string()));
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST_F(TextFileTest, QuickReadingAgreesWithThePlainDefinitionOnRandomText) {
  // Usual lines with CR LF and LF ends among lines holding tabs, other control bytes,
  // stray CRs and NULs, long lines, and now and then an end-of-file mark; over several
  // read blocks, so that lines cross the blocks' ends. Both ways of reading must cut the
  // same lines, and say which hold a NUL.
  std::mt19937 random(1223);
  constexpr std::string_view kOdd("\t\x0B\x0C\x01\r\x00\x0E\x1F", 8);
  for (int round = 0; round < 6; ++round) {
    std::string text;
    const std::size_t size = (round % 3 == 2 ? 3 : 1) * TextReader::kBlockSize + TextReader::kBlockSize / 2;
    while (text.size() < size) {
      std::string line(random() % 90, 'x');
      for (char& c : line) c = static_cast<char>('a' + random() % 26);
      if (random() % 4 == 0 && !line.empty()) line[random() % line.size()] = kOdd[random() % kOdd.size()];
      if (random() % 50 == 0) line += std::string(300 + random() % 300, 'L');
      text += line + (random() % 3 == 0 ? "\n" : "\r\n");
    }
    if (round % 2 == 1) text[text.size() / 2 + random() % 1000] = '\x1A';
    WriteBytes(dir_ / "in.txt", text);
    for (const std::size_t max_chars : {std::size_t{249}, std::size_t{1023}}) {
      const std::vector<std::string> expected = PlainLines(text, max_chars);
      TextReader reader;
      ASSERT_TRUE(reader.Open((dir_ / "in.txt").string()));
      std::vector<std::string> quick;
      bool nul_flags_right = true;
      reader.ReadLinesUntil(max_chars, std::numeric_limits<std::uint64_t>::max(),
                            [&](std::string_view line, bool has_nul) {
                              quick.emplace_back(line);
                              nul_flags_right = nul_flags_right && has_nul == (line.find('\0') != line.npos);
                            });
      EXPECT_FALSE(reader.Failed());
      EXPECT_TRUE(nul_flags_right) << "round " << round;
      ASSERT_EQ(quick.size(), expected.size()) << "round " << round << ", limit " << max_chars;
      for (std::size_t i = 0; i < quick.size(); ++i) {
        ASSERT_EQ(quick[i], expected[i]) << "round " << round << ", limit " << max_chars << ", line " << i;
      }

      // Stopping at a byte of the file and going on from there reads the same lines, and
      // so does reading them one by one.
      TextReader halves;
      ASSERT_TRUE(halves.Open((dir_ / "in.txt").string()));
      std::vector<std::string> parts;
      const auto collect = [&](std::string_view line, bool) { parts.emplace_back(line); };
      halves.ReadLinesUntil(max_chars, random() % text.size(), collect);
      halves.ReadLinesUntil(max_chars, std::numeric_limits<std::uint64_t>::max(), collect);
      EXPECT_EQ(parts, expected) << "round " << round << ", limit " << max_chars;
      TextReader single;
      ASSERT_TRUE(single.Open((dir_ / "in.txt").string()));
      std::vector<std::string> one_by_one;
      std::string_view line;
      while (single.ReadLine(max_chars, &line)) one_by_one.emplace_back(line);
      EXPECT_EQ(one_by_one, expected) << "round " << round << ", limit " << max_chars;
    }
  }
}

TEST_F(TextFileTest, ReadersSharingOneOpenFileEachReadTheirOwnPart) {
  WriteBytes(dir_ / "in.txt", "one\r\ntwo\r\nthree\r\n");
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open((dir_ / "in.txt").string()));
  std::uint64_t size = 0;
  ASSERT_TRUE(file.Size(&size));
  EXPECT_EQ(size, 17u);
  TextReader first;
  TextReader second;
  first.Open(file);
  second.Open(file);
  ASSERT_TRUE(second.Seek(5));
  std::string_view line;
  ASSERT_TRUE(second.ReadLine(249, &line));
  EXPECT_EQ(line, "two\n");
  ASSERT_TRUE(first.ReadLine(249, &line));
  EXPECT_EQ(line, "one\n");
  ASSERT_TRUE(second.ReadLine(249, &line));
  EXPECT_EQ(line, "three\n");
  EXPECT_FALSE(second.ReadLine(249, &line));
  ASSERT_TRUE(first.ReadLine(249, &line));
  EXPECT_EQ(line, "two\n");
  EXPECT_FALSE(first.Failed() || second.Failed());
}

TEST_F(TextFileTest, APipeIsReadOnInOrderAndCannotBePositioned) {
  const std::string path = (dir_ / "pipe").string();
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::thread writer([&] {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return;
    for (int i = 0; i < 3000; ++i) std::fprintf(out, "line %d\r\n", i);
    std::fclose(out);
  });
  TextReader reader;
  ASSERT_TRUE(reader.Open(path));
  std::string_view line;
  int count = 0;
  bool in_order = true;
  while (reader.ReadLine(249, &line)) in_order = in_order && line == "line " + std::to_string(count++) + "\n";
  writer.join();
  EXPECT_TRUE(in_order);
  EXPECT_EQ(count, 3000);
  EXPECT_FALSE(reader.Failed());
  EXPECT_FALSE(reader.Seek(0));
}

TEST_F(TextFileTest, WriterTurnsNewlinesIntoCrLfAndAppends) {
  const std::string path = (dir_ / "out.txt").string();
  {
    TextWriter writer;
    ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kTruncate));
    writer.Write("a\nb");
    writer.Write("\n\n");
    EXPECT_TRUE(writer.Close());
  }
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n\r\n");
  TextWriter writer;
  ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kAppend));
  writer.Write("c\n");
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n\r\nc\r\n");
  ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kTruncate));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(ReadBytes(path), "");
  // A page keeps its bytes, and the next opening is in text mode again.
  ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kReplace, TextWriter::LineEnds::kLf));
  writer.Write("d\ne\r\n");
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(ReadBytes(path), "d\ne\r\n");
  ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kAppend));
  writer.Write("f\n");
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(ReadBytes(path), "d\ne\r\nf\r\n");
}

TEST_F(TextFileTest, OpeningMissingFilesFails) {
  TextReader reader;
  EXPECT_FALSE(reader.Open((dir_ / "missing.txt").string()));
  TextWriter writer;
  EXPECT_FALSE(writer.Open((dir_ / "no-such-dir" / "out.txt").string(), TextWriter::Mode::kTruncate));
  EXPECT_TRUE(writer.Close());
}

TEST_F(TextFileTest, FileSizeIsToldForRegularFilesOnly) {
  WriteBytes(dir_ / "log", std::string(70000, 'x'));
  EXPECT_EQ(FileSize((dir_ / "log").string()), 70000U);
  WriteBytes(dir_ / "empty", "");
  EXPECT_EQ(FileSize((dir_ / "empty").string()), 0U);
  EXPECT_EQ(FileSize(dir_.string()), std::nullopt);  // a folder has no size to read
  EXPECT_EQ(FileSize((dir_ / "missing").string()), std::nullopt);
  EXPECT_EQ(FileSize(""), std::nullopt);
}

TEST(TextWriterTest, ReportsAFullDisk) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TextWriter writer;
  ASSERT_TRUE(writer.Open("/dev/full", TextWriter::Mode::kTruncate));
  writer.Write("report\n");
  EXPECT_FALSE(writer.Close());
}

// The names in a folder.
std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(TextFileTest, AReplacementTakesThePlaceOfTheFileOnlyWhenClosed) {
  const std::string path = (dir_ / "report.txt").string();
  WriteBytes(path, "old\r\n");
  {
    TextWriter writer;
    ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kReplace));
    writer.Write("new\n");
    EXPECT_EQ(Names(dir_).size(), 2U);  // the old file and the one beside it
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_TRUE(writer.Close());
  }
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"report.txt"});

  // A writer dropped without Close() leaves the old file and nothing beside it.
  {
    TextWriter writer;
    ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kReplace));
    writer.Write("half a report\n");
  }
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"report.txt"});

  // A path that names no file yet gets one.
  TextWriter fresh;
  ASSERT_TRUE(fresh.Open((dir_ / "fresh.txt").string(), TextWriter::Mode::kReplace));
  EXPECT_TRUE(fresh.Close());
  EXPECT_EQ(ReadBytes(dir_ / "fresh.txt"), "");
}

TEST_F(TextFileTest, AWholeAppendKeepsTheOldBytesAsTheyAreAndTakesPlaceWhenClosed) {
  const std::string path = (dir_ / "archive.txt").string();
  // Bytes that text mode would change or stop at, and more than one block of them.
  const std::string old = std::string("bare\nLF, CR\r, EOF \x1A and NUL ") + '\0' + std::string(70000, 'x');
  WriteBytes(path, old);
  {
    TextWriter writer;
    ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kAppendWhole));
    writer.Write("half a report\n");
  }
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"archive.txt"});
  TextWriter writer;
  ASSERT_TRUE(writer.Open(path, TextWriter::Mode::kAppendWhole));
  writer.Write("new\n");
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(ReadBytes(path), old + "new\r\n");
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"archive.txt"});
}

TEST_F(TextFileTest, AProcessEndedBySignalLeavesNoTemporaryFile) {
  const std::string path = (dir_ / "report.txt").string();
  WriteBytes(path, "old\r\n");
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    EXPECT_EXIT(
        {
          FileReplacement replacement;
          if (replacement.Begin(path)) {
            std::fputs("half a report", replacement.file());
            std::fflush(replacement.file());
            std::raise(signal_number);
          }
          std::exit(0);
        },
        ::testing::KilledBySignal(signal_number), "");
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"report.txt"});
    EXPECT_EQ(ReadBytes(path), "old\r\n");
  }
}

TEST_F(TextFileTest, ALockCountsOnlyOnTheFileTheNameLeadsTo) {
  using std::chrono::milliseconds;
  const std::string path = (dir_ / "report.txt").string();
  FileLock first;
  ASSERT_EQ(first.Lock(path, milliseconds(0), nullptr), FileLock::Result::kHeld);  // created, missing
  int waits = 0;
  FileLock timed_out;
  EXPECT_EQ(timed_out.Lock(path, milliseconds(50), [&] { ++waits; }), FileLock::Result::kTimedOut);
  EXPECT_EQ(waits, 1);

  // A waiter on the old file, which the holder replaces and then lets go of, must wait
  // for whoever locked the new file meanwhile.
  std::atomic<bool> waiting = false;
  std::atomic<bool> held = false;
  FileLock late;
  std::thread waiter(
      [&] { held = late.Lock(path, milliseconds(10000), [&] { waiting = true; }) == FileLock::Result::kHeld; });
  while (!waiting) std::this_thread::yield();
  WriteBytes(dir_ / "new.txt", "new");
  std::filesystem::rename(dir_ / "new.txt", path);
  FileLock second;
  ASSERT_EQ(second.Lock(path, milliseconds(0), nullptr), FileLock::Result::kHeld);
  first.Unlock();
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_FALSE(held);
  second.Unlock();
  waiter.join();
  EXPECT_TRUE(held);
  EXPECT_EQ(second.Lock(path, milliseconds(0), nullptr), FileLock::Result::kTimedOut);

  // What is no regular file takes no lock.
  EXPECT_EQ(second.Lock(dir_.string(), milliseconds(0), nullptr), FileLock::Result::kUnavailable);
  EXPECT_EQ(second.Lock((dir_ / "no" / "file").string(), milliseconds(0), nullptr), FileLock::Result::kUnavailable);
}

TEST(TextWriterTest, ReplacingInAMissingFolderFails) {
  TextWriter writer;
  EXPECT_FALSE(writer.Open("/no/such/folder/report.txt", TextWriter::Mode::kReplace));
  FileReplacement replacement;
  EXPECT_FALSE(replacement.Begin("/no/such/folder/report.txt"));
  EXPECT_FALSE(replacement.Commit());
}

}  // namespace
}  // namespace kestrum
