#pragma once

// The parts of the viewer environment that talk to the user or the desktop.
#include "viewer/UViewerEnvironment.h"

// The start-up check: loads the settings and makes sure the viewer's data folder is known,
// asking the user to start the viewer if need be. False when the program must end; any error
// on the way counts as false, without a message.
bool CheckViewerDataFolder();

// The two texts the check may show.
QString LaunchViewerMessage();
QString DetectedFoldersMessage(const QString& viewerDataFolder);

// Open the folder in the system's file browser; the outcome is not examined.
void OpenProgramDataFolder();
void OpenViewerDataFolder();
