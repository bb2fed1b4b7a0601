// kestrum: echomail statistics from a tosser log, written as CP866 report tables.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/run.h"
#include "platform/memory.h"

int main(int argc, char** argv) {
#if defined(SIGXFSZ)
  // A file grown past the size limit is a failed write, reported like a full disk,
  // rather than the end of the run with half a report written.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // Large sets read on several threads give their memory back when freed, which keeps
  // the peak of a run with many areas and links low.
  kestrum::MapLargeBlocksApart();
  kestrum::StreamSink console(stdout);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  int status = kestrum::Run(console).Main(args);
  if (std::fflush(stdout) != 0 && status == kestrum::kExitOk) status = kestrum::kExitFailure;
  return status;
}
