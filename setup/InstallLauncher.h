#pragma once

#include "HeapBuffer.h"
#include "SetupPlatform.h"

// Writes into `command` the parameters for rundll32 that install `model`
// from the INF at `infPath` onto the first parallel port:
//   printui.dll,PrintUIEntry /if /m MODEL /f "INFPATH" /r "lpt1:"
// A model with blanks that is not already quoted is put in quotation marks.
// False only when memory is short.
bool ComposeInstallCommand(const char* model, const char* infPath, HeapBuffer& command);

// What the install button does: starts the printer set-up for the model of
// the selected entry, taken from `infPath`. Does nothing, returning false,
// when no entry is selected, the entry cannot be read or is shorter than its
// tag, or memory is short.
bool InstallSelectedModel(ModelList& list, SetupPlatform& platform, const char* infPath);
