// Entry point of OstrelHTML: the shared command-line driver with the HTML
// viewer's hooks.
#include "frontend/command_line.h"
#include "htmlview/reader_input.h"
#include "htmlview/html_report.h"

int main(int argc, char** argv) {
    ostrel::ProgramHooks hooks;
    hooks.PrintBanner = ostrel::htmlview::PrintBanner;
    hooks.PrintUsage = ostrel::htmlview::PrintUsage;
    hooks.ShowHelpAndVersion = ostrel::htmlview::ShowHelpAndVersion;
    hooks.fileHandler = ostrel::WriteHtmlReport;
    const int result = ostrel::RunCommandLine(argc, argv, hooks);
    return ostrel::AnyFileFailed() ? ostrel::FailedRunStatus : result;
}
