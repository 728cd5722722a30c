// What serkon-cli tells the shell. docs/serkon-cli.md lists them for users.
#pragma once

enum ExitCode : int {
    ExitSuccess = 0,
    ExitFileNotWritten = 1,   // the profile, the report or a link of ports/ could not be written
    ExitUsage = 2,
    ExitConnectionFailed = 3, // refused parameters, load, configure or identify; a scan found nothing
    ExitTransactionFailed = 4,
    ExitReadBackMismatch = 5,
    ExitInvalidProfile = 6,
    ExitInterrupted = 130,    // a scan stopped by Ctrl+C
};
