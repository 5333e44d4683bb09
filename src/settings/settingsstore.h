#pragma once

#include "programsettings.h"

#include <QString>

#include <functional>

// The persisted program settings: one per-user key with 21 values and the
// optional ones after them, read once when the main window is created and
// written once when it is destroyed.

// Fills settings from the store and hands the stored folder to folderRestore.
// All or nothing for the 21 values: if any number or flag is missing or of the wrong type, every
// field takes its default and folderRestore is not called. A folder restore
// that fails (returns false) keeps the loaded settings, so a folder deleted
// since the last run does not cost the user the rest of them. An optional
// value that is missing or unreadable only keeps its own default.
void LoadSettings(ProgramSettings& settings,
                  const std::function<bool(const QString& folder)>& folderRestore);

// The same from a settings file of the caller's choosing (the batch mode's
// --settings), read only; no folder is restored.
void LoadSettingsFile(ProgramSettings& settings, const QString& file);

// Writes the 21 values, "Folder" holding folder, then the optional ones. On failure calls onError with
// "Failed to set data for '<value name>'" and returns false.
bool SaveSettings(const ProgramSettings& settings, const QString& folder,
                  const std::function<void(const QString& message)>& onError);
