// Fuzz target: the configuration reader on a whole file against its C-string model. The
// input is written to a temporary file and read twice in a row, as the program reads its
// own file and then Squish's, by the reader on one table and by the model on another;
// both tables carry the program's real handlers bound to sets and a period of their own.
// Messages, answers, line counts, every table entry, the sets and the window must agree.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/config_reader.h"
#include "fuzz_check.h"
#include "fuzz_clock.h"
#include "platform/format.h"
#include "platform/sink.h"
#include "scanf_reference.h"
#include "stats/period.h"

namespace kestrum::fuzzing {
namespace {

// The state a run's configuration reaches: the table and what its handlers fill. The
// handlers hold `this`, so it stays where it was made.
struct Configured {
  Configured() {
    table.SetKeywordHandler(kPeriod, [this](KeywordEntry& e) { return period.HandlePeriod(ValueText(e)); });
    table.SetKeywordHandler(kEchoArea, [this](KeywordEntry& e) { return HandleEchoArea(areas, ValueText(e)); });
    table.SetKeywordHandler(kIgnoreArea, [this](KeywordEntry& e) { return HandleIgnoreArea(areas, ValueText(e)); });
    table.SetKeywordHandler(kNetArea, [this](KeywordEntry& e) { return HandleIgnoreArea(areas, ValueText(e)); });
    table.SetKeywordHandler(kDeletedArea, [this](KeywordEntry& e) { return HandleDeletedArea(areas, ValueText(e)); });
    table.SetKeywordHandler(kIgnoreLink, [this](KeywordEntry& e) { return HandleIgnoreLink(links, ValueText(e)); });
  }
  Configured(const Configured&) = delete;
  Configured& operator=(const Configured&) = delete;

  std::string TableState() const {
    std::string out;
    for (int index = 0; index < KEYWORD_COUNT; ++index) {
      const KeywordEntry& entry = table.entry(index);
      out += Format("%i:%s#%u=%i\n", index, entry.value ? *entry.value : std::string("(none)"), entry.times_set,
                    entry.integer);
    }
    return out;
  }

  KeywordTable table;
  AreaSet areas;
  LinkSet links;
  ReportPeriod period{PinnedNow};
};

// One temporary file per fuzzing process, removed when the process ends normally.
const char* FilePath() {
  static char path[64] = {};
  if (path[0] == '\0') {
    UseMoscowTime();
    std::snprintf(path, sizeof path, "/tmp/kestrum_config_fuzzer_%d.cfg", static_cast<int>(getpid()));
    std::atexit([] { std::remove(FilePath()); });
  }
  return path;
}

void Run(std::string_view bytes) {
  const std::string path = FilePath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) Fail("cannot write the temporary file", path);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);

  Configured read;
  StringSink console;
  ConfigReader reader(read.table, console);
  const int first = reader.ReadConfigFile(path.c_str());
  const int second = reader.ReadConfigFile(path.c_str());

  Configured modelled;
  std::string model_console;
  int lines = 0;
  const int model_first = model::ReadConfig(bytes, path, modelled.table, &model_console, &lines);
  const int model_second = model::ReadConfig(bytes, path, modelled.table, &model_console, &lines);

  Check(first == model_first && second == model_second, "the reader answers otherwise than the model", bytes);
  Check(reader.line_number() == lines, "the reader counts other lines than the model", bytes);
  Check(console.text() == model_console, "the reader prints other messages than the model", bytes);
  Check(read.TableState() == modelled.TableState(), "the reader leaves another table than the model", bytes);
  Check(SameSets(read.areas, modelled.areas) && SameSets(read.links, modelled.links),
        "the reader's handlers fill other sets than the model's", bytes);
  Check(read.period.start() == modelled.period.start() && read.period.end() == modelled.period.end() &&
            read.period.DisplayText() == modelled.period.DisplayText(),
        "the reader's Period gives another window than the model's", bytes);
}

}  // namespace
}  // namespace kestrum::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrum::fuzzing::Run(kestrum::fuzzing::AsText(data, size));
  return 0;
}
