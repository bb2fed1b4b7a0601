#include "report/report_files.h"

namespace kestrum {

const char* ReportFiles::HandleOutFileName(KeywordEntry&) { return nullptr; }  // stand-in
bool ReportFiles::WriteReportFiles(const ReportInput&) { return true; }
bool ReportFiles::CloseReportFiles(Sink&) { return true; }
void WritePeriodHeader(Sink&, std::string_view, Sink&) {}

}  // namespace kestrum
