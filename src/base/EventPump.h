#pragma once

// Lets pending window events run during long loops. The loops call it once
// per record; it hands control to the event loop at most every few
// milliseconds, so a loop over a hundred thousand rows stays fast while the
// window keeps repainting and answering.
//
// Whatever runs in between may start another rebuild of the same view: every
// loop that calls it must be safe against that (see DlgMain's rebuild
// generation).
namespace EventPump {
void Run();
// Runs pending events now, whatever the time since the last run.
void RunNow();
// How many loops are letting events run at this moment (below the caller on
// the stack). While it is above 0, ending the program would pull the shared
// objects from under a loop that is still using them.
int Depth();
} // namespace EventPump
