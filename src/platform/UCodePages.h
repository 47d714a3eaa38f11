#pragma once

// Conversion between text and the 8-bit bytes of a Windows code page, by number, and the
// system's ANSI code page. Characters a code page cannot hold become "?", one byte each, as
// the Windows conversion does; an unknown code page number falls back to the system's
// ANSI code page (and, where even that has no converter, to Latin-1, which needs none), so a
// conversion never yields empty text.

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

// The ANSI code page Windows would choose for the locale's language and country.
int AnsiCodePageForLocale(const QLocale& locale);
// The system's ANSI code page, from the user's locale (fixed for the run).
int SystemAnsiCodePage();
// True when a converter for the code page number exists.
bool IsKnownCodePage(int codePage);

QByteArray EncodeToCodePage(QStringView text, int codePage);
QString DecodeFromCodePage(QByteArrayView bytes, int codePage);

// Test seam: false stands for a system whose Qt has no converter library, where only the
// conversions Qt or this unit make alone (UTF-8, Latin-1, ASCII) exist.
void SetCodePageLibraryAvailable(bool available);
