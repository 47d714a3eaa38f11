#pragma once

#include <QString>
#include <functional>

// Hands a folder or a web address to the desktop, which opens it in the file browser or the
// web browser. The outcome is not examined.
void ShellOpen(const QString& pathOrUrl);

// Test seam: while set, ShellOpen hands its argument to the handler instead of the desktop.
void SetShellOpenHandler(std::function<void(const QString&)> handler);
