// SIGTERM and SIGINT on the SDL host: while the host lives they only note
// that the program is asked to end. The host reports a Close event at its
// next event poll, so the program ends through its normal shut-down, and a
// question or message box open at the time is closed first (its child
// process ended). SDL's own handlers are not used: they post a quit event
// that nothing reads while a box holds the main thread.
// This header includes no SDL header.
#pragma once

// Takes SIGTERM and SIGINT (one that the program was started with ignored
// stays ignored) and clears the note.
void InstallEndSignalHandlers();
// Gives both signals back the actions they had before the install.
void RemoveEndSignalHandlers();
// Whether SIGTERM or SIGINT arrived since the install.
bool EndSignalReceived();
