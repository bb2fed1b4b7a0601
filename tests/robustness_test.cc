// Hostile input, end to end: configuration files, Squish files and logs of random bytes
// and of jumbled fragments of the real syntax, overlong lines, NUL and 0x1A bytes,
// a hundred thousand areas, tags and addresses at and over their limits, odd report
// paths and extreme periods. Whatever the input, a run must end with status 0, 1 or 2,
// print nothing on standard error (where the sanitizers report) and write no file in
// its folder but those that its configuration names.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

constexpr std::string_view kDate = "2002-07-05 12:00:00";
// A stamp inside the window "1,00:00 0,00:00" of kDate, with the blank before the text.
constexpr std::string_view kStamp = "04 Jul 02  10:00:00 ";
constexpr std::string_view kFooter = "(c) The Kestrum developers\r\n";
constexpr std::string_view kAllLetters = "AIiEDdPTFXLCH";

// Sends this process's standard error, which the program run inherits, into an
// anonymous temporary file until Finish() answers what was written there.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    saved_ = ::dup(2);
    file_ = std::tmpfile();
    if (file_ != nullptr) ::dup2(::fileno(file_), 2);
  }
  ~StderrCapture() { Finish(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::string Finish() {
    std::string text;
    if (saved_ < 0) return text;
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    saved_ = -1;
    if (file_ == nullptr) return "(standard error could not be captured)";
    std::rewind(file_);
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, got);
    std::fclose(file_);
    file_ = nullptr;
    return text;
  }

 private:
  int saved_ = -1;
  std::FILE* file_ = nullptr;
};

std::size_t Count(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Random bytes; without 0x1A unless asked for, since the first one would end the file.
std::string RandomBytes(std::mt19937& rng, std::size_t size, bool end_of_file_bytes = false) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(byte(rng));
    out += c == '\x1a' && !end_of_file_bytes ? '\x1b' : c;
  }
  return out;
}

template <typename T>
const T& Pick(std::mt19937& rng, const std::vector<T>& items) {
  return items[rng() % items.size()];
}

// Fragments of the real syntax strung together at random, with random bytes, blanks,
// line ends and numbers at the edges of 32 bits between them, so that the runs get past
// the first test of the reader and the parsers and deep into them.
std::string Soup(std::mt19937& rng, std::size_t size, const std::vector<std::string_view>& words) {
  static const std::vector<std::string_view> kCommon = {
      " ",  "  ", "\t",  "\n",         "\r\n",       "\n",    ";",           "-0",         ",",          ":",
      "/",  ".",  "0",   "1",          "7",          "00",    "199",         "4294967295", "4294967296", "99999999999",
      "-1", "+5", "007", "SU.GENERAL", "su.general", "total", "2:5020/52.0", "1:2/3"};
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out;
  while (out.size() < size) {
    const int k = kind(rng);
    if (k == 0) {
      out += static_cast<char>(byte(rng));
    } else if (k <= 3) {
      out += Pick(rng, kCommon);
    } else {
      out += Pick(rng, words);
    }
  }
  return out;
}

// One area or link line of the log, well formed but for its figures, tags and
// addresses, which come from the edges of their ranges, and then perhaps cut short or
// given a stray byte.
std::string LogForm(std::mt19937& rng) {
  static const std::vector<std::string> kTags = {
      "SU.GENERAL",          "ru.linux",     "SU.FLAME", "total", "TOTAL", "X", std::string(199, 'T'),
      std::string(200, 'U'), "\xa0\xe2.\x8f"};
  static const std::vector<std::string> kNumbers = {"0",           "1",  "12", "4294967295", "4294967296",
                                                    "99999999999", "-1", "+7", " 5",         ""};
  static const std::vector<std::string> kAddresses = {
      "2:5020/52.0",        "2:5020/77.0",        "1:2/3",       "99999999999:1/1.0", "::/.", "1:2/3.4.5.6",
      std::string(27, '9'), std::string(28, '9'), "0777:08/09.0"};
  static const std::vector<std::string> kPackets = {"0000ABCD.PKT", "0000abcd.pkt", "ABC.PKT", "0000ABCD.MSG",
                                                    "123456789.PKT"};
  std::string line;
  switch (rng() % 6) {
    case 0:
      line = Pick(rng, kTags) + ": toss - " + Pick(rng, kNumbers) + " (" + Pick(rng, kNumbers) + " bytes)";
      if (rng() % 2 != 0) line += ", dupes - " + Pick(rng, kNumbers);
      if (rng() % 2 != 0) line += ", sent - " + Pick(rng, kNumbers);
      break;
    case 1: line = Pick(rng, kTags) + ": sent - " + Pick(rng, kNumbers); break;
    case 2: line = Pick(rng, kTags) + ": dupes - " + Pick(rng, kNumbers); break;
    case 3:
      line = "[Inbound] " + Pick(rng, kPackets) + " (" + Pick(rng, kNumbers) + " bytes) from " + Pick(rng, kAddresses);
      break;
    case 4: line = "Sent to " + Pick(rng, kAddresses) + " - " + Pick(rng, kNumbers); break;
    default: line = "Real message from " + Pick(rng, kAddresses); break;
  }
  switch (rng() % 4) {
    case 0: line.resize(rng() % (line.size() + 1)); break;
    case 1: line.insert(rng() % (line.size() + 1), 1, static_cast<char>(rng() % 256)); break;
    default: break;
  }
  return line;
}

