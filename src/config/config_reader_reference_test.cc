// Differential tests of the configuration reader: seeded random lines and whole files
// (keywords in any letter case, unknown words, blanks of both kinds, comments, CR LF
// line ends, lines past the 1023-character read, NULs and end-of-file bytes) go to the
// reader and to a plain C-string model of it (fuzz/scanf_reference.h). The keyword and
// value cut, the messages, the answer, the line count and every table entry must agree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_reader.h"
#include "config/keyword_table.h"
#include "fuzz/random_text.h"
#include "fuzz/scanf_reference.h"
#include "platform/format.h"
#include "platform/sink.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::Shown;

using fuzzing::Random;
using namespace std::string_view_literals;

// A keyword as a line may write it: one of the table's in any letter case, or a word
// that is none of them.
std::string KeywordText(Random& random) {
  static const char* const kKeywords[] = {
      "Tovark.Log",        "Squish.Cfg",        "Out.File.Name", "Period",        "NetArea",     "BadArea",
      "DupeArea",          "LocalArea",         "EchoArea",      "DeletedArea",   "Ignore.Area", "Ignore.Link",
      "Show.Deleted.Area", "Show.Unknown.Area", "Screen.Wide",   "Min.Graph.Len", "Debug"};
  static const char* const kOthers[] = {"Foo", "EchoAreas", "Debug.", "Perio", "Tovark_Log", "\x80\xA0", "Yes"};
  std::string keyword = random.OneIn(6) ? random.Pick(kOthers) : random.Pick(kKeywords);
  for (char& c : keyword) {
    if (random.OneIn(4)) {
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
      else if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return keyword;
}

std::string BlankRun(Random& random) {
  static const char* const kRuns[] = {" ", " ", "\t", "  ", " \t ", "\t\t", "     "};
  return random.Pick(kRuns);
}

// One line of a configuration file, without its end.
std::string ConfigLine(Random& random) {
  static const char* const kWords[] = {
      "Yes",    "no", "YES",      "maybe",   "1,00:00", "0,00:00",   "SU.GENERAL", "-0", "C:\\Squish\\SuGen",
      "refuse", "x",  "\x80\xA0", "1:2/3.0", "30",      "ReportAIiL"};
  std::string line;
  switch (random.Below(12)) {
    case 0: return "";
    case 1: return BlankRun(random);
    case 2: return BlankRun(random) + "; a comment";
    case 3: {
      // Longer than one read: the rest of it is a line of its own.
      line = std::string(1000 + random.Below(60), random.OneIn(2) ? ' ' : 'k');
      line += KeywordText(random) + " Yes";
      return line;
    }
    default: break;
  }
  if (random.OneIn(3)) line += BlankRun(random);
  line += KeywordText(random);
  const std::size_t words = random.Below(5);
  for (std::size_t i = 0; i < words; ++i) line += BlankRun(random) + random.Pick(kWords);
  if (random.OneIn(4)) line += BlankRun(random);
  if (random.OneIn(5)) line += std::string(random.OneIn(2) ? " " : "") + ";comment; Debug Yes";
  return line;
}

std::string ConfigFile(Random& random) {
  static constexpr std::string_view kConfigAlphabet = "abcXYZ .;\t\n\r\x1a\0-019"sv;
  static const char* const kEnds[] = {"\n", "\n", "\n", "\r\n", "\r", "\r\r\n"};
  std::string file;
  const std::size_t lines = random.Below(12);
  for (std::size_t i = 0; i < lines; ++i) {
    file += ConfigLine(random);
    if (i + 1 < lines || !random.OneIn(3)) file += random.Pick(kEnds);
  }
  return fuzzing::Mutated(random, file, kConfigAlphabet);
}

TEST(ConfigReaderEquivalenceTest, KeywordAndValueCut) {
  Random random(1023);
  int mismatches = 0;
  for (int i = 0; i < fuzzing::Cases(30000); ++i) {
    // A line as one read gives it: up to its newline, perhaps with a NUL inside.
    std::string line = fuzzing::Mutated(random, ConfigLine(random), "abc .;\t\n\0"sv);
    if (!random.OneIn(4)) line += '\n';
    std::string want_keyword;
    std::string want_value;
    model::CutLine(line.c_str(), &want_keyword, &want_value);
    std::size_t pos = 0;
    const std::string keyword = ScanKeyword(line, &pos);
    const std::string value = keyword.empty() ? std::string() : ScanValue(line, pos);
    if (keyword != want_keyword || value != want_value) {
      if (++mismatches <= 8) {
        ADD_FAILURE() << "line " << Shown(line) << ": reader " << Shown(keyword) << " " << Shown(value) << ", model "
                      << Shown(want_keyword) << " " << Shown(want_value);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// Every handler call as "index=value#times", and a refusal for values holding "refuse".
class HandlerLog {
 public:
  void Install(KeywordTable& table) {
    for (int index = 0; index < KEYWORD_COUNT; ++index) {
      if (index == kShowDeletedArea || index == kShowUnknownArea || index == kDebug) continue;  // Yes/No stays
      table.SetKeywordHandler(index, [this, index](KeywordEntry& entry) -> const char* {
        calls_ += Format("%i=%s#%u\n", index, entry.value ? *entry.value : std::string("(none)"), entry.times_set);
        return entry.value && entry.value->find("refuse") != std::string::npos ? "refused here" : nullptr;
      });
    }
  }
  const std::string& calls() const { return calls_; }

 private:
  std::string calls_;
};

std::string TableState(const KeywordTable& table) {
  std::string out;
  for (int index = 0; index < KEYWORD_COUNT; ++index) {
    const KeywordEntry& entry = table.entry(index);
    out += Format("%s: %s #%u int %i\n", entry.keyword, entry.value ? Shown(*entry.value) : std::string("(none)"),
                  entry.times_set, entry.integer);
  }
  return out;
}

using ConfigFileEquivalenceTest = testing_support::TempFolderTest;

TEST_F(ConfigFileEquivalenceTest, WholeFiles) {
  const std::string path = (dir_ / "Kestrum.Cfg").string();
  Random random(1024);
  int mismatches = 0;
  for (int i = 0; i < fuzzing::Cases(300); ++i) {
    const std::string bytes = ConfigFile(random);
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // Two files in a row on the same table, as the program reads its own and Squish's.
    KeywordTable read_table;
    HandlerLog read_log;
    read_log.Install(read_table);
    StringSink console;
    ConfigReader reader(read_table, console);
    const int answer = reader.ReadConfigFile(path.c_str());
    const int second_answer = reader.ReadConfigFile(path.c_str());

    KeywordTable model_table;
    HandlerLog model_log;
    model_log.Install(model_table);
    std::string model_console;
    int model_lines = 0;
    const int model_answer = model::ReadConfig(bytes, path, model_table, &model_console, &model_lines);
    const int model_second = model::ReadConfig(bytes, path, model_table, &model_console, &model_lines);

    if (answer != model_answer || second_answer != model_second || reader.line_number() != model_lines ||
        console.text() != model_console || read_log.calls() != model_log.calls() ||
        TableState(read_table) != TableState(model_table)) {
      if (++mismatches <= 5) {
        ADD_FAILURE() << "file " << Shown(bytes) << "\nanswers " << answer << "/" << second_answer << ", model "
                      << model_answer << "/" << model_second << "; lines " << reader.line_number() << ", model "
                      << model_lines << "\nreader console " << Shown(console.text()) << "\nmodel console  "
                      << Shown(model_console) << "\nreader calls\n"
                      << read_log.calls() << "model calls\n"
                      << model_log.calls() << "reader table\n"
                      << TableState(read_table) << "model table\n"
                      << TableState(model_table);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace kestrum
