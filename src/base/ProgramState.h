#pragma once

// Whether the program is running: set once start-up has made the shared
// objects, cleared as shutdown begins to end them. Work that may outlive them
// (a loop letting events run, a failure reported late) asks first.
class ProgramState {
public:
    static bool IsRunning();
    static void SetRunning(bool running);
};