// A log whose lines mostly carry a stamp inside the window, followed by an area or link
// line as LogForm makes them or by fragments of those lines strung together at random.
std::string LogSoup(std::mt19937& rng, std::size_t size) {
  static const std::vector<std::string_view> kStamps = {kStamp,
                                                        kStamp,
                                                        kStamp,
                                                        "04 Jul 02  10:00:00 [12] ",
                                                        "05 Jul 02  00:00:59 ",
                                                        "03 Jul 02  23:59:59 ",
                                                        "04 jul 02  10:00:00 ",
                                                        "4294967295 Jul 4294967295  4294967295:4294967295:4294967295 ",
                                                        "04 Jul 02  10:00",
                                                        "",
                                                        "04 Jul 02  10:00:00 ["};
  static const std::vector<std::string_view> kWords = {"SU.GENERAL",
                                                       "RU.LINUX",
                                                       "su.flame",
                                                       "TOTAL",
                                                       ": toss - ",
                                                       " (",
                                                       " bytes)",
                                                       ", dupes - ",
                                                       ", sent - ",
                                                       ": sent - ",
                                                       ": dupes - ",
                                                       "[Inbound] ",
                                                       "0000ABCD",
                                                       ".PKT",
                                                       ".pkt",
                                                       " bytes) from ",
                                                       "Sent to ",
                                                       " - ",
                                                       "Real message from ",
                                                       "2:5020/52.0",
                                                       "2:5020/77.0",
                                                       "99999999999:1/1.0",
                                                       "1:2/3.4.5",
                                                       "12",
                                                       "34567",
                                                       "du",
                                                       "se",
                                                       "dupes - ",
                                                       "sent - ",
                                                       std::string_view("\0", 1),
                                                       "\r"};
  std::uniform_int_distribution<int> words_per_line(1, 9);
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out;
  while (out.size() < size) {
    out += Pick(rng, kStamps);
    if (rng() % 2 == 0) {
      out += LogForm(rng);
    } else {
      for (int n = words_per_line(rng); n > 0; --n) {
        const int k = kind(rng);
        if (k == 0) {
          out += static_cast<char>(byte(rng));
        } else if (k == 1) {
          out += std::to_string(rng() % 100000);
        } else {
          out += Pick(rng, kWords);
        }
      }
    }
    out += '\n';
  }
  return out;
}

class RobustnessTest : public E2eTest {
 protected:
  // Runs the program and checks what every run must keep whatever its input: a defined
  // status, a silent standard error, and no file created, changed or removed but those
  // in may_write.
  RunResult RunChecked(const std::vector<std::string>& args, const std::set<std::string>& may_write,
                       std::string_view date = kDate) const {
    const Listing before = List();
    StderrCapture capture;
    const RunResult run = Run(args, date);
    const std::string errors = capture.Finish();
    EXPECT_TRUE(run.status == 0 || run.status == 1 || run.status == 2) << "exit status " << run.status;
    EXPECT_EQ(errors, "");
    EXPECT_EQ(run.out.substr(0, kBanner.size()), kBanner);
    const Listing after = List();
    for (const auto& [name, bytes] : after) {
      if (may_write.count(name) != 0) continue;
      const auto old = before.find(name);
      EXPECT_TRUE(old != before.end() && old->second == bytes) << name << " was written";
    }
    for (const auto& [name, bytes] : before) {
      EXPECT_TRUE(after.count(name) != 0 || may_write.count(name) != 0) << name << " was removed";
    }
    return run;
  }

