#pragma once

// Writes a whole file so that a crash or a full disk never leaves it half-written: the
// image goes to a temporary file beside the target, is read back and compared, and only
// then replaces the target.

#include <QByteArray>
#include <QString>

// Raises EFCreateError when the file cannot be created and EWriteError when writing or
// verifying fails; the message names the file and what the system said. On failure the
// old file is untouched.
void WriteFileAtomically(const QString& fileName, const QByteArray& image);

// Test seam: the next write fails after that many bytes have been written (-1: no
// failure). It applies to one write only.
void SetNextWriteFailureAfter(qint64 bytes);
// The same for the write that follows writesBefore successful ones, for commands that
// write several files in a row.
void SetWriteFailureAfter(qint64 bytes, int writesBefore);
// The same at the step where the written bytes are flushed to the disk, which fails with
// that system error (ENOSPC: a full disk that took every byte into its cache). 0: none.
void SetWriteFailureAtSync(int systemError, int writesBefore = 0);
