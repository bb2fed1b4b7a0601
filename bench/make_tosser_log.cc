// Writes a synthetic tosser log for benchmarks, with the configuration and Squish files
// that go with it: every area and link line form, about 30% other lines, CR LF ends.
//
//   make_tosser_log DIR SIZE_MB AREAS LINKS SEED YYYY-MM-DD [day|month]
//
// DIR receives tosser.log, Kestrum.Cfg and Squish.cfg; the run day is the given date.
// The day workload (the default) spreads stamps over the three days before the run day
// and the run day itself, with a one-day window ending at the run day's midnight. The
// month workload spreads them over the 31 days ending with the run day, all inside the
// window, gives the areas tags of 5 to 40 characters written in mixed case in the log
// (upper case in Squish.cfg), and writes the toss line with every tail: none, dupes,
// sent, and both in either order.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kOther[] = {"Tossing mail...",
                              "Scanning outbound...",
                              "Processing C:\\Inbound\\0000ABCD.TIC",
                              "Packing mail for 2:5020/1",
                              "Linking areas...",
                              "Done.",
                              "Bad password from 2:5020/77",
                              "Purging dupe base",
                              "Routing netmail",
                              "Unpacking archive 0000FF01.SU0"};

// Days from 1970-01-01 of a civil date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int* y, unsigned* m, unsigned* d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2));
}

std::string AreaTag(int i) {
  static const char* const kPrefixes[] = {"SU.", "RU.", "FIDO7.", "N5020.", "MO.", "XSU."};
  static const char* const kWords[] = {"GENERAL", "TALK", "FLAME", "HUMOR", "LINUX",
                                       "OS2",     "NEWS", "SYSOP", "HARDW", "SOFT"};
  return std::string(kPrefixes[i % 6]) + kWords[(i / 6) % 10] + "." + std::to_string(i);
}

