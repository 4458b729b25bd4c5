#pragma once

#include <string>

namespace kestrava {

struct Program;
struct SendTally;

// The START handler: three passes of sweeps and ramps, then the run end with
// reset_faders and the "Finished." box.
void ExerciseRun(Program& program);

// Bound to the Stop button: runs inside whichever fetch processes the click.
void request_stop(Program& program);

// Sends every fader 0.0 and the four status messages 300 ms apart, releases every
// slot buffer and leaves the controls in the reset control state.
void reset_faders(Program& program);

// The loop's handlers for Reset All (77) and for a Stop event that reaches the loop (88).
void on_reset_all(Program& program);
void on_stop_branch(Program& program);

// The closing texts, which say how many datagrams could not be sent when any.
std::string finished_text(const SendTally& tally);
std::string reset_text(const SendTally& tally);

}  // namespace kestrava
