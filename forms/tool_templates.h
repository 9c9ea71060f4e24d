// The toolbar templates: the tools a plug-in puts on the host's toolbars.
//
// The library's hidden form Form1 is never shown; its toolbar ABar holds one
// tool per life-cycle command (release, unrelease, stock inspection bill,
// end case, pause, cancel, check and their reverses), "miUndo", "miRedo" and
// separators, with captions in the user's language. A plug-in takes a tool
// from it by key and inserts it into the bill's toolbar.
#pragma once

#include "host/toolbar.h"

namespace orb {

// The toolbar ABar of the hidden form Form1. The form is created once per
// thread, the first time it is asked for (its toolbar control comes from the
// host, by ProgID); later calls on the same thread return the same bar.
// Raises the platform's error when the host cannot create the control.
ActiveBarPtr ToolTemplateBar();

// Drops this thread's Form1, for hosts and tests that change the login: the
// next ToolTemplateBar creates it again in the current language.
void ResetToolTemplates();

}  // namespace orb
