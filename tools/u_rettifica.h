// The command-line rectifier: the analytic road without windows, through the
// core functions the windows call, so that the same inputs give the same
// files byte for byte.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit statuses: 0 done, 1 a file could not be written, 2 bad input (one
// line on `err` says what).
inline constexpr int kRettificaOk = 0;
inline constexpr int kRettificaWriteFailed = 1;
inline constexpr int kRettificaBadInput = 2;

// Runs the command on its arguments (without the program's name): results
// on `out`, messages, progress and (with `stageTimes`) the time of each
// stage on `err`.
int RunRettifica(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 bool showProgress = false, bool stageTimes = false);

// The text of --help.
std::string RettificaHelpText();
