#pragma once

// Why a record's Save stored nothing, for the window that tells the user.
enum class SaveProblem {
    None,    // stored
    Changed, // another workstation changed the row after the record loaded it
    Deleted, // another workstation deleted the row after the record loaded it
    Failed   // the database refused the save or could not be reached
};
