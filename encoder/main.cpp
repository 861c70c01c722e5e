// OstrelEncode: turns subtitle source text into ".sup" files with logs.
#include "encoder/encoder_driver.h"
#include "encoder/help_text.h"
#include "encoder/settings.h"
#include "frontend/command_line.h"

int main(int argc, char** argv) {
    ostrel::ProgramHooks hooks;
    hooks.PrintBanner = ostrel::PrintEncoderBanner;
    hooks.PrintUsage = ostrel::PrintEncoderUsage;
    hooks.ShowHelpAndVersion = ostrel::ShowEncoderHelpAndVersion;
    hooks.fileHandler = ostrel::EncodeSourceFile;
    const int status = ostrel::RunCommandLine(argc, argv, hooks);
    return ostrel::EncoderHadFileFailure() && status == 0 ? 1 : status;
}
