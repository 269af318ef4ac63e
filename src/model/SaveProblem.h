#pragma once

// Why a record's Save stored nothing, for the window that tells the user.
enum class SaveProblem {
    None,    // stored
    Changed, // another workstation changed the row after the record loaded it
    Deleted, // another workstation deleted the row after the record loaded it
    Failed,  // the database refused the save or could not be reached
    // Bookings only:
    Clash,        // another booking of the resource overlaps the time
    ResourceGone, // the resource no longer exists
    TypeGone,     // the appointment type no longer exists
    ContactGone,  // the contact no longer exists
    IdTaken       // a booking brought back: another booking holds its identifier
};