  // A configuration that reads the given log and Squish file, with the given extra lines.
  void WriteSetup(std::string_view extra, std::string_view squish, std::string_view log) const {
    WriteRaw("k.cfg", "Tovark.Log tosser.log\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\n" + std::string(extra));
    WriteRaw("squish.cfg", squish);
    WriteRaw("tosser.log", log);
  }
};

TEST_F(RobustnessTest, RandomConfigurationFilesEndCleanly) {
  static const std::vector<std::string_view> kWords = {"Tovark.Log",
                                                       "Squish.Cfg",
                                                       "Period",
                                                       "EchoArea",
                                                       "NetArea",
                                                       "BadArea",
                                                       "DupeArea",
                                                       "LocalArea",
                                                       "DeletedArea",
                                                       "Ignore.Area",
                                                       "Ignore.Link",
                                                       "Show.Deleted.Area",
                                                       "Show.Unknown.Area",
                                                       "Screen.Wide",
                                                       "Min.Graph.Len",
                                                       "Debug",
                                                       "debug",
                                                       "Yes",
                                                       "no",
                                                       "1,00:00 0,00:00",
                                                       "C:\\Squish\\Area"};
  for (const unsigned seed : {1U, 2U, 3U}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    WriteRaw("random.cfg", RandomBytes(rng, 4096, seed == 1));
    RunChecked({"-c", "random.cfg"}, {});
    WriteRaw("random.cfg", Soup(rng, 4096, kWords));
    RunChecked({"-c", "random.cfg"}, {});
  }
  // Names that cannot be opened or read: empty, overlong, odd bytes, a folder.
  std::filesystem::create_directories(Path("folder"));
  EXPECT_EQ(RunChecked({"-c", "folder"}, {}).status, 1);
  EXPECT_EQ(RunChecked({"-c", ""}, {}).status, 1);
  EXPECT_EQ(RunChecked({"-c", std::string(5000, 'n')}, {}).status, 1);
  EXPECT_EQ(RunChecked({"-c", std::string(3, '\x01') + "\n\xff"}, {}).status, 1);
}

TEST_F(RobustnessTest, RandomSquishFilesEndCleanly) {
  static const std::vector<std::string_view> kWords = {
      "EchoArea ",          "NetArea ",     "BadArea ",     "DupeArea ",
      "LocalArea ",         "DeletedArea ", "Ignore.Area ", "Ignore.Link ",
      "Show.Unknown.Area ", "Period ",      "SU.GENERAL",   "RU.LINUX",
      " C:\\Squish\\Area",  " -0",          "12345678",     "123456789",
      "2:5020/52",          "\n",           "\n",           "Address"};
  const std::set<std::string> reports = {"r.rep"};
  for (const unsigned seed : {11U, 12U, 13U}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::string log = LogSoup(rng, 2048);
    WriteSetup("Out.File.Name r.rep " + std::string(kAllLetters) + "\n", RandomBytes(rng, 4096), log);
    RunChecked({"-c", "k.cfg"}, reports);
    WriteSetup("Out.File.Name r.rep " + std::string(kAllLetters) + "\n", Soup(rng, 4096, kWords), log);
    RunChecked({"-c", "k.cfg"}, reports);
  }
}

TEST_F(RobustnessTest, RandomLogsGiveCompleteReports) {
  const std::set<std::string> written = {"r.rep", "f1.txt", "f2.txt", "f3.txt"};
  const std::string config = "Debug Yes\nIgnore.Area SU.FLAME\nIgnore.Link 2:5020/77.0\nOut.File.Name r.rep " +
                             std::string(kAllLetters) + "\n";
  for (const unsigned seed : {21U, 22U, 23U, 24U}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (const std::string& log : {RandomBytes(rng, 8192), LogSoup(rng, 8192)}) {
      WriteSetup(config, "EchoArea SU.GENERAL C:\\Squish\\SuGen\nEchoArea RU.LINUX C:\\Squish\\RuLinux -0\n", log);
      // Nothing in a log can fail a run: the reports are always written to their end.
      const RunResult run = RunChecked({"-c", "k.cfg"}, written);
      EXPECT_EQ(run.status, 0) << run.out;
      EXPECT_TRUE(EndsWith(ReadRaw("r.rep"), kFooter));
    }
  }
}

