// The marks through which a window search sees the windows of the other
// programs of the login session: while a program has a top-level window of a
// class, it holds a shared lock on a file named after the class in the
// session's runtime folder ($XDG_RUNTIME_DIR). A search for the class from
// another process asks whether anyone holds that lock. The lock belongs to
// the open file, which the system closes when the process ends however it
// ends, so a program that dies leaves no stale mark; the file itself stays
// (it is empty, and the session's folder goes at logout).
//
// Where $XDG_RUNTIME_DIR is not set, is not an absolute path, or is not a
// folder of this user that only this user may enter, nothing is marked or
// found: searches see this program's windows only, and one line on stderr
// says so. There is no fallback to a shared folder such as /tmp, where
// another user could plant the file or a link in its place.
//
// Kept apart so that POSIX names never meet the Windows-named ones.
#pragma once

#include <string>

// Marks a window of `class_name` (class names match without regard to ASCII
// case). Returns the mark to give back to ReleaseWindowClassMark, or -1 when
// none could be made (the reason is written on stderr once).
int MarkWindowClass(const std::string& class_name);
void ReleaseWindowClassMark(int mark);

// Whether a process holds a mark of `class_name`. Asked by a process that
// holds none itself, this is whether another program has such a window.
bool WindowClassMarkedElsewhere(const std::string& class_name);