// The month workload's tag: 5 to 40 characters in mixed case, its number at the end.
std::string MixedCaseTag(int i) {
  static const std::string kPool =
      "Ru.Linux.Talk.Su.Hardware.Fido7.General.Sysop.N5020.Humor.Os2.News.Soft.Flame.Local.Chainik.Mo.Books."
      "Ru.Anime.Xsu.Politics.Su.Music.Ru.Cooking.Fido.Russian.Net.";
  const std::string number = std::to_string(i);
  const std::size_t length = std::max<std::size_t>(5 + static_cast<std::size_t>(i) * 7919 % 36, number.size() + 1);
  const std::size_t start = kPool.find('.', static_cast<std::size_t>(i) * 13 % (kPool.size() - 60)) + 1;
  return kPool.substr(start, length - number.size()) + number;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string LinkAddress(int i) {
  return "2:" + std::to_string(5000 + i % 97) + "/" + std::to_string(1 + i * 7 % 400) + "." + std::to_string(i % 3);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7 && argc != 8) {
    std::fprintf(stderr, "usage: %s DIR SIZE_MB AREAS LINKS SEED YYYY-MM-DD [day|month]\n", argv[0]);
    return 2;
  }
  const bool month_workload = argc == 8 && std::string(argv[7]) == "month";
  if (argc == 8 && !month_workload && std::string(argv[7]) != "day") {
    std::fprintf(stderr, "the workload is day or month\n");
    return 2;
  }
  const auto tag_of = [&](int i) { return month_workload ? MixedCaseTag(i) : AreaTag(i); };
  const std::string dir = argv[1];
  const std::uint64_t target = std::strtoull(argv[2], nullptr, 10) << 20;
  const int areas = std::atoi(argv[3]);
  const int links = std::atoi(argv[4]);
  std::mt19937_64 random(std::strtoull(argv[5], nullptr, 10));
  int year = 0;
  unsigned month = 0;
  unsigned day = 0;
  if (std::sscanf(argv[6], "%d-%u-%u", &year, &month, &day) != 3 || areas < 1 || links < 1) {
    std::fprintf(stderr, "bad arguments\n");
    return 2;
  }

  {
    std::FILE* config = std::fopen((dir + "/Kestrum.Cfg").c_str(), "wb");
    std::FILE* squish = std::fopen((dir + "/Squish.cfg").c_str(), "wb");
    if (config == nullptr || squish == nullptr) return 1;
    std::fprintf(config,
                 "Tovark.Log tosser.log\r\nSquish.Cfg Squish.cfg\r\nPeriod %s\r\n"
                 "Out.File.Name areas.rep AIiEPDd\r\nOut.File.Name links.rep LFTX\r\n"
                 "Ignore.Link %s\r\nDeletedArea 30 %s\r\n",
                 month_workload ? "31,00:00 0,24:00" : "1,00:00 0,00:00", LinkAddress(links - 1).c_str(),
                 tag_of(areas - 1).c_str());
    for (int i = 0; i < areas; i += 2) {
      const std::string tag = month_workload ? Upper(MixedCaseTag(i)) : AreaTag(i);
      std::fprintf(squish, "EchoArea %s C:\\Squish\\A%d%s\r\n", tag.c_str(), i, i % 10 == 0 ? " -0" : "");
    }
    std::fprintf(squish, "NetArea NETMAIL C:\\Squish\\Net\r\n");
    std::fclose(config);
    std::fclose(squish);
  }

  std::FILE* log = std::fopen((dir + "/tosser.log").c_str(), "wb");
  if (log == nullptr) return 1;
  std::vector<char> buffer(1 << 20);
  std::setvbuf(log, buffer.data(), _IOFBF, buffer.size());

  // Day: stamps run from three days before the run day to the run day's evening, so that
  // about a quarter of the lines fall inside the window (the day before the run day).
  // Month: from the first of the 31 days ending with the run day to its evening.
  const std::int64_t first_day = DaysFromCivil(year, month, day) - (month_workload ? 30 : 3);
  const std::uint64_t total_seconds = (month_workload ? 31ull : 4ull) * 86400 - 3600;
  std::uint64_t written = 0;
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> area_pick(0, areas - 1);
  std::uniform_int_distribution<int> link_pick(0, links - 1);
  std::uniform_int_distribution<std::uint32_t> small(0, 40);
  std::uniform_int_distribution<std::uint32_t> bytes(100, 400000);
  char line[512];
  while (written < target) {
    const std::uint64_t second = written * total_seconds / target;
    int y = 0;
    unsigned m = 0;
    unsigned d = 0;
    CivilFromDays(first_day + static_cast<std::int64_t>(second / 86400), &y, &m, &d);
    const unsigned hh = static_cast<unsigned>(second % 86400 / 3600);
    const unsigned mm = static_cast<unsigned>(second % 3600 / 60);
    const unsigned ss = static_cast<unsigned>(second % 60);
    int n = std::snprintf(line, sizeof line, "%02u %s %02d  %02u:%02u:%02u ", d, kMonths[m - 1], y % 100, hh, mm, ss);
    if (percent(random) < 20)
      n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "[%02d] ", percent(random));
    const std::size_t room = sizeof line - static_cast<std::size_t>(n);
    char* text = line + n;
    const int kind = percent(random);
    const std::string tag = tag_of(area_pick(random));
    const std::string address = LinkAddress(link_pick(random));
    if (kind < 30) {
      n += std::snprintf(text, room, "%s", kOther[percent(random) % 10]);
    } else if (kind < 50 && month_workload && kind % 4 != 0) {
      // The other tails: dupes alone, sent alone, sent before dupes.
      static const char* const kTails[3] = {", dupes - %u", ", sent - %u", ", sent - %u, dupes - %u"};
      const int tail = kind % 4 - 1;
      n += std::snprintf(text, room, "%s: toss - %u (%u bytes)", tag.c_str(), small(random), bytes(random));
      const std::size_t left = sizeof line - static_cast<std::size_t>(n);
      n += tail == 2 ? std::snprintf(line + n, left, kTails[2], small(random), small(random) % 3)
                     : std::snprintf(line + n, left, kTails[tail], small(random));
    } else if (kind < 50) {
      n += std::snprintf(text, room, "%s: toss - %u (%u bytes), dupes - %u, sent - %u", tag.c_str(), small(random),
                         bytes(random), small(random) % 3, small(random));
    } else if (kind < 58) {
      n += std::snprintf(text, room, "%s: toss - %u (%u bytes)", tag.c_str(), small(random), bytes(random));
    } else if (kind < 66) {
      n += std::snprintf(text, room, "%s: sent - %u", tag.c_str(), small(random));
    } else if (kind < 70) {
      n += std::snprintf(text, room, "%s: dupes - %u", tag.c_str(), small(random) % 5);
    } else if (kind < 82) {
      n += std::snprintf(text, room, "[Inbound] %08X.PKT (%u bytes) from %s", static_cast<unsigned>(random()),
                         bytes(random), address.c_str());
    } else if (kind < 94) {
      n += std::snprintf(text, room, "Sent to %s - %u", address.c_str(), bytes(random));
    } else {
      n += std::snprintf(text, room, "Real message from %s", address.c_str());
    }
    n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "\r\n");
    std::fwrite(line, 1, static_cast<std::size_t>(n), log);
    written += static_cast<std::uint64_t>(n);
  }
  return std::fclose(log) == 0 ? 0 : 1;
}