TEST_F(RobustnessTest, OverlongLinesAreReadInPieces) {
  const std::set<std::string> written = {"r.rep", "f1.txt", "f2.txt", "f3.txt"};
  const std::string long_tag(1014, 'L');  // with "EchoArea " exactly one 1023-character line
  const std::string first = std::string(kStamp) + "SU.LONG: toss - 1 (10 bytes)";
  const std::string log = first + std::string(1000000, 'y');  // no newline anywhere
  WriteSetup("Debug Yes\nOut.File.Name r.rep A\n", "EchoArea " + long_tag + "\nEchoArea SU.LONG", log);
  RunResult run = RunChecked({"-c", "k.cfg"}, written);
  EXPECT_EQ(run.status, 0);
  const std::size_t pieces = (log.size() + 248) / 249;
  EXPECT_NE(run.out.find(Cp866("Всего из лога прочитано  " + std::to_string(pieces) + " строк\n")), std::string::npos)
      << run.out.substr(0, 400);
  EXPECT_NE(ReadRaw("r.rep").find(Cp866("Всего по 1 эхам:")), std::string::npos);

  // A configuration line of 200,000 characters is read as 196 lines, each an unknown
  // keyword; the report named before them keeps what the last run wrote.
  const std::string report = ReadRaw("r.rep");
  WriteSetup("Out.File.Name r.rep A\n" + std::string(200000, 'x'), "", "");
  run = RunChecked({"-c", "k.cfg"}, written);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Count(run.out, Cp866("Неизвестное ключевое слово")), 196U);
  EXPECT_EQ(ReadRaw("r.rep"), report);
}

TEST_F(RobustnessTest, NulAndEndOfFileBytesInOddPlaces) {
  using namespace std::string_literals;
  // A NUL ends a keyword or a value; 0x1A ends the file, so the lines after it are never
  // read and never.rep is not created.
  WriteRaw("k.cfg",
           "Tovark.Log tosser.log\0ignored\n"
           "Squish.Cfg squish.cfg\n"
           "Period 1,00:00 0,00:00\0 5,00:00 9,00:00\n"
           "Out.File.Name r.rep Ad\0P\n"
           "\x1aOut.File.Name never.rep A\n"s);
  WriteRaw("squish.cfg", "EchoArea SU.ONE\0 -0\nEchoArea SU.TWO\n\x1a\0Address 2:5020/52\n"s);
  WriteRaw("tosser.log", std::string(kStamp) + "SU.ONE: toss - 1 (10 bytes)\r\n" +
                             "04 Jul\0 02  10:00:00 SU.NUL: toss - 1 (10 bytes)\n"s + std::string(kStamp) +
                             "SU.T\rWO: toss - 2 (20 bytes)\n" + std::string(kStamp) + "\x1a" +
                             "SU.THREE: toss - 3 (30 bytes)\n");
  const RunResult run = RunChecked({"-c", "k.cfg"}, {"r.rep"});
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string report = ReadRaw("r.rep");
  EXPECT_NE(report.find("Su.One"), std::string::npos);
  EXPECT_NE(report.find("Su.Two"), std::string::npos);  // the CR inside the tag is dropped
  EXPECT_EQ(report.find("Su.Nul"), std::string::npos);  // a NUL in the stamp leaves it incomplete
  EXPECT_EQ(report.find("Su.Three"), std::string::npos);
  EXPECT_NE(report.find(Cp866("Всего по 2 эхам:")), std::string::npos);
  EXPECT_TRUE(EndsWith(report, kFooter));
}

