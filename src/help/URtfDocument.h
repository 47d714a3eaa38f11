#pragma once

#include "help/URtfReader.h"

#include <QString>

class QTextDocument;

// Replaces the content of a text document with a read RTF page.
void FillTextDocument(QTextDocument& document, const TRtfDocument& rtf);

// Loads an RTF file into a text document. A file that is not RTF is shown as plain text, as a
// rich-text box would. Raises EFOpenError when the file cannot be opened and EReadError when
// it cannot be read.
void LoadRtfFile(QTextDocument& document, const QString& fileName);
