#pragma once

#include <QString>

class TAutomationClient;

// The viewer's automation class ID, in braces and upper case as the running test wants it.
inline constexpr char16_t ViewerClassID[] = u"{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E30}";
// The name under which the viewer's active object is registered.
QString ViewerActiveObjectName();
inline constexpr char16_t RecorderServiceName[] = u"DVBVRecorder";

// True when a running object's display name names the viewer: one leading character, then
// the class ID in braces, upper case, then anything.
bool IsViewerDisplayName(const QString& displayName);
// True while the viewer's automation object is registered as running. Asks anew each time.
bool IsViewerRunning();
// True while the viewer may hold its channel list open, so that "Save DVBViewer" must not
// overwrite it: its automation object is registered, or a process of the viewer's own
// executable runs (which the program may not be able to reach, but must respect).
bool MayViewerHoldList();
// True while a process of the viewer's own executable runs, registered or not.
bool IsViewerProcessRunning();
// Connects to the running viewer (never starts one); raises EAutomationError when none runs.
TAutomationClient ConnectToViewer();
// The running viewer's data folder, ending with a separator; empty when the viewer is not
// running. Errors of the automation call are raised.
QString GetViewerDataFolder();
// DVBViewerDataFolder := the running viewer's folder, DefaultWorkFolder := the program data
// folder + "Channels" + separator.
void DetectFolders();

// The service's current state number on that machine, or -1.
int GetServiceState(const QString& machineName, const QString& serviceName);
// True when the viewer's recording service is in state 4 (running).
bool IsRecorderServiceRunning();

// Afterwards the destination holds exactly the source's bytes, whatever it held before.
// The destination is replaced whole, so a failure leaves it as it was. Raises EFOpenError,
// EFCreateError, EReadError or EWriteError naming the file.
void CopyFileContents(const QString& source, const QString& destination);