TEST_F(RobustnessTest, HundredThousandAreasAndTwentyThousandLinks) {
  constexpr unsigned kAreas = 100000;
  constexpr unsigned kLinks = 20000;
  std::string squish;
  char line[128];
  for (unsigned i = 0; i < kAreas; ++i) {
    std::snprintf(line, sizeof line, "EchoArea AREA.%06u C:\\Squish\\A%u%s\n", i, i, i % 7 == 0 ? " -0" : "");
    squish += line;
  }
  std::string log;
  for (unsigned i = 0; i < kAreas; i += 2) {
    std::snprintf(line, sizeof line, "%sarea.%06u: toss - %u (%u bytes), sent - 1\n", kStamp.data(), i, i % 50 + 1,
                  i * 3 + 100);
    log += line;
  }
  for (unsigned i = 0; i < kLinks; ++i) {
    std::snprintf(line, sizeof line, "%sSent to %u:%u/%u.0 - %u\n", kStamp.data(), i % 7 + 1, i % 500, i, i + 1);
    log += line;
  }
  WriteSetup("Out.File.Name big.rep AIDL\n", squish, log);
  const RunResult run = RunChecked({"-c", "k.cfg"}, {"big.rep"});
  EXPECT_EQ(run.status, 0) << run.out.substr(0, 400);
  const std::string report = ReadRaw("big.rep");
  EXPECT_EQ(Count(report, Cp866("Всего по 50000 эхам:")), 2U);  // A and I
  EXPECT_EQ(Count(report, Cp866("Всего 50000 мёртвых эх")), 1U);
  EXPECT_EQ(Count(report, Cp866("Всего по 20000 линкам:")), 1U);
  EXPECT_TRUE(EndsWith(report, kFooter));
}

TEST_F(RobustnessTest, TagsAndAddressesAtAndOverTheirLimits) {
  const std::string tag199 = "T." + std::string(197, 'a');
  const std::string tag200 = "U." + std::string(198, 'a');
  const std::string address27 = "1:2/3." + std::string(21, '4');
  const std::string address28 = "1:2/3." + std::string(22, '4');
  // Addresses whose numbers overflow, that lack parts or have too many, or hold none.
  const std::vector<std::string> odd_addresses = {
      "99999999999:1/1.0", "4294967296:4294967296/1.1", "1:2/3", "1:2/3.4.5.6", "::/.",
      "0777:08/09.0x",     "1234567890123456789012345"};
  std::string log = std::string(kStamp) + tag199 + ": toss - 1 (10 bytes)\n" + std::string(kStamp) + tag200 +
                    ": toss - 1 (10 bytes)\n" + std::string(kStamp) + "Sent to " + address27 + " - 100\n" +
                    std::string(kStamp) + "Sent to " + address28 + " - 100\n";
  for (const std::string& address : odd_addresses) log += std::string(kStamp) + "Real message from " + address + "\n";
  const std::string config = "EchoArea " + tag199 + " C:\\Squish\\Long -0\nDeletedArea 99999999 " + tag199 +
                             "\nDeletedArea 123456789 SU.OLD\nIgnore.Area " + std::string(1000, 'i') +
                             "\nIgnore.Link " + std::string(1000, '1') + "\nOut.File.Name r.rep AdLX\n";
  WriteSetup(config, "EchoArea " + tag200 + " C:\\Squish\\Over\n", log);
  const RunResult run = RunChecked({"-c", "k.cfg"}, {"r.rep"});
  EXPECT_EQ(run.status, 0) << run.out.substr(0, 400);
  const std::string report = ReadRaw("r.rep");
  // Only the 199-character tag is counted; report d prints every shown dead area whole.
  EXPECT_NE(report.find(Cp866("Всего по 1 эхам:")), std::string::npos);
  EXPECT_NE(report.find("\r\n9\r\n"), std::string::npos);  // DeletedArea takes the ninth digit as tag
  // The 27-character address counts, the 28-character one does not; "::/." is still an
  // address text, so every odd address is a link of its own.
  const std::string links = std::to_string(1 + odd_addresses.size());
  EXPECT_NE(report.find(Cp866("Всего по " + links + " линкам:")), std::string::npos) << links;
  EXPECT_NE(report.find(address27), std::string::npos);
  EXPECT_EQ(report.find(address28), std::string::npos);
  EXPECT_TRUE(EndsWith(report, kFooter));
}

