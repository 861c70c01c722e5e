// Entry point of OstrelDecode: the shared command-line driver with the
// decoder's hooks.
#include "decoder/text_export.h"
#include "frontend/command_line.h"
#include "htmlview/reader_input.h"

int main(int argc, char** argv) {
    ostrel::ProgramHooks hooks;
    hooks.PrintBanner = ostrel::decoder::PrintBanner;
    hooks.PrintUsage = ostrel::decoder::PrintUsage;
    hooks.ShowHelpAndVersion = ostrel::decoder::ShowHelpAndVersion;
    hooks.fileHandler = ostrel::DecodeToText;
    const int result = ostrel::RunCommandLine(argc, argv, hooks);
    return ostrel::AnyFileFailed() ? ostrel::FailedRunStatus : result;
}
