#include "InstallLauncher.h"

#include <cstring>

#include "ModelEntry.h"

bool ComposeInstallCommand(const char* model, const char* infPath, HeapBuffer& command)
{
    // The printer set-up takes only the first word of an unquoted model with
    // blanks; a model that starts quoted is left to mean what it says.
    const bool quote = model[0] != '"' && std::strpbrk(model, " \t") != nullptr;
    const char* const parts[] = {
        "printui.dll,PrintUIEntry /if /m ",
        quote ? "\"" : "",
        model,
        quote ? "\"" : "",
        " /f \"",
        infPath,
        "\" /r \"lpt1:\"",
    };
    return JoinTexts(command, parts, sizeof parts / sizeof parts[0]);
}

bool InstallSelectedModel(ModelList& list, SetupPlatform& platform, const char* infPath)
{
    const int index = list.SelectedIndex();
    if (index < 0)
        return false;
    // Read at the entry's true length: keys may be far longer than a line.
    const int length = list.EntryLength(index);
    if (length < static_cast<int>(ModelTagLength))
        return false;
    HeapBuffer entry;
    if (!entry.Allocate(static_cast<size_t>(length) + 1))
        return false;
    const int copied = list.ReadEntry(index, entry.Data());
    if (copied < 0 || copied > length)
        return false;
    const char* model = ModelOfEntry(entry.Data());
    HeapBuffer command;
    if (model == nullptr || !ComposeInstallCommand(model, infPath, command))
        return false;
    platform.StartInstaller(command.Data());
    return true;
}