TEST_F(RobustnessTest, ReportPathsAndLettersAtAndOverTheirLimits) {
  std::filesystem::create_directories(Path("sub"));
  const std::string path79 = "sub/" + std::string(75, 'p');
  const std::string path80 = std::string(80, 'q');
  const std::string letters29 = "AIiEDdPTFXLAIiEDdPTFXLAIiEDdP";
  WriteSetup("Out.File.Name " + path79 + " " + letters29 + "\nOut.File.Name sub/+.rep +d+\n", "",
             std::string(kStamp) + "SU.A: toss - 1 (10 bytes)\n");
  RunResult run = RunChecked({"-c", "k.cfg"}, {path79, "sub/+.rep"});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_TRUE(EndsWith(ReadRaw(path79), kFooter));

  // Each of these lines is refused and creates nothing.
  WriteSetup("Out.File.Name " + path80 + " A\n" + "Out.File.Name " + std::string(300, 'r') + " A\n" +
                 "Out.File.Name s.rep " + letters29 + "A\n" + "Out.File.Name s.rep a\n" + "Out.File.Name s.rep\n" +
                 "Out.File.Name missing/s.rep A\n" + "Out.File.Name sub A\n" + "Out.File.Name s.rep A\xff\n",
             "", "");
  run = RunChecked({"-c", "k.cfg"}, {});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Count(run.out, Cp866("Ошибка в имени файла или в списке ключей")), 8U);

  // An eleventh file is refused; the ten before it are created empty.
  std::string eleven;
  std::set<std::string> ten;
  for (int i = 0; i < 11; ++i) {
    eleven += "Out.File.Name f" + std::to_string(i) + ".rep A\n";
    if (i < 10) ten.insert("f" + std::to_string(i) + ".rep");
  }
  WriteSetup(eleven, "", "");
  run = RunChecked({"-c", "k.cfg"}, ten);
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(Exists("f10.rep"));

  // A report that cannot be written is a failed run, not a complete one.
  WriteSetup("Out.File.Name /dev/full AL\n", "", "");
  run = RunChecked({"-c", "k.cfg"}, {});
  EXPECT_EQ(run.status, 1) << run.out;
}

TEST_F(RobustnessTest, ExtremePeriodsAndStampsEndCleanly) {
  const std::string log = std::string(kStamp) + "SU.A: toss - 1 (10 bytes)\n" +
                          "4294967295 Jul 4294967295  4294967295:4294967295:4294967295 SU.B: toss - 1 (1 bytes)\n" +
                          "2147483647 Dec 2147483647  2147483647:2147483647:0 SU.C: sent - 1\n" +
                          "00 Jan 00  00:00:00 SU.D: dupes - 1\n" + "31 Dec 99  23:59:59 SU.E: dupes - 1\n" +
                          "99 Feb 68  99:99:99 Sent to 1:2/3.0 - 1\n";
  const std::vector<std::string> periods = {"4294967295,4294967295:4294967295 4294967295,4294967295:4294967295",
                                            "0,00:00 4294967295,00:00",
                                            "4294967295,00:00 0,00:00",
                                            "2147483648,00:00 0,2147483648:2147483648",
                                            "99999999999,00:00 0,00:00",
                                            "1,00:00 0,00:00 garbage 7,1:2",
                                            "1 , 00 : 00 0,00:00",
                                            "0,0:0 0,0:4294967295"};
  for (const std::string& period : periods) {
    SCOPED_TRACE(period);
    WriteRaw("k.cfg", "Tovark.Log tosser.log\nSquish.Cfg squish.cfg\nPeriod " + period + "\nOut.File.Name r.rep " +
                          std::string(kAllLetters) + "\n");
    WriteRaw("squish.cfg", "");
    WriteRaw("tosser.log", log);
    const RunResult run = RunChecked({"-c", "k.cfg"}, {"r.rep"});
    EXPECT_NE(run.status, 2);
  }
  // Runs on dates far from the log: the end of 32-bit time and beyond it.
  WriteRaw("k.cfg",
           "Tovark.Log tosser.log\nSquish.Cfg squish.cfg\nPeriod 30000,00:00 0,00:00\n"
           "Out.File.Name r.rep " +
               std::string(kAllLetters) + "\n");
  for (const std::string_view date : {"2038-01-19 03:14:00", "2040-01-01 00:00:00"}) {
    SCOPED_TRACE(date);
    const RunResult run = RunChecked({"-c", "k.cfg"}, {"r.rep"}, date);
    EXPECT_NE(run.status, 2);
  }
}

}  // namespace
}  // namespace kestrum::e2e
